#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "TfrmVarkoHistory.h"
#include "setup/SearchSetup.h"
#include "GuiTestSupport.h"

using namespace varko;

namespace {

using guitest::grab;

QStringList listed(const TfrmVarkoHistory& w) {
  QStringList items;
  for (int i = 0; i < w.lstbxHistory->count(); ++i) items << w.lstbxHistory->item(i)->text();
  return items;
}

void typeRows(TfrmVarkoHistory& w, const QStringList& rows) {
  w.edtNumStrings->setText(QString::number(rows.size()));
  w.edtNumStringsExit();
  for (int r = 0; r < rows.size(); ++r) w.grdMultipleFind->setItem(r, 0, new QTableWidgetItem(rows[r]));
}

}  // namespace

class TfrmVarkoHistoryTest : public QObject {
  Q_OBJECT
  StringTable strings;
  Text setFile;
  Text multipleText;
  QStringList messages;

  void attach(TfrmVarkoHistory& w) { w.showMessage = [this](const QString& text) { messages << text; }; }
  // The window starts from the texts kept here, as the program hands them over.
  void setUp(TfrmVarkoHistory& w, const TextList& history, int stringMode, const Text& firstAdvancedFolder) {
    w.setUp({history, stringMode, firstAdvancedFolder, strings, setFile, multipleText});
  }
  // What the program takes back from the window, whichever way it closed.
  void apply(const TfrmVarkoHistory& w) {
    strings = w.choice().strings;
    setFile = w.choice().stringSetFileName;
    multipleText = w.choice().multipleSearchText;
  }

private slots:
  void init() {
    strings = StringTable();
    setFile.clear();
    multipleText.clear();
    messages.clear();
  }

  void newest_first_duplicates_once_and_top_selected() {
    SearchHistory history;
    for (const char16_t* text : {u"cat", u"dog", u"Cat", u"", u"dog", u"cow"}) history.AddStringToHistory(text);
    TfrmVarkoHistory w;
    attach(w);
    setUp(w, history.items(), kSimpleMode, Text());
    w.show();
    QCOMPARE(listed(w), QStringList({"cow", "dog", "cat"}));
    QCOMPARE(w.lstbxHistory->currentRow(), 0);
    QVERIFY(!w.PageControl1->isTabVisible(1));
    grab(&w, "history");
    QTest::mouseClick(w.btnOK, Qt::LeftButton);
    QVERIFY(w.choice().entryChosen);
    QCOMPARE(w.choice().entry, QString("cow"));
  }

  void double_click_picks_the_entry_and_cancel_picks_nothing() {
    TfrmVarkoHistory w;
    attach(w);
    setUp(w, {u"cat", u"dog"}, kSimpleMode, Text());
    w.show();
    w.lstbxHistory->setCurrentRow(1);
    emit w.lstbxHistory->itemDoubleClicked(w.lstbxHistory->item(1));
    QCOMPARE(w.choice().entry, QString("cat"));
    QVERIFY(!w.isVisible());
    setUp(w, {u"cat", u"dog"}, kSimpleMode, Text());
    w.show();
    QTest::mouseClick(w.btnCancel, Qt::LeftButton);
    QVERIFY(!w.choice().entryChosen);
  }

  void empty_history_keeps_the_list_and_ok_only_closes() {
    TfrmVarkoHistory w;
    attach(w);
    setUp(w, {u"cat"}, kSimpleMode, Text());
    w.show();
    w.hide();
    setUp(w, {}, kSimpleMode, Text());
    w.show();
    QCOMPARE(listed(w), QStringList({"cat"}));
    TfrmVarkoHistory fresh;
    attach(fresh);
    setUp(fresh, {}, kSimpleMode, Text());
    fresh.show();
    QTest::mouseClick(fresh.btnOK, Qt::LeftButton);
    QVERIFY(!fresh.choice().entryChosen);
    QVERIFY(!fresh.isVisible());
  }

  void use_for_searches_skips_blank_rows_and_builds_the_text() {
    TfrmVarkoHistory w;
    attach(w);
    setUp(w, {}, kAdvancedMode, Text());
    w.show();
    QVERIFY(w.PageControl1->isTabVisible(1));
    w.PageControl1->setCurrentIndex(1);
    typeRows(w, {"cat", "", "dog"});
    grab(&w, "history-multiple");
    QTest::mouseClick(w.btnUseMulti, Qt::LeftButton);
    QVERIFY(w.choice().multipleFindTaken);
    apply(w);
    QCOMPARE(strings.count, 2);
    QCOMPARE(strings.find(2), Text(u"dog"));
    QCOMPARE(multipleText, Text(u"<cat><dog>"));

    setUp(w, {}, kAdvancedMode, Text());
    w.show();
    // The table's strings come back into the grid; one row left gives the string alone.
    QCOMPARE(w.grdMultipleFind->rowCount(), 2);
    QCOMPARE(w.grdMultipleFind->item(1, 0)->text(), QString("dog"));
    w.grdMultipleFind->item(1, 0)->setText("  ");
    QTest::mouseClick(w.btnUseMulti, Qt::LeftButton);
    apply(w);
    QCOMPARE(multipleText, Text(u"cat"));
    QCOMPARE(strings.count, 1);
  }

