#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "GuiTestSupport.h"
#include "TfrmVarkoReplace.h"
#include "lib/Library.h"
#include "save/Archive.h"
#include "replace/FileReplacer.h"
#include "QtText.h"

using namespace varko;
using varko::gui::toText;

namespace {

// Answers the next message boxes in order with the buttons given, keeping their texts.
void answerBoxes(QStringList& texts, QList<QMessageBox::StandardButton> buttons) {
  if (buttons.isEmpty()) return;
  guitest::whenModal([&texts, buttons](QWidget* modal) mutable {
    auto* box = qobject_cast<QMessageBox*>(modal);
    QVERIFY2(box, qPrintable(modal->objectName()));
    texts << box->text();
    const QMessageBox::StandardButton which = buttons.takeFirst();
    answerBoxes(texts, buttons);  // the next box comes after this one has closed
    box->button(which)->click();
  });
}

void tick(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2)); }

// Types into a cell as a user does: the first key opens the cell's editor, Enter closes it.
void typeCell(QTableWidget* grid, int row, int column, const QString& text) {
  grid->setFocus();
  grid->setCurrentCell(row, column);
  for (QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QCoreApplication::processEvents();  // the editor hands its text over after the key
}

QStringList gridRows(const QTableWidget* grid) {
  QStringList rows;
  for (int r = 0; r < grid->rowCount(); ++r) {
    auto cell = [&](int c) { return grid->item(r, c) ? grid->item(r, c)->text() : QString(); };
    rows << cell(0) + "|" + cell(1);
  }
  return rows;
}

// Answers the replacement's questions without windows, to make a run that the undo can take back.
class AcceptEverything : public ReplaceQuestions {
public:
  ConfirmAnswer confirmLine(const Text&) override { return ConfirmAnswer::Yes; }
  FileDecision decideFile(const FileChanges&) override { return FileDecision::Save; }
  bool confirmSaveWithoutDiffs(const Text&) override { return true; }
  void showMessage(const Text&) override {}
};

}  // namespace

class TfrmVarkoReplaceTest : public QObject {
  Q_OBJECT
  StringTable table;
  ReplaceRunOptions options;
  Text setFile;
  QList<int> replaceCalls;
  QStringList boxes;

  void open(TfrmVarkoReplace& w, const Text& firstFolder = Text()) {
    w.showReplaceOn = [this](bool on) { replaceCalls << (on ? 2 : 1); };
    w.setUp({table, options, setFile, u"needle", firstFolder});
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
  }
  // What the program takes back from the window, whichever way it closed.
  void apply(const TfrmVarkoReplace& w) {
    const ReplaceOptionsOutcome outcome = w.outcome();
    table = outcome.table;
    options = outcome.options;
    setFile = outcome.stringSetFileName;
  }

private slots:
  void init() {
    table = StringTable();
    options = ReplaceRunOptions();
    setFile.clear();
    replaceCalls.clear();
    boxes.clear();
  }

  void activation_shows_the_current_string_and_resets_the_switch() {
    TfrmVarkoReplace w;
    open(w);
    QCOMPARE(gridRows(w.grdReplace), QStringList({"needle|needle"}));
    apply(w);
    QCOMPARE(table.count, 1);
    QCOMPARE(table.replace(1), Text(u"needle"));
    QCOMPARE(w.lblFindStrAmx->text(), QString("Number strings to search for=1"));
    QCOMPARE(w.btnReplace->text(), QString("Search"));
    QVERIFY(w.cbxQueryFile->isChecked() && !w.cbxQueryFile->isEnabled());
    QVERIFY(!w.cbxQueryLine->isVisible() && !w.Label10->isVisible() && w.Label9->isVisible());
    QVERIFY(options.queryFile && options.queryLine);
    QCOMPARE(replaceCalls, QList<int>({1}));

    tick(w.cbxDoReplace);
    QCOMPARE(w.btnReplace->text(), QString("Replace"));
    QVERIFY(w.cbxQueryLine->isVisible() && w.cbxPreserveSpaces->isVisible() && w.Label10->isVisible());
    QCOMPARE(replaceCalls.last(), 2);
    guitest::grab(&w, "replace-options");

    // A box the window opened re-activates it when it closes: the switch is off again.
    answerBoxes(boxes, {QMessageBox::Ok});
    QTest::mouseClick(w.Button1, Qt::LeftButton);
    QVERIFY(boxes.value(0).startsWith("I will not run this function unless:\r\n\r\n-I am over 18 years of age"));
    QTRY_VERIFY(!w.cbxDoReplace->isChecked());
    QCOMPARE(w.btnReplace->text(), QString("Search"));
    QCOMPARE(replaceCalls.last(), 1);

    QCOMPARE(QAccessible::queryAccessibleInterface(w.edtNumStrings)->text(QAccessible::Name), QString("Number lines"));
    for (QLabel* l : w.findChildren<QLabel*>()) QVERIFY(l->accessibleName().isEmpty());
  }

