#include "WindowReplaceQuestions.h"

#include <QCoreApplication>

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>

#include "QtText.h"
#include "TfrmVarkoReplaceResults.h"
#include "replace/DifferencesViewer.h"

using namespace varko;
using namespace varko::gui;

WindowReplaceQuestions::WindowReplaceQuestions(QWidget* parent, TfrmVarkoReplaceResults& results, Text settingsFile)
    : parent_(parent), results_(results), settingsFile_(std::move(settingsFile)) {}

ConfirmAnswer WindowReplaceQuestions::confirmLine(const Text& boxText) {
  QMessageBox box(QMessageBox::Question, QApplication::applicationName(), toQString(boxText),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::NoToAll |
                      QMessageBox::YesToAll,
                  parent_);
  box.setObjectName("boxConfirmLine");
  // Lines may hold anything: shown as written, in fixed width so old and new line up.
  box.setTextFormat(Qt::PlainText);
  if (auto* label = box.findChild<QLabel*>("qt_msgbox_label")) {
    label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Yes: return ConfirmAnswer::Yes;
    case QMessageBox::No: return ConfirmAnswer::No;
    case QMessageBox::NoToAll: return ConfirmAnswer::NoToAll;
    case QMessageBox::YesToAll: return ConfirmAnswer::YesToAll;
    default: return ConfirmAnswer::Cancel;  // also the close box
  }
}

FileDecision WindowReplaceQuestions::decideFile(const FileChanges& changes) {
  results_.setChanges(changes, !sameFile_);
  results_.setInProgramDifferences(xcDifferencesViewer(settingsFile_).empty());
  const FileDecision decision = results_.execDecision();
  sameFile_ = decision == FileDecision::ShowDifferences;
  return decision;
}

bool WindowReplaceQuestions::confirmSaveWithoutDiffs(const Text& text) {
  if (results_.differencesShownHere()) return true;
  QMessageBox box(QMessageBox::Question, QApplication::applicationName(), toQString(text),
                  QMessageBox::Yes | QMessageBox::No, parent_);
  box.setObjectName("boxSaveWithoutDiffs");
  box.setTextFormat(Qt::PlainText);
  const bool yes = box.exec() == QMessageBox::Yes;
  // No keeps the window open on the same file.
  sameFile_ = !yes;
  return yes;
}

void WindowReplaceQuestions::showMessage(const Text& text) {
  QMessageBox box(QMessageBox::Information, QApplication::applicationName(), toQString(text), QMessageBox::Ok,
                  parent_);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void WindowReplaceQuestions::working() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }
