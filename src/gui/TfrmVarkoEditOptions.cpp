#include "TfrmVarkoEditOptions.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include "QtColour.h"

TfrmVarkoEditOptions::TfrmVarkoEditOptions(QWidget* parent) : QDialog(parent) {
  setObjectName("frmVarkoEditOptions");
  setWindowTitle("Choose how to open file");
  varko::gui::setDesignedLook(this, varko::kWhite);
  resize(714, 178);

  Label1 = new QLabel("Options to view file are to use Windows File Association,  or Notepad, or inbuilt Viewer", this);
  Label2 = new QLabel(
      "(EditPlus and Notepad++ will position at exact line if configured, Viewer will too, Notepad does not)", this);
  lblExt = new QLabel("Extension is ...", this);
  lblFilename = new QLabel("Filename is ...", this);
  lblFilename->setTextInteractionFlags(Qt::TextSelectableByMouse);
  btnWindows = new QPushButton("Windows", this);
  btnNotepad = new QPushButton("Notepad", this);
  btnViewer = new QPushButton("Viewer", this);
  btnWindows->setObjectName("btnWindows");
  btnNotepad->setObjectName("btnNotepad");
  btnViewer->setObjectName("btnViewer");
  btnWindows->setAutoDefault(false);
  btnNotepad->setAutoDefault(false);
  btnViewer->setAutoDefault(false);
  for (QPushButton* b : {btnWindows, btnNotepad, btnViewer}) b->setMinimumWidth(120);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnWindows);
  buttons->addWidget(btnNotepad);
  buttons->addWidget(btnViewer);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(Label2);
  layout->addWidget(lblExt);
  layout->addWidget(lblFilename);
  layout->addStretch();
  layout->addLayout(buttons);
  setTabOrder(btnWindows, btnNotepad);
  setTabOrder(btnNotepad, btnViewer);

  connect(btnWindows, &QPushButton::clicked, this, [this] { answerAndClose("Windows"); });
  connect(btnNotepad, &QPushButton::clicked, this, [this] { answerAndClose("Notepad.exe"); });
  connect(btnViewer, &QPushButton::clicked, this, [this] { answerAndClose("Viewer"); });
}

QString TfrmVarkoEditOptions::ask(const QString& file, const QString& ext) {
  fileName = file;
  extension = ext;
  if (parentWidget()) {
    const QPoint centre = parentWidget()->geometry().center();
    move(centre.x() - width() / 2, centre.y() - height() / 2);
  }
  exec();
  return answer_;
}

void TfrmVarkoEditOptions::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
  btnWindows->setFocus();
}

void TfrmVarkoEditOptions::FormShow() {
  lblExt->setText(QString("Extension=%1").arg(extension));
  lblFilename->setText(QString("Filename=%1").arg(fileName));
}

void TfrmVarkoEditOptions::answerAndClose(const QString& answer) {
  answer_ = answer;
  accept();
}