  void number_lines_above_two_hundred_is_refused() {
    TfrmVarkoHistory w;
    attach(w);
    setUp(w, {}, kAdvancedMode, Text());
    w.show();
    w.edtNumStrings->setText("500");
    w.edtNumStringsExit();
    QCOMPARE(w.grdMultipleFind->rowCount(), 200);
    QCOMPARE(w.edtNumStrings->text(), QString("200"));
    QCOMPARE(messages.size(), 1);
    w.edtNumStrings->setText("x");
    w.edtNumStringsExit();
    QCOMPARE(w.grdMultipleFind->rowCount(), 1);
    w.edtNumStrings->setText("0");
    w.edtNumStringsExit();
    QCOMPARE(w.grdMultipleFind->rowCount(), 1);
  }

  void load_find_set_fills_find_strings_only() {
    QTemporaryDir dir;
    const QString setPath = dir.path() + "/set.txt";
    guitest::writeFile(setPath, "cat\tCAT\n\tskipped\ndog\n");
    strings.count = 1;
    strings.find(1) = u"old";
    strings.replace(1) = u"kept";
    TfrmVarkoHistory w;
    attach(w);
    w.chooseFile = [&](const QString&) { return setPath; };
    setUp(w, {}, kAdvancedMode, Text());
    w.show();
    QTest::mouseClick(w.btnLoadFindSet, Qt::LeftButton);
    QVERIFY(messages.value(0).startsWith("You can load strings for Search from a file\r\n"));
    apply(w);
    QCOMPARE(setFile, setPath.toStdU16String());
    QCOMPARE(strings.count, 2);
    QCOMPARE(strings.replace(1), Text(u"kept"));
    QCOMPARE(w.grdMultipleFind->rowCount(), 2);
    QCOMPARE(w.grdMultipleFind->item(0, 0)->text(), QString("cat"));
    QCOMPARE(w.edtNumStrings->text(), QString("2"));
    QVERIFY(w.isVisible());

    // A cancelled dialog changes nothing but still shows the count.
    w.chooseFile = [](const QString&) { return QString(); };
    w.edtNumStrings->setText("9");
    QTest::mouseClick(w.btnLoadFindSet, Qt::LeftButton);
    QCOMPARE(w.edtNumStrings->text(), QString("2"));
  }

  void edit_find_set_starts_in_the_first_folder_and_opens_the_editor() {
    TfrmVarkoHistory w;
    attach(w);
    QString startedIn;
    Text edited;
    w.chooseFile = [&](const QString& start) {
      startedIn = start;
      return QString("/data/set.txt");
    };
    w.editFile = [&](const Text& name) { edited = name; };
    setUp(w, {}, kAdvancedMode, u"/data/projects");
    w.show();
    QTest::mouseClick(w.btnEditFindSet, Qt::LeftButton);
    QCOMPARE(startedIn, QString("/data/projects"));
    QCOMPARE(edited, Text(u"/data/set.txt"));
    apply(w);
    QCOMPARE(setFile, Text(u"/data/set.txt"));
  }

  void controls_are_named_for_screen_readers() {
    TfrmVarkoHistory w;
    attach(w);
    setUp(w, {}, kAdvancedMode, Text());
    w.show();
    QCOMPARE(QAccessible::queryAccessibleInterface(w.edtNumStrings)->text(QAccessible::Name), QString("Number lines"));
    QCOMPARE(QAccessible::queryAccessibleInterface(w.btnCancelMulti)->text(QAccessible::Name), QString("Cancel"));
    QVERIFY(!QAccessible::queryAccessibleInterface(w.lstbxHistory)->text(QAccessible::Name).isEmpty());
    QVERIFY(!QAccessible::queryAccessibleInterface(w.grdMultipleFind)->text(QAccessible::Name).isEmpty());
    for (QLabel* l : w.findChildren<QLabel*>()) QVERIFY(l->accessibleName().isEmpty());
  }
};

QTEST_MAIN(TfrmVarkoHistoryTest)
#include "TfrmVarkoHistoryTest.moc"