  void leaving_the_grid_uses_every_row_with_a_find_string() {
    table.count = 1;
    table.find(1) = u"needle";
    table.replace(1) = u"pin";
    TfrmVarkoReplace w;
    open(w);
    QTest::mouseClick(w.edtNumStrings, Qt::LeftButton);
    w.edtNumStrings->selectAll();
    QTest::keyClicks(w.edtNumStrings, "4");
    QTest::keyClick(w.edtNumStrings, Qt::Key_Return);
    QCOMPARE(w.grdReplace->rowCount(), 4);
    typeCell(w.grdReplace, 1, 0, "cat");
    typeCell(w.grdReplace, 1, 1, "dog");
    typeCell(w.grdReplace, 3, 0, "fox");
    apply(w);
    QCOMPARE(table.count, 1);  // nothing taken while the focus is in the grid

    QTest::mouseClick(w.edtNumStrings, Qt::LeftButton);
    apply(w);
    QCOMPARE(table.count, 3);
    QCOMPARE(gridRows(w.grdReplace), QStringList({"needle|pin", "cat|dog", "fox|"}));
    QCOMPARE(w.lblFindStrAmx->text(), QString("Number strings to search for=3"));
    QCOMPARE(w.edtNumStrings->text(), QString("3"));

    // With the switch off the button only prepares the strings.
    answerBoxes(boxes, {QMessageBox::Ok});
    QTest::mouseClick(w.btnReplace, Qt::LeftButton);
    QVERIFY(!w.isVisible());
    const ReplaceOptionsOutcome outcome = w.outcome();
    QVERIFY(!outcome.replaceOn);
    QVERIFY(outcome.stringsTaken);
    QCOMPARE(outcome.stringsText, Text(u"Replace - Strings to find:\r\nneedle,cat,fox"));
    QCOMPARE(outcome.strings.items.size(), size_t(3));
    QCOMPARE(replaceCalls.last(), 1);
  }

  // An edit that is no key press (a paste, a drop) and rows hidden by a lower number count too.
  void the_run_uses_the_rows_shown_however_they_were_edited() {
    table.count = 3;
    table.find(1) = u"one";
    table.find(2) = u"two";
    table.find(3) = u"three";
    TfrmVarkoReplace w;
    open(w);
    w.grdReplace->model()->setData(w.grdReplace->model()->index(0, 0), "pasted");
    QTest::mouseClick(w.edtNumStrings, Qt::LeftButton);
    w.edtNumStrings->selectAll();
    QTest::keyClicks(w.edtNumStrings, "2");
    QTest::keyClick(w.edtNumStrings, Qt::Key_Return);
    QCOMPARE(w.grdReplace->rowCount(), 2);
    QCOMPARE(w.lblFindStrAmx->text(), QString("Number strings to search for=2"));
    guitest::grab(&w, "replace-options-rows-lowered");

    answerBoxes(boxes, {QMessageBox::Ok});
    QTest::mouseClick(w.btnReplace, Qt::LeftButton);
    QCOMPARE(w.outcome().stringsText, Text(u"Replace - Strings to find:\r\npasted,two"));
    apply(w);
    QCOMPARE(table.count, 2);
  }

  void replace_takes_the_confirmations_and_cancel_turns_replace_off() {
    TfrmVarkoReplace w;
    open(w);
    tick(w.cbxDoReplace);
    tick(w.cbxQueryLine);
    tick(w.cbxPreserveSpaces);
    tick(w.cbxShowFilesWithNoMatches);
    answerBoxes(boxes, {QMessageBox::Ok});
    QTest::mouseClick(w.btnReplace, Qt::LeftButton);
    QCOMPARE(boxes, QStringList({"Warning - Multi replace is a new feature, use with care\r\n\r\n"
                                 "check log and use differences Viewer\r\n\r\n"
                                 "and note names of backup files\r\n\r\n"}));
    QVERIFY(w.outcome().replaceOn);
    QCOMPARE(replaceCalls.mid(replaceCalls.size() - 2), QList<int>({1, 2}));
    apply(w);
    QVERIFY(options.queryFile && !options.queryLine && options.preserveSpaces);
    QVERIFY(options.showFilesWithNoMatches && !options.showLinesNoMatches);

    w.setUp({table, options, setFile, u"needle", Text()});
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QVERIFY(!w.cbxDoReplace->isChecked());
    tick(w.cbxDoReplace);
    QTest::mouseClick(w.btnCancel, Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QVERIFY(!w.outcome().replaceOn);
    QCOMPARE(replaceCalls.last(), 1);
  }

  void load_set_file_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("pairs") << QByteArray("a\tb\tc\r\n\tb\r\nsolo\n") << QStringList({"a|b", "solo|"}) << true;
    QByteArray tooMany;
    for (int i = 0; i <= kMaxStrings; ++i) tooMany += "find" + QByteArray::number(i) + "\tx\r\n";
    QTest::newRow("more than the table holds") << tooMany << QStringList({"needle|needle"}) << false;
  }

