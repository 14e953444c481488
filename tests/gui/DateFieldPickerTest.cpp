#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "DateFieldPicker.h"
#include "GuiTestSupport.h"

namespace {
using guitest::grab;
}  // namespace

class DateFieldPickerTest : public QObject {
  Q_OBJECT
  QWidget page;
  QLineEdit* start = nullptr;
  QLineEdit* end = nullptr;
  QPushButton* startButton = nullptr;
  QPushButton* endButton = nullptr;

private slots:
  void init() {
    delete page.layout();
    qDeleteAll(page.findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
    auto* layout = new QVBoxLayout(&page);
    start = new QLineEdit(&page);
    end = new QLineEdit(&page);
    startButton = new QPushButton(">", &page);
    endButton = new QPushButton(">", &page);
    for (QWidget* w : {static_cast<QWidget*>(start), static_cast<QWidget*>(startButton),
                       static_cast<QWidget*>(end), static_cast<QWidget*>(endButton)})
      layout->addWidget(w);
    page.show();
  }

  void calendar_opens_on_the_field_date_and_writes_the_pick_back() {
    start->setText("2024-03-05");
    DateFieldPicker picker(start, startButton);
    QTest::mouseClick(startButton, Qt::LeftButton);
    QVERIFY(picker.calendar()->isVisible());
    QCOMPARE(picker.calendar()->selectedDate(), QDate(2024, 3, 5));
    grab(picker.calendar(), "date-picker");
    picker.calendar()->setSelectedDate(QDate(2024, 3, 9));
    emit picker.calendar()->activated(QDate(2024, 3, 9));
    QVERIFY(!picker.calendar()->isVisible());
    QCOMPARE(start->text(), QString("09-Mar-24"));
  }

  void closing_without_pick_tidies_a_readable_date_and_leaves_an_unreadable_one() {
    start->setText("5/3/24");
    DateFieldPicker picker(start, startButton);
    QSignalSpy closed(&picker, &DateFieldPicker::closedUp);
    picker.dropDown();
    picker.calendar()->hide();
    QCOMPARE(closed.count(), 1);
    QCOMPARE(start->text(), QString("05-Mar-24"));
    start->setText("soon");
    picker.dropDown();
    QCOMPARE(picker.calendar()->selectedDate(), QDate::currentDate());
    picker.calendar()->hide();
    QCOMPARE(start->text(), QString("soon"));
  }

  void an_end_date_before_the_start_date_becomes_the_start_date() {
    start->setText("10-Mar-24");
    end->setText("");
    DateFieldPicker startPicker(start, startButton);
    DateFieldPicker endPicker(end, endButton);
    startPicker.setDateOrderFields(start, end);
    endPicker.setDateOrderFields(start, end);
    startPicker.dropDown();
    emit startPicker.calendar()->clicked(QDate(2024, 3, 10));
    QCOMPARE(end->text(), QString("10-Mar-24"));  // a blank end takes the start
    endPicker.dropDown();
    endPicker.calendar()->setSelectedDate(QDate(2024, 3, 1));
    emit endPicker.calendar()->clicked(QDate(2024, 3, 1));
    QCOMPARE(end->text(), QString("10-Mar-24"));
    endPicker.dropDown();
    endPicker.calendar()->setSelectedDate(QDate(2024, 4, 1));
    emit endPicker.calendar()->clicked(QDate(2024, 4, 1));
    QCOMPARE(end->text(), QString("01-Apr-24"));
  }
};

QTEST_MAIN(DateFieldPickerTest)
#include "DateFieldPickerTest.moc"
