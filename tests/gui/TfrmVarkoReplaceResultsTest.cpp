#include <QAbstractItemModelTester>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "GuiTestSupport.h"
#include "QtColour.h"
#include "QtText.h"
#include "TfrmVarkoReplaceResults.h"
#include "WindowReplaceQuestions.h"
#include "replace/FileReplacer.h"

using namespace varko;
using varko::gui::toText;

namespace {

const QByteArray kOriginal = "cat one\r\nno match\r\ncat two\r\ncat three\r\n";
const QByteArray kAllChanged = "dog one\r\nno match\r\ndog two\r\ndog three\r\n";

// One letter per window or box the run is expected to show, answered in order:
// line box y (Yes), n (No), a (Yes to All), N (No to All), c (Cancel); results window S (Save),
// D (Show Differences), X (Do not save), A (Abort), C (close box); "Diffs have NOT been shown"
// Y (Yes), q (No); m a message box (OK); v the differences shown in the program (Close).
void play(QStringList& seen, QString script) {
  if (script.isEmpty()) return;
  guitest::whenModal([&seen, script](QWidget* modal) mutable {
    const QChar step = script.front();
    script.remove(0, 1);
    auto* box = qobject_cast<QMessageBox*>(modal);
    auto* results = qobject_cast<TfrmVarkoReplaceResults*>(modal);
    seen << (box ? box->text() : modal->objectName());
    const QString kind = box ? box->objectName() : modal->objectName();
    guitest::grab(modal, "replace-" + kind);
    play(seen, script);  // the next window comes after this one has closed
    auto click = [&](QMessageBox::StandardButton b, const char* expectedBox) {
      QVERIFY2(box && kind == expectedBox, qPrintable(kind + " instead of " + expectedBox));
      box->button(b)->click();
    };
    auto press = [&](QPushButton* b) {
      QVERIFY2(results, qPrintable(kind + " instead of the results window"));
      QTest::mouseClick(b, Qt::LeftButton);
    };
    switch (step.unicode()) {
      case 'y': return click(QMessageBox::Yes, "boxConfirmLine");
      case 'n': return click(QMessageBox::No, "boxConfirmLine");
      case 'a': return click(QMessageBox::YesToAll, "boxConfirmLine");
      case 'N': return click(QMessageBox::NoToAll, "boxConfirmLine");
      case 'c': return click(QMessageBox::Cancel, "boxConfirmLine");
      case 'Y': return click(QMessageBox::Yes, "boxSaveWithoutDiffs");
      case 'q': return click(QMessageBox::No, "boxSaveWithoutDiffs");
      case 'm': return click(QMessageBox::Ok, "");
      case 'S': return press(results->btnSaveFile);
      case 'D': return press(results->btnShowDiff);
      case 'X': return press(results->btnDoNotSaveFile);
      case 'A': return press(results->btnAbort);
      case 'C':
        QVERIFY(results);
        results->close();
        return;
      case 'v': {
        QCOMPARE(kind, QString("frmDifferences"));
        seen.last() = modal->findChild<QPlainTextEdit*>("memoDifferences")->toPlainText();
        QTest::mouseClick(modal->findChild<QPushButton*>("btnClose"), Qt::LeftButton);
        return;
      }
      default: QFAIL("unknown step");
    }
  });
}

}  // namespace

class TfrmVarkoReplaceResultsTest : public QObject {
  Q_OBJECT
  std::unique_ptr<QTemporaryDir> dir;
  QString file, archive, settingsFile;
  FakeClock clock;

  FileReplaceResult run(bool lineQuery, const QString& script, QStringList& seen,
                        const QByteArray& viewer = "none") {
    guitest::writeFile(settingsFile, "[Settings]\r\nDifferencesViewer=" + viewer + "\r\n");
    TfrmVarkoReplaceResults window;
    WindowReplaceQuestions questions(nullptr, window, toText(settingsFile));
    ReplaceSettings settings;
    settings.finds = {u"cat"};
    settings.replaces = {u"dog"};
    settings.archiveFile = toText(archive);
    settings.settingsFile = toText(settingsFile);
    play(seen, script);
    return FileReplacer(settings, clock, questions).replaceFile(toText(file), lineQuery);
  }

  void checkSaved(const FileReplaceResult& result, const QByteArray& content, int count) {
    QCOMPARE(guitest::readFile(file), content);
    QCOMPARE(result.replacedCount, count);
    const QString backup = gui::toQString(result.changes.names.backup);
    if (count > 0) {
      QVERIFY(result.saved);
      QCOMPARE(guitest::readFile(backup), kOriginal);
      QVERIFY(guitest::readFile(archive).contains("cat three"));
    } else {
      QVERIFY(!result.saved);
      QVERIFY(!QFileInfo::exists(backup));
      QVERIFY(!QFileInfo::exists(archive));
    }
    QVERIFY(!QFileInfo::exists(gui::toQString(result.changes.names.temporary)));
  }

private slots:
  void init() {
    dir = std::make_unique<QTemporaryDir>();
    file = dir->path() + "/notes.txt";
    archive = dir->path() + "/VarkoSearchReplaceArchive.varc";
    settingsFile = dir->path() + "/Varko64.INI";
    guitest::writeFile(file, kOriginal);
  }

