#include "TfrmVarkoFileSpec.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "ListWindowParts.h"

using namespace varko;
using namespace varko::gui;

namespace {

TextList searchedFileSpecs(const AdvancedList& fileSpecs) { return PrepareAdvancedFileSpecs(fileSpecs).items; }

}  // namespace

TfrmVarkoFileSpec::TfrmVarkoFileSpec(QWidget* parent, const QString& settingsFile)
    : AdvancedListWindow(parent, settingsFile,
                         {.windowName = "frmVarkoFilespec",
                          .title = "Filespec - Advanced  Search",
                          .listName = "clbFilespec",
                          .listAccessibleName = "Filespecs",
                          .memoName = "memoFileSpec",
                          .memoHeading = "These Filespecs will be searched",
                          .saveCaption = "Save These filespecs as Default set",
                          .blankLinesShown = false,
                          .firstSlotDefault = u"*.*",
                          .searched = searchedFileSpecs,
                          .writeSaved = WriteSavedFileSpecs,
                          .savedList = &SavedSettings::fileSpecs,
                          .savedMode = &SavedSettings::fileSpecMode}),
      clbFilespec(list()),
      memoFileSpec(memo()),
      btnSaveFilespec(saveButton()) {
  auto* Label1 = greyLabel("You can search up to 10 filespecs.", this);
  auto* Label2 = greyLabel(
      "Add Check-mark next to filespecs that you wish to be in current search", this);
  auto* Label4 = greyLabel("(uncheck to keep in list but not in current search)", this);
  auto* Label3 = greyLabel(
      "To add new a Filespec , enter Filespec e.g. *.TXT  in the Add New FileSpec box and click "
      "the add button",
      this);
  Label3->setWordWrap(true);
  auto* Label5 = new QLabel("Add new Filespec", this);
  edtFilespec = new QLineEdit(this);
  edtFilespec->setObjectName("edtFilespec");
  edtFilespec->installEventFilter(this);
  Label5->setBuddy(edtFilespec);
  btnAdd = new QPushButton("Add", this);
  btnAdd->setAutoDefault(false);
  auto* Label6 = greyLabel("To remove a Filespec click on it and press  DEL", this);
  auto* Label7 = greyLabel(
      "Tip - if you select multiple filespecs to search  and one is *.* then the others are "
      "ignored.",
      this);
  Label7->setWordWrap(true);
  auto* Label8 = greyLabel(
      "To change a Filespec, Delete it (press DEL) then add a new one, it will go in the first "
      "blank slot.",
      this);
  Label8->setWordWrap(true);
  // Enter belongs to the add box, not to these buttons.
  btnSaveFilespec->setAutoDefault(false);
  btnReloadDefault->setAutoDefault(false);

  auto* add = new QHBoxLayout;
  add->addWidget(Label5);
  add->addWidget(edtFilespec, 1);
  add->addWidget(btnAdd);
  QVBoxLayout* help = helpColumn();
  for (QLabel* label : {Label1, Label2, Label4, Label3})
    help->addWidget(label);
  help->addLayout(add);
  for (QLabel* label : {Label6, Label7, Label8})
    help->addWidget(label);
  resize(984, 565);

  connect(btnAdd, &QPushButton::clicked, this, [this] { btnAddClick(); });
}

bool TfrmVarkoFileSpec::eventFilter(QObject* watched, QEvent* event) {
  // Enter in the add box adds the filespec instead of closing the window.
  if (watched == edtFilespec && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      btnAddClick();
      return true;
    }
  }
  return AdvancedListWindow::eventFilter(watched, event);
}

void TfrmVarkoFileSpec::btnAddClick() {
  const QString fileSpec = edtFilespec->text();
  if (xcIsBlank(toText(fileSpec))) return;
  for (int i = 0; i < clbFilespec->count(); ++i) {
    QListWidgetItem* item = clbFilespec->item(i);
    if (item->text().isEmpty()) {
      setLineText(item, fileSpec);
      return;
    }
  }
  if (clbFilespec->count() >= kAdvancedSlots) {
    QMessageBox::information(
        this, windowTitle(),
        QString("The list is full: it holds up to %1 filespecs.\n"
                "Delete one (click on it and press DEL) to make room for \"%2\".")
            .arg(kAdvancedSlots)
            .arg(fileSpec));
    return;
  }
  addLine(fileSpec, false);
}
