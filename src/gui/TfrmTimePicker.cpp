#include "TfrmTimePicker.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include "lib/DateTime.h"
#include "lib/Errors.h"
#include "QtText.h"
#include "QtColour.h"

namespace {
using varko::gui::toQString;
}  // namespace

TfrmTimePicker::TfrmTimePicker(QWidget* parent) : QDialog(parent) {
  setObjectName("frmTimePicker");
  setWindowTitle("Pick Time");
  varko::gui::setDesignedLook(this, varko::kWhite);
  setFont(QFont("Tahoma", 8));

  auto button = [this](const char* name, const QString& caption, const QString& description) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAccessibleDescription(description);
    b->setAutoDefault(false);
    b->setFixedWidth(44);
    return b;
  };
  btn6HrPlus = button("btn6HrPlus", "+6", "Add 6 hours");
  btnHrPlus = button("btnHrPlus", "+1", "Add 1 hour");
  btnHourLess = button("btnHourLess", "-1", "Take 1 hour");
  btn6HrLess = button("btn6HrLess", "-6", "Take 6 hours");
  btn10MinPlus = button("btn10MinPlus", "+10", "Add 10 minutes");
  btnMinPlus = button("btnMinPlus", "+1", "Add 1 minute");
  btnMinLess = button("btnMinLess", "-1", "Take 1 minute");
  btn10MinLess = button("btn10MinLess", "-10", "Take 10 minutes");
  btn10SecPlus = button("btn10SecPlus", "+10", "Add 10 seconds");
  btnSecPlus = button("btnSecPlus", "+1", "Add 1 second");
  btnSecLess = button("btnSecLess", "-1", "Take 1 second");
  btn10SecLess = button("btn10SecLess", "-10", "Take 10 seconds");

  QFont fieldFont("Verdana", 11);
  fieldFont.setBold(true);
  auto field = [&](const char* name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setFont(fieldFont);
    varko::gui::setTextColour(e, varko::kNavy);
    e->setFixedWidth(44);
    e->setAlignment(Qt::AlignCenter);
    return e;
  };
  edtHour = field("edtHour");
  edtMin = field("edtMin");
  edtSec = field("edtSec");

  QFont bold = font();
  bold.setBold(true);
  auto label = [&](const QString& text, QLineEdit* buddy) {
    auto* l = new QLabel(text, this);
    l->setFont(bold);
    l->setAlignment(Qt::AlignCenter);
    l->setBuddy(buddy);
    return l;
  };
  Label1 = label("Hour", edtHour);
  Label2 = label("Min", edtMin);
  Label3 = label("Seconds", edtSec);
  lblHour = new QLabel(":", this);
  lblMin = new QLabel(":", this);

  btnOK = new QPushButton("OK", this);
  btnOK->setObjectName("btnOK");
  btnOK->setMinimumHeight(100);
  btnOK->setDefault(true);

  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(2);
  grid->addWidget(Label1, 0, 0);
  grid->addWidget(Label2, 0, 2);
  grid->addWidget(Label3, 0, 4);
  const QList<QList<QPushButton*>> columns = {{btn6HrPlus, btnHrPlus, btnHourLess, btn6HrLess},
                                              {btn10MinPlus, btnMinPlus, btnMinLess, btn10MinLess},
                                              {btn10SecPlus, btnSecPlus, btnSecLess, btn10SecLess}};
  const QList<QLineEdit*> fields = {edtHour, edtMin, edtSec};
  for (int c = 0; c < 3; ++c) {
    grid->addWidget(columns[c][0], 1, c * 2);
    grid->addWidget(columns[c][1], 2, c * 2);
    grid->addWidget(fields[c], 3, c * 2);
    grid->addWidget(columns[c][2], 4, c * 2);
    grid->addWidget(columns[c][3], 5, c * 2);
  }
  grid->addWidget(lblHour, 3, 1);
  grid->addWidget(lblMin, 3, 3);
  grid->addWidget(btnOK, 1, 6, 5, 1);
  grid->setColumnMinimumWidth(5, 12);
  grid->setSizeConstraint(QLayout::SetFixedSize);

  // The +1 and -1 buttons first, as the keyboard reaches them most.
  const QList<QWidget*> order = {btnHrPlus,  btnMinPlus, btnSecPlus,   btnHourLess,  btnMinLess,
                                 btnSecLess, btnOK,      btn6HrPlus,   btn10MinPlus, btn10SecPlus,
                                 btn6HrLess, btn10MinLess, btn10SecLess, edtHour,    edtMin, edtSec};
  for (int i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

  auto wire = [this](QPushButton* b, int h, int m, int s) {
    connect(b, &QPushButton::clicked, this, [this, h, m, s] { step(h, m, s); });
  };
  wire(btn6HrPlus, 6, 0, 0);
  wire(btnHrPlus, 1, 0, 0);
  wire(btnHourLess, -1, 0, 0);
  wire(btn6HrLess, -6, 0, 0);
  wire(btn10MinPlus, 0, 10, 0);
  wire(btnMinPlus, 0, 1, 0);
  wire(btnMinLess, 0, -1, 0);
  wire(btn10MinLess, 0, -10, 0);
  wire(btn10SecPlus, 0, 0, 10);
  wire(btnSecPlus, 0, 0, 1);
  wire(btnSecLess, 0, 0, -1);
  wire(btn10SecLess, 0, 0, -10);
  connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
}

