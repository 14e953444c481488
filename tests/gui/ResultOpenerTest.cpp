#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "GuiTestSupport.h"
#include "Launcher.h"
#include "ResultOpener.h"
#include "TfrmVarkoEditOptions.h"

using namespace varko;

class ResultOpenerTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  QStringList events;

  ResultOpener makeOpener(TfrmVarkoEditOptions& ask, const QString& answer) {
    ResultOpener opener(nullptr, ask);
    opener.setClipboard = [this](const QString& t) { events << "clipboard:" + t; };
    opener.showMessage = [this](const QString& t) { events << "message:" + t.section("\r\n", 0, 0); };
    opener.ask = [this, answer](const QString& file, const QString& ext) {
      events << "ask:" + file + "|" + ext;
      return answer;
    };
    opener.launch = [this](const LaunchCommand& c, Text& error) {
      events << "launch:" + QString::fromStdU16String(c.kind == LaunchCommand::Kind::OpenDocument ? c.document : c.program);
      error = u"No such file or directory";
      return c.kind == LaunchCommand::Kind::OpenDocument;
    };
    opener.findProgram = [](const Text&) { return Text(); };
    return opener;
  }

  IniFile settings(const QByteArray& text) {
    const QString path = dir.path() + "/Varko64.INI";
    guitest::writeFile(path, text);
    return IniFile(path.toStdU16String());
  }

private slots:
  void init() { events.clear(); }

  void ask_answer_viewer_opens_the_view_window() {
    TfrmVarkoEditOptions ask;
    ResultOpener opener = makeOpener(ask, "Viewer");
    DoubleClickInput in;
    in.row = {u"3", u"/src/a.pas", u"1"};
    in.copyToClipboard = true;
    in.searchString = u" cat ";
    opener.open(in, settings(""), [this] { events << "view"; });
    QCOMPARE(events, QStringList({"clipboard:cat", "ask:/src/a.pas|pas", "view"}));
  }

  void windows_entry_opens_the_document_and_test_info_shows_both_boxes() {
    TfrmVarkoEditOptions ask;
    ResultOpener opener = makeOpener(ask, "");
    DoubleClickInput in;
    in.row = {u"3", u"/logs/a b.log", u"1"};
    in.testInfo = true;
    opener.open(in, settings("[Viewer]\r\nLOG=Windows\r\n"), [this] { events << "view"; });
    QCOMPARE(events, QStringList({"message:Ini file - opening file with", "message:Final opening file with",
                                  "launch:/logs/a b.log"}));
  }

  void failed_start_is_reported_with_the_system_text() {
    TfrmVarkoEditOptions ask;
    ResultOpener opener = makeOpener(ask, "");
    DoubleClickInput in;
    in.row = {u"3", u"/src/a.txt", u"1"};
    opener.open(in, settings("[Viewer]\r\ntxt=no-such-editor\r\n"), {});
    QCOMPARE(events, QStringList({"launch:no-such-editor", "message:No such file or directory"}));
  }

  void row_without_extension_does_nothing_more() {
    TfrmVarkoEditOptions ask;
    ResultOpener opener = makeOpener(ask, "Viewer");
    DoubleClickInput in;
    in.row = {u"", u"", u""};
    opener.open(in, settings(""), [this] { events << "view"; });
    QVERIFY(events.isEmpty());
  }

  void launcher_reports_a_missing_program_or_document() {
    Text error;
    LaunchCommand missing;
    missing.program = u"varko-no-such-program";
    QVERIFY(!Launcher::launch(missing, error));
    QCOMPARE(error, Text(u"No such file or directory"));
    missing.program = (dir.path() + "/nothing/here").toStdU16String();
    QVERIFY(!Launcher::launch(missing, error));
    QCOMPARE(error, Text(u"No such file or directory"));
    LaunchCommand document;
    document.kind = LaunchCommand::Kind::OpenDocument;
    document.document = (dir.path() + "/gone.txt").toStdU16String();
    QVERIFY(!Launcher::launch(document, error));
    QCOMPARE(error, Text(u"No such file or directory"));
  }

  void launcher_starts_a_program_detached() {
    const QString marker = dir.path() + "/started";
    LaunchCommand touch;
    touch.program = u"touch";
    touch.arguments = {marker.toStdU16String()};
    Text error;
    QVERIFY(Launcher::launch(touch, error));
    QTRY_VERIFY(QFile::exists(marker));
  }
};

QTEST_MAIN(ResultOpenerTest)
#include "ResultOpenerTest.moc"