  void load_set_file() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, rows);
    QFETCH(bool, loaded);
    QTemporaryDir dir;
    const QString file = dir.path() + "/pairs.txt";
    guitest::writeFile(file, content);
    TfrmVarkoReplace w;
    w.chooseFile = [&](const QString&) { return file; };
    open(w);
    answerBoxes(boxes, loaded ? QList{QMessageBox::Ok} : QList{QMessageBox::Ok, QMessageBox::Ok});
    QTest::mouseClick(w.btnLoadFindReplaceSet, Qt::LeftButton);
    QVERIFY(boxes.value(0).startsWith("You can load strings for Search/Replace from a file\r\nFile with strings has 2"));
    QCOMPARE(gridRows(w.grdReplace), rows);
    apply(w);
    QCOMPARE(table.count, int(rows.size()));
    QCOMPARE(w.edtNumStrings->text(), QString::number(rows.size()));
    QCOMPARE(setFile, loaded ? toText(file) : Text());
    if (!loaded) QVERIFY(boxes.value(1).contains("201 find strings"));
  }

  void edit_set_file_opens_in_the_first_folder() {
    QString startedIn;
    Text edited;
    TfrmVarkoReplace w;
    w.chooseFile = [&](const QString& start) {
      startedIn = start;
      return QString("/data/pairs.txt");
    };
    w.editFile = [&](const Text& name) { edited = name; };
    open(w, u"/data/projects");
    answerBoxes(boxes, {QMessageBox::Ok});
    QTest::mouseClick(w.btnEditFindReplaceSet, Qt::LeftButton);
    QCOMPARE(startedIn, QString("/data/projects"));
    QCOMPARE(edited, Text(u"/data/pairs.txt"));
    apply(w);
    QCOMPARE(setFile, Text(u"/data/pairs.txt"));
    QCOMPARE(table.count, 1);  // not loaded
  }

  void undo_puts_back_the_last_replace_run() {
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.path() + "/bin"));
    setExePathForTesting(toText(dir.path() + "/bin/Varko64"));
    const QString file = dir.path() + "/data/notes.txt";
    guitest::writeFile(file, "cat one\r\n");
    FakeClock clock;
    AcceptEverything questions;
    UndoManifest undoManifest(xcExeFolder(), clock);
    ReplaceSettings settings;
    settings.finds = {u"cat"};
    settings.replaces = {u"dog"};
    settings.archiveFile = xcArchiveFileName();
    QVERIFY(FileReplacer(settings, clock, questions, FileSystem::real(), &undoManifest).replaceFile(toText(file), false).saved);
    QCOMPARE(guitest::readFile(file), QByteArray("dog one\r\n"));

    TfrmVarkoReplace w;
    w.clock = &clock;
    open(w);
    answerBoxes(boxes, {QMessageBox::Yes, QMessageBox::Ok});
    QTest::mouseClick(w.btnUndoLastReplace, Qt::LeftButton);
    QCOMPARE(guitest::readFile(file), QByteArray("cat one\r\n"));
    QVERIFY2(boxes.value(1).startsWith("Restored " + file + " from "), qPrintable(boxes.value(1)));
    QVERIFY(boxes.value(1).endsWith("Restored 1 file(s), refused 0"));

    answerBoxes(boxes, {QMessageBox::Yes, QMessageBox::Ok});
    QTest::mouseClick(w.btnUndoLastReplace, Qt::LeftButton);
    QVERIFY(boxes.value(3).startsWith("No replace run to undo"));
  }
};

QTEST_MAIN(TfrmVarkoReplaceTest)
#include "TfrmVarkoReplaceTest.moc"
