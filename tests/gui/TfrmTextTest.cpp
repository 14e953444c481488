#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "GuiTestSupport.h"
#include "QtText.h"
#include "TfrmText.h"
#include "lib/DateTime.h"
#include "lib/Library.h"

using guitest::grab;
using guitest::readFile;
using guitest::whenModal;
using varko::gui::toQString;
using varko::gui::toText;

namespace {

// Answers the next count message boxes with OK, one after the other, keeping their texts.
void answerMessages(QStringList* texts, int count = 1) {
  whenModal([texts, count](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    QVERIFY2(box, "a message box was expected");
    *texts << box->text();
    if (count > 1) answerMessages(texts, count - 1);
    box->button(QMessageBox::Ok)->click();
  });
}

varko::ResultTable sampleGrid(const QString& folder) {
  varko::ResultTable grid;
  const varko::Text path = toText(folder + "/naïve <a>.txt");
  grid.setFoundRow(0, 0, u"Searching 1 files/folders starts 14:07:09", u"", 0);
  grid.setFoundRow(1, 0, path, path, 0);
  grid.setFoundRow(2, 3, u"one\tneedle", path, 5);
  grid.setFoundRow(3, 0, u"1 match", u"", 0);
  return grid;
}

varko::ReportHeader sampleHeader() {
  return {u"Search Strings: (simple)\r\nneedle", u"Folders Searched:\r\n", u"", u"*.txt",
          u"Matched Lines=1", u"needle", {u"needle"}, true};
}

}  // namespace

class TfrmTextTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  varko::FakeClock clock_{varko::xcEncodeDate(2024, 3, 5) + varko::xcEncodeTime(14, 7, 9)};
  std::vector<varko::LaunchCommand> launched_;
  bool launchWorks_ = true;

  QString folder() const { return dir_.path() + "/out"; }
  QString exportName() const { return folder() + "/Varko-240305-140709.txt"; }

  // A window whose files go to this test's folder and whose starts are only recorded.
  void setUp(TfrmText& w) {
    w.setClock(clock_);
    w.setReportFolder(toText(folder()));
    w.launch = [this](const varko::LaunchCommand& command, varko::Text& error) {
      launched_.push_back(command);
      if (!launchWorks_) error = u"No such file or directory";
      return launchWorks_;
    };
  }

  // Shows the window for the grid, runs the steps inside it and presses Done.
  void inWindow(TfrmText& w, const varko::ResultTable& grid, const std::function<void()>& steps) {
    whenModal([&w, steps](QWidget*) {
      steps();
      QTest::mouseClick(w.btnDone, Qt::LeftButton);
    });
    QCOMPARE(w.showFor(grid, sampleHeader()), int(QDialog::Accepted));
  }

