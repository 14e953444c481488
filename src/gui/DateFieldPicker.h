#pragma once
// The drop-down calendar of a date field (the ">" button beside the start or end date).
//
// Use: new DateFieldPicker(date field, its button, parent); the button then drops the calendar
// open on the field's date. Closing it writes the date back as "dd-Mmm-yy"; with
// setDateOrderFields() the end date is then kept from lying before the start date.
#include <QObject>
#include <QPointer>

class QCalendarWidget;
class QLineEdit;
class QPushButton;

class DateFieldPicker : public QObject {
  Q_OBJECT
public:
  DateFieldPicker(QLineEdit* dateField, QPushButton* button, QObject* parent = nullptr);

  void setDateOrderFields(QLineEdit* startDate, QLineEdit* endDate);
  // btnSelDate1Click / btnSelDate2Click: place the calendar over the field and open it.
  void dropDown();
  QCalendarWidget* calendar() const { return calendar_; }

signals:
  // The calendar closed and the field holds its date.
  void closedUp();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void closeUp(bool picked);

  QLineEdit* field_;
  QPushButton* button_;
  QPointer<QLineEdit> startDate_;
  QPointer<QLineEdit> endDate_;
  QCalendarWidget* calendar_;
  bool fieldReadable_ = false;
  bool open_ = false;
};
