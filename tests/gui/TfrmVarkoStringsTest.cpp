#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <QListWidget>

#include "TfrmVarkoStrings.h"
#include "GuiTestSupport.h"

using namespace varko;

namespace {

using guitest::whenModal;

using guitest::grab;


void checkScreenReaderNames(QWidget* w) {
  for (QWidget* child : w->findChildren<QWidget*>()) {
    if (!child->isVisibleTo(w) || child->window() != w) continue;
    if (auto* label = qobject_cast<QLabel*>(child)) {
      QVERIFY2(label->accessibleName().isEmpty(), qPrintable(label->text()));
      continue;
    }
    if (!(child->focusPolicy() & Qt::TabFocus)) continue;
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(child);
    QVERIFY(face);
    QVERIFY2(!face->text(QAccessible::Name).trimmed().isEmpty(),
             qPrintable(child->metaObject()->className()));
  }
}

// What the program takes back from the window, whichever way it closed.
void apply(const TfrmVarkoStrings& w, StringTable& table) { table = w.choice().strings; }

QString tableText(const StringTable& t) {
  QStringList out;
  for (int n = 1; n <= kMaxStrings; ++n)
    if (!t.find(n).empty()) out << QString::number(n) + "=" + QString::fromStdU16String(t.find(n));
  return out.join('|');
}

}  // namespace

class TfrmVarkoStringsTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  QString ini() const { return dir.path() + "/Varko64.INI"; }

private slots:
  void typed_lines_become_the_find_strings_blank_ones_skipped() {
    StringTable table;
    table.find(3) = u"old three";
    table.find(7) = u"old seven";
    table.replace(1) = u"kept";
    table.count = 7;
    TfrmVarkoStrings w(nullptr, ini());
    w.setUp(table, QString());
    w.show();
    QCOMPARE(w.windowTitle(), QString("Strings - Advanced Search"));
    QVERIFY(w.MemoStrings->hasFocus() || QApplication::focusWidget() == w.MemoStrings ||
            w.focusWidget() == w.MemoStrings);
    QTest::keyClicks(w.MemoStrings, "a");
    QTest::keyClick(w.MemoStrings, Qt::Key_Return);
    QTest::keyClick(w.MemoStrings, Qt::Key_Return);
    QTest::keyClicks(w.MemoStrings, "   ");
    QTest::keyClick(w.MemoStrings, Qt::Key_Return);
    QTest::keyClicks(w.MemoStrings, "  b c ");
    QTest::keyClick(w.MemoStrings, Qt::Key_Return);
    QTest::keyClicks(w.MemoStrings, "\t");
    grab(&w, "strings");
    QTest::mouseClick(w.btnFinish, Qt::LeftButton);
    QVERIFY(!w.isVisible());
    apply(w, table);
    QCOMPARE(table.count, 2);
    // Exactly as typed, leading and trailing blanks kept; old strings gone.
    QCOMPARE(tableText(table), QString("1=a|2=  b c "));
    QCOMPARE(table.replace(1), Text(u"kept"));
  }

  void memo_keeps_its_text_between_showings_and_close_box_takes_nothing() {
    StringTable table;
    TfrmVarkoStrings w(nullptr, ini());
    w.setUp(table, QString());
    w.show();
    QTest::keyClicks(w.MemoStrings, "first");
    QTest::mouseClick(w.btnFinish, Qt::LeftButton);
    w.show();
    QCOMPARE(w.MemoStrings->toPlainText(), QString("first"));
    QTest::keyClick(w.MemoStrings, Qt::Key_Return);
    QTest::keyClicks(w.MemoStrings, "second");
    w.reject();
    apply(w, table);
    QCOMPARE(table.count, 1);
    QCOMPARE(tableText(table), QString("1=first"));
  }

  void more_than_two_hundred_strings_are_refused() {
    StringTable table;
    table.find(1) = u"before";
    table.count = 1;
    TfrmVarkoStrings w(nullptr, ini());
    w.setUp(table, QString());
    w.show();
    QStringList many;
    for (int i = 1; i <= 201; ++i)
      many << "s" + QString::number(i);
    w.MemoStrings->setPlainText(many.join('\n') + "\n\n");
    QString shown;
    whenModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box);
      shown = box->text();
      box->accept();
    });
    QTest::mouseClick(w.btnFinish, Qt::LeftButton);
    QVERIFY2(shown.contains("200") && shown.contains("201"), qPrintable(shown));
    QVERIFY(w.isVisible());
    apply(w, table);
    QCOMPARE(tableText(table), QString("1=before"));
    // Exactly 200 is fine.
    many.removeLast();
    w.MemoStrings->setPlainText(many.join('\n'));
    QTest::mouseClick(w.btnFinish, Qt::LeftButton);
    QVERIFY(!w.isVisible());
    apply(w, table);
    QCOMPARE(table.count, 200);
    QCOMPARE(table.find(200), Text(u"s200"));
  }

  void reset_shows_the_table_starting_from_the_simple_string() {
    guitest::writeFile(ini(), "[Settings]\r\nSimpleOrAdvancedStrings=2\r\n");
    StringTable table;
    table.find(2) = u"two";
    table.find(3) = u"three";
    table.count = 3;
    TfrmVarkoStrings w(nullptr, ini());
    w.setUp(table, "typed");
    w.show();
    QTest::keyClicks(w.MemoStrings, "scratch");
    QVERIFY(!w.reloadedSettings().has_value());
    QTest::mouseClick(w.btnReloadDefault, Qt::LeftButton);
    QCOMPARE(w.MemoStrings->toPlainText(), QString("typed\ntwo\nthree"));
    apply(w, table);
    QCOMPARE(table.find(1), Text(u"typed"));
    QVERIFY(w.reloadedSettings().has_value());
    QCOMPARE(w.reloadedSettings()->stringMode, 2);
    // A first string of its own is kept.
    table.find(1) = u"one";
    w.setUp(table, "typed");
    QTest::mouseClick(w.btnReloadDefault, Qt::LeftButton);
    QCOMPARE(w.MemoStrings->toPlainText(), QString("one\ntwo\nthree"));
  }

  void unused_controls_stay_out_of_the_way() {
    StringTable table;
    TfrmVarkoStrings w(nullptr, ini());
    w.setUp(table, QString());
    w.show();
    QVERIFY(!w.btnSaveStrings->isEnabled());
    QCOMPARE(w.btnSaveStrings->text(), QString("Save These Strings as Default set"));
    QVERIFY(!w.clbStrings->isVisible());
    QVERIFY(!w.btnEditStrings->isVisible());
    QVERIFY(!w.btnEdtChecks->isVisible());
    checkScreenReaderNames(&w);
    auto* label = qobject_cast<QLabel*>(
        QAccessible::queryAccessibleInterface(w.MemoStrings)->object());
    QVERIFY(!label);  // the memo itself answers, named by its label
    QCOMPARE(QAccessible::queryAccessibleInterface(w.MemoStrings)->text(QAccessible::Name),
             QString("Enter the strings to search for - one per line"));
  }
};

QTEST_MAIN(TfrmVarkoStringsTest)
#include "TfrmVarkoStringsTest.moc"