private slots:
  void init() {
    QVERIFY(dir_.isValid());
    QVERIFY(QDir(dir_.path()).removeRecursively());
    QVERIFY(QDir().mkpath(dir_.path()));
    // The run log and NORV.INI live beside the executable.
    varko::setExePathForTesting(toText(dir_.path() + "/Varko64"));
    launched_.clear();
    launchWorks_ = true;
  }

  void cleanup() { varko::setExePathForTesting(varko::Text()); }

  void form_show_fills_the_window_and_every_control_is_found_by_its_caption() {
    TfrmText w;
    setUp(w);
    const varko::ResultTable grid = sampleGrid(dir_.path());
    inWindow(w, grid, [&] {
      QCOMPARE(w.windowTitle(), QString("Text Output Options"));
      QCOMPARE(w.edtTextFilename->text(), exportName());
      QVERIFY(w.lblTextHeader->text().startsWith("Varko results for: Search Strings: (simple)\nneedle\n"));
      QVERIFY(w.lblTextHeader->text().endsWith("Matched Lines=1"));
      QCOMPARE(w.lblSSFilename->text(), QString("(actual filename will be .csv or SS-TAB.txt)"));
      QCOMPARE(w.focusWidget(), static_cast<QWidget*>(w.edtTextFilename));
      QVERIFY(w.cbxWriteCSV->isChecked() && w.cbxColumnHeaders->isChecked());
      QVERIFY(w.btnDone->isDefault());
      grab(&w, "text-output-options");
      for (QAbstractButton* b : w.findChildren<QAbstractButton*>())
        QCOMPARE(QAccessible::queryAccessibleInterface(b)->text(QAccessible::Name), b->text());
      QCOMPARE(QAccessible::queryAccessibleInterface(w.edtTextFilename)->text(QAccessible::Name), QString("Filename"));
      for (QLabel* l : w.findChildren<QLabel*>()) QVERIFY(l->accessibleName().isEmpty());
    });
    QCOMPARE(toQString(w.exportSet().printTime), QString("2024-03-05 14:07:09"));
    QVERIFY(QFileInfo(folder()).isDir());
  }

  void write_text_makes_the_report_logs_it_and_opens_it_in_the_report_editor() {
    if (folder().contains("rep", Qt::CaseInsensitive)) QSKIP("the temporary folder's name holds rep");
    guitest::writeFile(dir_.path() + "/NORV.INI", "[Settings]\r\nEditFile=/usr/bin/kate\r\n");
    TfrmText w;
    setUp(w);
    const varko::ResultTable grid = sampleGrid(dir_.path());
    QStringList messages;
    inWindow(w, grid, [&] {
      answerMessages(&messages);
      QTest::mouseClick(w.btnExportText, Qt::LeftButton);
    });
    const QString report = folder() + "/Report-Varko-240305-140709.txt";
    QCOMPARE(messages, QStringList{"printfile " + report +
                                   " is in report folder\r\nYou can use /usr/bin/kate to view and print this"});
    QCOMPARE(launched_.size(), size_t(1));
    QCOMPARE(toQString(launched_[0].program), QString("/usr/bin/kate"));
    QCOMPARE(launched_[0].arguments, varko::TextList{toText(report)});
    const QByteArray listing = readFile(exportName());
    QVERIFY(listing.contains("\r\n3 one\tneedle\r\n"));
    QVERIFY(readFile(report).startsWith("NORV " + exportName().toUtf8() + " Printed 05-Mar-24 14:07:09 Page 1\r\n"));
    QVERIFY(readFile(dir_.path() + "/NORVrun.log").contains("Printfile " + report.toUtf8() + " Text /usr/bin/kate"));
  }

  void write_tab_delimited_saves_and_opens_each_form_and_the_boxes_keep_their_state() {
    TfrmText w;
    setUp(w);
    const varko::ResultTable grid = sampleGrid(dir_.path());
    const QString csv = folder() + "/Varko-240305-140709.csv";
    const QString tab = folder() + "/Varko-240305-140709-SS-Tab.txt";
    QStringList messages;
    QString labelAfterCsv;
    inWindow(w, grid, [&] {
      answerMessages(&messages);
      QTest::mouseClick(w.btnGridToTab, Qt::LeftButton);
      labelAfterCsv = w.lblSSFilename->text();
      QTest::keyClick(w.cbxWriteCSV, Qt::Key_Space);
      QTest::keyClick(w.cbxColumnHeaders, Qt::Key_Space);
      answerMessages(&messages);
      QTest::mouseClick(w.btnGridToTab, Qt::LeftButton);
    });
    QCOMPARE(labelAfterCsv, csv);
    QCOMPARE(messages, (QStringList{"File saved to " + csv, "File saved to " + tab}));
    QVERIFY(readFile(csv).startsWith("sep=\t\r\nDate\tText\tFilename\tDateTime\tSize\tLine No.\tLine\r\n"));
    QVERIFY(readFile(tab).startsWith("2024-03-05 14:07:09\tneedle\t"));
    QVERIFY(readFile(tab).endsWith("\t3\tone needle\r\n"));
    QCOMPARE(launched_.size(), size_t(2));
    for (const varko::LaunchCommand& c : launched_) {
      const varko::Text opened = c.kind == varko::LaunchCommand::Kind::OpenDocument ? c.document : c.arguments.at(0);
      QVERIFY(opened == toText(csv) || opened == toText(tab));
    }

    // The next showing starts with the boxes as they were left, and the name hint again.
    inWindow(w, grid, [&] {
      QVERIFY(!w.cbxWriteCSV->isChecked());
      QVERIFY(!w.cbxColumnHeaders->isChecked());
      QCOMPARE(w.lblSSFilename->text(), QString("(actual filename will be .csv or SS-TAB.txt)"));
    });
  }

  void a_failed_editor_start_says_so_and_the_file_stays() {
    launchWorks_ = false;
    TfrmText w;
    setUp(w);
    const varko::ResultTable grid = sampleGrid(dir_.path());
    const QString csv = folder() + "/Varko-240305-140709.csv";
    QStringList messages;
    inWindow(w, grid, [&] {
      answerMessages(&messages, 2);
      QTest::mouseClick(w.btnGridToTab, Qt::LeftButton);
    });
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages[1], "Command problem:Notepad.exe " + csv + "\r\nNo such file or directory");
    QVERIFY(QFileInfo::exists(csv));
  }

  void a_file_that_cannot_be_written_is_shown_and_nothing_opens() {
    TfrmText w;
    setUp(w);
    guitest::writeFile(dir_.path() + "/blocker", "a file where the folder should be");
    w.setReportFolder(toText(dir_.path() + "/blocker/out"));
    const varko::ResultTable grid = sampleGrid(dir_.path());
    QStringList messages;
    inWindow(w, grid, [&] {
      answerMessages(&messages);
      QTest::mouseClick(w.btnExportText, Qt::LeftButton);
    });
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].startsWith("Cannot create file \"" + dir_.path() + "/blocker/out/Varko-240305-140709.txt\"."));
    QVERIFY(launched_.empty());
  }

  void html_report_is_written_and_opened_in_the_browser() {
    TfrmText w;
    setUp(w);
    const varko::ResultTable grid = sampleGrid(dir_.path());
    const QString html = folder() + "/Varko-240305-140709.html";
    QStringList messages;
    inWindow(w, grid, [&] {
      answerMessages(&messages);
      QTest::mouseClick(w.btnHtmlReport, Qt::LeftButton);
    });
    QCOMPARE(messages, QStringList{"File saved to " + html});
    QCOMPARE(launched_.size(), size_t(1));
    QVERIFY(launched_[0].kind == varko::LaunchCommand::Kind::OpenDocument);
    QCOMPARE(toQString(launched_[0].document), html);
    QVERIFY(readFile(html).contains("one\t<mark>needle</mark>"));
  }
};

QTEST_MAIN(TfrmTextTest)
#include "TfrmTextTest.moc"
