#pragma once
// "Pick Time": chooses a time of day with step buttons for hours, minutes and seconds.
//
// Use: setStart(screen position or a null point to centre on the parent, time value, mode 1 to
// start from it); exec(); then, when picked() is true, timeValue() holds the chosen time of day
// (0 milliseconds); otherwise the value is the one given. pickForField() does all of this for a
// "hh:nn:ss" edit field.
#include <QDialog>
#include <QPoint>
#include "lib/Clock.h"
#include "setup/PickerTime.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TfrmTimePicker : public QDialog {
  Q_OBJECT
public:
  explicit TfrmTimePicker(QWidget* parent = nullptr);

  void setStart(QPoint position, varko::DateTimeValue timeValue, int startFromValue);
  bool picked() const { return picked_; }
  varko::DateTimeValue timeValue() const { return timeValue_; }
  varko::PickerTime workingTime() const { return working_; }
  // Appended to the caption "Pick ".
  QString subjectText;

  // The time button of a field: reads the field's time, shows the picker at the field and writes
  // the picked time back as "hh:nn:ss". A time the field's text does not give is reported with
  // the conversion's message instead. The field has the focus afterwards in every case.
  bool pickForField(QLineEdit* field, QPoint position);

  QPushButton *btn6HrPlus, *btnHrPlus, *btnHourLess, *btn6HrLess;
  QPushButton *btn10MinPlus, *btnMinPlus, *btnMinLess, *btn10MinLess;
  QPushButton *btn10SecPlus, *btnSecPlus, *btnSecLess, *btn10SecLess;
  QLineEdit *edtHour, *edtMin, *edtSec;
  QLabel *Label1, *Label2, *Label3, *lblHour, *lblMin;
  QPushButton* btnOK;

protected:
  void showEvent(QShowEvent* event) override;

private:
  void FormShow();
  void step(int hours, int minutes, int seconds);
  void ShowTime();
  void btnOKClick();

  varko::DateTimeValue timeValue_ = 0;
  int startFromValue_ = 0;
  bool picked_ = false;
  varko::PickerTime working_;
  QPoint position_;
};