  void line_answers_decide_what_is_saved_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("yes no yes") << "ynySYm" << QByteArray("dog one\r\nno match\r\ncat two\r\ndog three\r\n") << 2
                                << false;
    QTest::newRow("yes to all asks once") << "aSYm" << kAllChanged << 3 << false;
    QTest::newRow("no then no to all: no window") << "nN" << kOriginal << 0 << false;
    QTest::newRow("cancel keeps the file") << "yc" << kOriginal << 0 << true;
  }

  void line_answers_decide_what_is_saved() {
    QFETCH(QString, script);
    QFETCH(QByteArray, content);
    QFETCH(int, count);
    QFETCH(bool, cancelled);
    QStringList seen;
    const FileReplaceResult result = run(true, script, seen);
    QCOMPARE(seen.size(), script.size());
    QVERIFY(seen.value(0).contains("\r\nThis line:1\r\ncat one\r\n\r\ndog one\r\n\r\nChanges this line=1 - Save changes?"));
    QCOMPARE(result.replaceCancelled, cancelled);
    checkSaved(result, content, count);
    if (count > 0) {
      QVERIFY(seen.value(seen.size() - 2).startsWith("Diffs have NOT been shown for this file"));
      QVERIFY(seen.last().startsWith("Changes saved to " + file + "\r\n\r\nBackup file="));
    }
  }

  void file_decisions_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("viewer");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<bool>("aborted");
    QTest::newRow("save answered No keeps the window") << "SqX" << QByteArray("none") << false << false;
    QTest::newRow("abort") << "A" << QByteArray("none") << false << true;
    QTest::newRow("close box") << "C" << QByteArray("none") << false << false;
    QTest::newRow("differences in the program, saved without the question") << "DvSm" << QByteArray("none") << true
                                                                              << false;
    QTest::newRow("differences in the viewer, saved without the question") << "DSm" << QByteArray("/bin/true")
                                                                            << true << false;
    QTest::newRow("viewer then do not save removes the temporary") << "DX" << QByteArray("/bin/true") << false
                                                                   << false;
  }

  void file_decisions() {
    QFETCH(QString, script);
    QFETCH(QByteArray, viewer);
    QFETCH(bool, saved);
    QFETCH(bool, aborted);
    QStringList seen;
    const FileReplaceResult result = run(false, script, seen, viewer);
    QCOMPARE(seen.size(), script.size());
    QCOMPARE(result.runAborted, aborted);
    checkSaved(result, saved ? kAllChanged : kOriginal, saved ? 3 : 0);
    if (script.contains('v')) {
      const QString diff = seen.value(1);
      QVERIFY2(diff.contains("\n-cat one\n+dog one\n"), qPrintable(diff));
    }
  }

  void differences_shown_for_one_file_do_not_count_for_the_next() {
    const QString second = dir->path() + "/more.txt";
    guitest::writeFile(second, "cat\n");
    guitest::writeFile(settingsFile, "[Settings]\r\nDifferencesViewer=none\r\n");
    TfrmVarkoReplaceResults window;
    WindowReplaceQuestions questions(nullptr, window, toText(settingsFile));
    ReplaceSettings settings;
    settings.finds = {u"cat"};
    settings.replaces = {u"dog"};
    settings.archiveFile = toText(archive);
    settings.settingsFile = toText(settingsFile);
    FileReplacer replacer(settings, clock, questions);
    QStringList seen;
    play(seen, "DvSm" "SYm");
    QVERIFY(replacer.replaceFile(toText(file), false).saved);
    QVERIFY(replacer.replaceFile(toText(second), false).saved);
    QCOMPARE(seen.size(), 7);
    QVERIFY(seen.value(5).startsWith("Diffs have NOT been shown for this file"));
    QCOMPARE(guitest::readFile(second), QByteArray("dog\n"));
  }

  void window_lists_the_changes() {
    QStringList seen;
    guitest::whenModal([&](QWidget* modal) {
      auto* w = qobject_cast<TfrmVarkoReplaceResults*>(modal);
      const auto closeBox = qScopeGuard([modal] { modal->close(); });  // also when a check fails
      QVERIFY(w);
      QCOMPARE(w->windowTitle(), QString("Varko Replace Results"));
      QCOMPARE(w->Label1->text(), QString("Changes for file"));
      QCOMPARE(w->lblFilename->text(), file);
      QCOMPARE(w->lblFilename->palette().color(QPalette::WindowText), gui::toQColor(kNavy));
      QAbstractItemModel* model = w->grdReplaceLog->model();
      QAbstractItemModelTester tester(model);
      auto cell = [&](int row, int column) { return model->index(row, column).data().toString(); };
      // Row 1 of the grid is empty; the heading rows, two empty rows, then three rows a line.
      QCOMPARE(model->rowCount(), 1 + 6 + 3 * 3);
      QCOMPARE(cell(0, 1), QString());
      QCOMPARE(cell(1, 1), "Filename: " + file);
      QCOMPARE(cell(4, 1), "Archive File: " + archive);
      QCOMPARE(QStringList({cell(7, 0), cell(7, 1), cell(8, 0), cell(8, 1), cell(9, 1)}),
               QStringList({"0", "cat one", "0->", "dog one", ""}));
      QCOMPARE(QStringList({cell(10, 0), cell(14, 0), cell(14, 1)}), QStringList({"2", "3->", "dog three"}));
      QCOMPARE(model->index(7, 1).data(Qt::ForegroundRole).value<QColor>(), gui::toQColor(kNavy));
      QCOMPARE(w->grdReplaceLog->columnWidth(0), 64);
      QCOMPARE(w->grdReplaceLog->columnWidth(1), 987);
      guitest::grab(w, "replace-results");
    });
    const FileReplaceResult result = run(false, QString(), seen);
    checkSaved(result, kOriginal, 0);
  }
};

QTEST_MAIN(TfrmVarkoReplaceResultsTest)
#include "TfrmVarkoReplaceResultsTest.moc"