void TfrmTimePicker::setStart(QPoint position, varko::DateTimeValue timeValue, int startFromValue) {
  position_ = position;
  timeValue_ = timeValue;
  startFromValue_ = startFromValue;
}

void TfrmTimePicker::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
  if (!position_.isNull()) {
    move(position_);
  } else if (parentWidget()) {
    const QPoint centre = parentWidget()->geometry().center();
    move(centre.x() - width() / 2, centre.y() - height() / 2);
  }
}

void TfrmTimePicker::FormShow() {
  setWindowTitle("Pick " + subjectText);
  if (startFromValue_ == 1) working_ = varko::PickerTimeFromValue(timeValue_);
  ShowTime();
  picked_ = false;
}

void TfrmTimePicker::step(int hours, int minutes, int seconds) {
  // The fields are not read: whatever was typed gives way to the step.
  working_.hour += hours;
  working_.minute += minutes;
  working_.second += seconds;
  ShowTime();
}

void TfrmTimePicker::ShowTime() {
  varko::NormalisePickerTime(working_);
  edtHour->setText(toQString(varko::PickerFieldText(working_.hour)));
  edtMin->setText(toQString(varko::PickerFieldText(working_.minute)));
  edtSec->setText(toQString(varko::PickerFieldText(working_.second)));
}

void TfrmTimePicker::btnOKClick() {
  working_.hour = varko::PickerFieldNumber(edtHour->text().toStdU16String());
  working_.minute = varko::PickerFieldNumber(edtMin->text().toStdU16String());
  working_.second = varko::PickerFieldNumber(edtSec->text().toStdU16String());
  varko::NormalisePickerTime(working_);
  timeValue_ = varko::PickerTimeToValue(working_);
  picked_ = true;
  accept();
}

bool TfrmTimePicker::pickForField(QLineEdit* field, QPoint position) {
  varko::Text text = field->text().toStdU16String();
  int32_t number = 0;
  int32_t errorFlag = 0;
  varko::DateTimeValue value = 0;
  try {
    varko::xcTimeConvert(1, text, number, value, errorFlag);
  } catch (const varko::VarkoError& error) {
    QMessageBox::critical(parentWidget(), "Pick Time", toQString(error.text()));
    field->setFocus();
    return false;
  }
  setStart(position, value, 1);
  exec();
  if (picked_) field->setText(toQString(varko::xcFormatDateTime(u"hh:nn:ss", timeValue_)));
  field->setFocus();
  return picked_;
}
