#include "DateFieldPicker.h"

#include <QCalendarWidget>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include "lib/DateTime.h"
#include "find/DateOrder.h"
#include "QtText.h"

namespace {
using varko::gui::toQString;

bool readable(const QString& date) { return varko::xcDateTextToNumber(date.toStdU16String()) != 0; }

// A blank end date takes the start date; otherwise both must read as dates.
bool datesComparable(const QString& start, const QString& end) {
  return readable(start) && (end.trimmed().isEmpty() || readable(end));
}
}  // namespace

DateFieldPicker::DateFieldPicker(QLineEdit* dateField, QPushButton* button, QObject* parent)
    : QObject(parent), field_(dateField), button_(button) {
  calendar_ = new QCalendarWidget(dateField->window());
  calendar_->setWindowFlags(Qt::Popup);
  calendar_->setAccessibleName("Pick date on Calendar");
  calendar_->setGridVisible(true);
  calendar_->installEventFilter(this);
  connect(calendar_, &QCalendarWidget::clicked, this, [this] { closeUp(true); });
  connect(calendar_, &QCalendarWidget::activated, this, [this] { closeUp(true); });
  if (button_) connect(button_, &QPushButton::clicked, this, [this] { dropDown(); });
}

void DateFieldPicker::setDateOrderFields(QLineEdit* startDate, QLineEdit* endDate) {
  startDate_ = startDate;
  endDate_ = endDate;
}

void DateFieldPicker::dropDown() {
  const varko::DateTimeValue value = varko::xcDateTextToValue(field_->text().toStdU16String());
  fieldReadable_ = value != 0;
  QDate date = QDate::currentDate();
  // An unreadable field opens on today rather than on the day the values count from (1899).
  if (fieldReadable_) {
    int year = 0, month = 0, day = 0;
    varko::xcDecodeDate(value, year, month, day);
    date = QDate(year, month, day);
  }
  calendar_->setSelectedDate(date);
  const int width = field_->width() + (button_ ? button_->width() : 0);
  calendar_->resize(qMax(width, calendar_->sizeHint().width()), calendar_->sizeHint().height());
  calendar_->move(field_->mapToGlobal(QPoint(0, 0)));
  open_ = true;
  calendar_->show();
  calendar_->setFocus();
}

bool DateFieldPicker::eventFilter(QObject* watched, QEvent* event) {
  // A click outside or Esc closes the popup without a pick.
  if (watched == calendar_ && event->type() == QEvent::Hide && open_) closeUp(false);
  return QObject::eventFilter(watched, event);
}

void DateFieldPicker::closeUp(bool picked) {
  if (!open_) return;
  open_ = false;
  calendar_->hide();
  // Closing without a pick leaves an unreadable text for the user to see and mend.
  if (picked || fieldReadable_) {
    const QDate date = calendar_->selectedDate();
    field_->setText(toQString(varko::xcDateValueToText(varko::xcEncodeDate(date.year(), date.month(), date.day()))));
  }
  // The order is kept between two readable dates only (an unreadable one reads as 0): a text the
  // user must mend stays as typed, and a readable date is not replaced by an unreadable one.
  if (startDate_ && endDate_ && datesComparable(startDate_->text(), endDate_->text())) {
    varko::Text end = endDate_->text().toStdU16String();
    varko::KeepDateOrder(startDate_->text().toStdU16String(), end);
    if (toQString(end) != endDate_->text()) endDate_->setText(toQString(end));
  }
  emit closedUp();
}
