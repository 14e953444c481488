// The search inputs' behaviour: how they show their modes, their keys, and clicking into and
// leaving a field.
#include "TfrmVarko1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "FoundGridView.h"
#include "QtColour.h"
#include "QtText.h"
#include "VarkoPictures.h"

using namespace varko;
using varko::gui::setTextColour;
using varko::gui::toQColor;
using varko::gui::toQString;
using varko::gui::toText;

namespace {

// Delphi's key press: a character, Backspace and Ctrl+letter, not navigation keys.
bool isCharacterKey(const QKeyEvent* event) {
  return !event->text().isEmpty() && event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab;
}

}  // namespace

void TfrmVarko1::editFieldClick(QLineEdit* field) {
  if (startingUp_) return;
  if (field == edtFolder) {
    if (inputs_.saved.folderMode != kAdvancedMode) return;
    runHook(hooks.editAdvancedFolders);
    UpdateFolderSelection();
    PrepareAdvancedFolders();
  } else if (field == edtFileSpec) {
    if (inputs_.saved.fileSpecMode == kSimpleMode) {
      lblFilespecCount->clear();
      return;
    }
    runHook(hooks.editAdvancedFileSpecs);
    PrepareAdvancedFileSpecs();
  } else if (field == edtString) {
    if (inputs_.saved.stringMode == kSimpleMode) {
      edtString->setFocus();
      lblStringsCount->clear();
      return;
    }
    runHook(hooks.editAdvancedStrings);
    PrepareAdvancedStrings();
  }
}

void TfrmVarko1::editFieldExit(QLineEdit* field) {
  if (field == edtString) {
    const Text text = toText(edtString->text());
    if (text != textsAtFocus_.string && inputs_.saved.stringMode == kSimpleMode) {
      inputs_.history.AddStringToHistory(session_.searchString());
      searchStringsText_ = text;
    }
  }
  SetStatusColour(StatusColour::GreyIfFieldsChanged);
}

// ---------------------------------------------------------------------------------------------
// How the search inputs show their modes.

void TfrmVarko1::SetAdvancedColours() {
  struct Input {
    QLineEdit* field;
    QToolButton* picture;
    QLabel* label;
    QCheckBox* box;
    int mode;
  };
  const SavedSettings& saved = inputs_.saved;
  for (const Input& input : {Input{edtFolder, ImageFolder, lblpAdvancedFolder, cbxAdvancedFolders, saved.folderMode},
                             Input{edtFileSpec, ImageFilespec, lblpAdvancedFilespec, cbxAdvancedFileSpec, saved.fileSpecMode},
                             Input{edtString, ImageString, lblpAdvancedString, cbxAdvancedStrings, saved.stringMode}}) {
    const bool advanced = input.mode == kAdvancedMode;
    setTextColour(input.field, advanced ? kGreen : kNavy);
    QFont font = input.field->font();
    font.setBold(advanced);
    input.field->setFont(font);
    input.field->setReadOnly(advanced);
    input.picture->setIcon(QIcon(advanced ? VarkoPictures::switchOn() : VarkoPictures::switchOff()));
    input.picture->setToolTip(advanced ? QStringLiteral("Advanced (click for simple)")
                                       : QStringLiteral("Simple (click for advanced)"));
    setTextColour(input.label, advanced ? kGreen : kGrey);
    QSignalBlocker block(input.box);
    input.box->setChecked(advanced);
  }
  const bool folders = inputs_.saved.folderMode == kAdvancedMode;
  btnCurrent->setEnabled(!folders);
  btnBrowse->setEnabled(!folders);
  if (!folders) lblFolderCount->clear();
  if (inputs_.saved.fileSpecMode == kAdvancedMode)
    lblFilespecCount->setText(toQString(SetLabelText(static_cast<int32_t>(fileSpecsSelection_.items.size()), u"Filespec")));
  else
    lblFilespecCount->clear();
  // The history button stays enabled in advanced mode too: there it leads to the multiple
  // searches page, which the history window shows only then.
  btnHistory->setEnabled(true);
  if (inputs_.saved.stringMode == kAdvancedMode) {
    cbxGoogleFind->setChecked(false);
    cbxGoogleFind->setEnabled(false);
  } else {
    cbxGoogleFind->setEnabled(true);
    lblStringsCount->clear();
  }
}

void TfrmVarko1::ShowAdvancedSwitches() {
  const bool pictures = cbxShowAdvancedButtons->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{ImageFolder, ImageFilespec, ImageString, lblpAdvancedFolder,
                                                   lblpAdvancedFilespec, lblpAdvancedString})
    w->setVisible(pictures);
  for (QCheckBox* box : {cbxAdvancedFolders, cbxAdvancedFileSpec, cbxAdvancedStrings}) box->setVisible(!pictures);
}

// ---------------------------------------------------------------------------------------------
// Keys, clicks and focus of the fields reach their handlers.

bool TfrmVarko1::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (auto* button = qobject_cast<QPushButton*>(watched); button && event->type() == QEvent::KeyPress) {
    // Qt's buttons outside a dialog ignore Enter; here it presses the focused button, once per press.
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return QMainWindow::eventFilter(watched, event);
    if (!key->isAutoRepeat() && button->isEnabled() && button->isVisible()) button->click();
    return true;
  }
  if (event->type() == QEvent::KeyPress && (qobject_cast<QLineEdit*>(watched) || qobject_cast<QCheckBox*>(watched))) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape) {
      // Neither starts a search nor closes anything: both move on like Tab.
      if (widget) {
        QWidget* next = widget->nextInFocusChain();
        while (next && next != widget && (!(next->focusPolicy() & Qt::TabFocus) || !next->isVisible() || !next->isEnabled()))
          next = next->nextInFocusChain();
        if (next && next != widget) next->setFocus(Qt::TabFocusReason);
      }
      return true;
    }
  }

  auto* field = qobject_cast<QLineEdit*>(watched);
  if (field == edtFolder || field == edtFileSpec || field == edtString) {
    const SavedSettings& saved = inputs_.saved;
    switch (event->type()) {
      case QEvent::MouseButtonPress:
        if (field == edtString ? saved.stringMode == kAdvancedMode
                               : (field == edtFolder ? saved.folderMode : saved.fileSpecMode) == kAdvancedMode) {
          editFieldClick(field);
          return !startingUp_;
        }
        editFieldClick(field);
        break;
      case QEvent::MouseButtonDblClick:
        if (field == edtFolder) {
          edtFolderDblClick();
          return true;
        }
        break;
      case QEvent::KeyPress:
        if (isCharacterKey(static_cast<QKeyEvent*>(event))) editFieldClick(field);
        break;
      case QEvent::FocusIn:
        // The window becoming active again (after a dialog or another program) is not the field
        // receiving the focus: the texts at focus stay, so an earlier edit still greys lblFile.
        if (const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
          break;
        if (field == edtFolder) textsAtFocus_.folder = toText(field->text());
        if (field == edtFileSpec) textsAtFocus_.fileSpec = toText(field->text());
        if (field == edtString) textsAtFocus_.string = toText(field->text());
        break;
      case QEvent::FocusOut: {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving the window (a dialog opening) is not leaving the field.
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) break;
        editFieldExit(field);
        // Leaving the string, by keyboard or by mouse, leads to "Search".
        if (field == edtString && btnGo->isVisible())
          QMetaObject::invokeMethod(btnGo, [this] { btnGo->setFocus(Qt::OtherFocusReason); }, Qt::QueuedConnection);
        break;
      }
      default:
        break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
