#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "TfrmTimePicker.h"
#include "lib/DateTime.h"
#include "GuiTestSupport.h"

using namespace varko;

namespace {

using guitest::whenModal;

using guitest::grab;

QString shown(const TfrmTimePicker& w) {
  return w.edtHour->text() + ":" + w.edtMin->text() + ":" + w.edtSec->text();
}

}  // namespace

class TfrmTimePickerTest : public QObject {
  Q_OBJECT

  // Shows the picker (not modally, so the test can press its buttons) at a time.
  void start(TfrmTimePicker& w, int h, int m, int s) {
    w.setStart(QPoint(), 45356.0 + xcEncodeTime(h, m, s), 1);
    w.show();
  }

private slots:
  void every_step_button_moves_its_unit() {
    struct Step {
      QPushButton* TfrmTimePicker::*button;
      const char* expected;
    };
    const Step steps[] = {
        {&TfrmTimePicker::btn6HrPlus, "18:30:30"},   {&TfrmTimePicker::btnHrPlus, "13:30:30"},
        {&TfrmTimePicker::btnHourLess, "11:30:30"},  {&TfrmTimePicker::btn6HrLess, "06:30:30"},
        {&TfrmTimePicker::btn10MinPlus, "12:40:30"}, {&TfrmTimePicker::btnMinPlus, "12:31:30"},
        {&TfrmTimePicker::btnMinLess, "12:29:30"},   {&TfrmTimePicker::btn10MinLess, "12:20:30"},
        {&TfrmTimePicker::btn10SecPlus, "12:30:40"}, {&TfrmTimePicker::btnSecPlus, "12:30:31"},
        {&TfrmTimePicker::btnSecLess, "12:30:29"},   {&TfrmTimePicker::btn10SecLess, "12:30:20"},
    };
    TfrmTimePicker w;
    for (const Step& step : steps) {
      start(w, 12, 30, 30);
      QCOMPARE(shown(w), QString("12:30:30"));
      QTest::mouseClick(w.*(step.button), Qt::LeftButton);
      QCOMPARE(shown(w), QString(step.expected));
      w.hide();
    }
  }

  void steps_carry_and_wrap() {
    TfrmTimePicker w;
    start(w, 22, 30, 0);
    QTest::mouseClick(w.btn6HrPlus, Qt::LeftButton);
    QCOMPARE(shown(w), QString("04:30:00"));
    w.hide();
    start(w, 0, 0, 5);
    QTest::mouseClick(w.btn10SecLess, Qt::LeftButton);
    QCOMPARE(shown(w), QString("23:59:55"));
    w.hide();
    start(w, 23, 59, 59);
    QTest::mouseClick(w.btnSecPlus, Qt::LeftButton);
    QCOMPARE(shown(w), QString("00:00:00"));
    grab(&w, "time-picker");
  }

  void ok_reads_and_normalises_the_typed_fields() {
    TfrmTimePicker w;
    start(w, 10, 0, 0);
    w.edtMin->setText("75");
    QTest::mouseClick(w.btnOK, Qt::LeftButton);
    QVERIFY(w.picked());
    QVERIFY(!w.isVisible());
    QCOMPARE(xcFormatDateTime(u"hh:nn:ss", w.timeValue()), Text(u"11:15:00"));

    start(w, 0, 0, 0);
    QVERIFY(!w.picked());
    w.edtHour->setText("99");
    w.edtSec->setText("abc");
    QTest::mouseClick(w.btnOK, Qt::LeftButton);
    QCOMPARE(xcFormatDateTime(u"hh:nn:ss", w.timeValue()), Text(u"03:00:00"));
  }

  void a_step_discards_what_was_typed() {
    TfrmTimePicker w;
    start(w, 8, 0, 0);
    w.edtHour->setText("15");
    QTest::mouseClick(w.btnMinPlus, Qt::LeftButton);
    QCOMPARE(shown(w), QString("08:01:00"));
  }

  void closing_without_ok_keeps_the_value() {
    TfrmTimePicker w;
    const DateTimeValue value = 45356.0 + xcEncodeTime(9, 5, 0);
    w.setStart(QPoint(), value, 1);
    w.show();
    QTest::mouseClick(w.btnHrPlus, Qt::LeftButton);
    w.close();
    QVERIFY(!w.picked());
    QCOMPARE(w.timeValue(), value);
  }

  void pick_for_field_writes_back_only_when_picked() {
    TfrmTimePicker w;
    QLineEdit field("9:05pm");
    whenModal([&](QWidget* modal) {
      QCOMPARE(modal, &w);
      QCOMPARE(shown(w), QString("21:05:00"));
      QTest::mouseClick(w.btnMinLess, Qt::LeftButton);
      QTest::mouseClick(w.btnOK, Qt::LeftButton);
    });
    QVERIFY(w.pickForField(&field, QPoint(10, 10)));
    QCOMPARE(field.text(), QString("21:04:00"));
    whenModal([&](QWidget* modal) {
      QTest::mouseClick(w.btnMinLess, Qt::LeftButton);
      modal->close();
    });
    QVERIFY(!w.pickForField(&field, QPoint(10, 10)));
    QCOMPARE(field.text(), QString("21:04:00"));
  }

  void fields_are_named_by_their_column_labels() {
    TfrmTimePicker w;
    w.show();
    QCOMPARE(QAccessible::queryAccessibleInterface(w.edtHour)->text(QAccessible::Name), QString("Hour"));
    QCOMPARE(QAccessible::queryAccessibleInterface(w.edtMin)->text(QAccessible::Name), QString("Min"));
    QCOMPARE(QAccessible::queryAccessibleInterface(w.edtSec)->text(QAccessible::Name), QString("Seconds"));
    QCOMPARE(QAccessible::queryAccessibleInterface(w.btn6HrPlus)->text(QAccessible::Name), QString("+6"));
    for (QLabel* l : w.findChildren<QLabel*>()) QVERIFY(l->accessibleName().isEmpty());
  }
};

QTEST_MAIN(TfrmTimePickerTest)
#include "TfrmTimePickerTest.moc"
