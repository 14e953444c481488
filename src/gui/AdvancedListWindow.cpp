#include "AdvancedListWindow.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "ListWindowParts.h"
#include "ScreenFit.h"
#include "lib/Errors.h"
#include "lib/Library.h"

using namespace varko;
using namespace varko::gui;

AdvancedListWindow::AdvancedListWindow(QWidget* parent, const QString& settingsFile, const Look& look)
    : QDialog(parent),
      look_(look),
      settingsFile_(settingsFile.isEmpty() ? toQString(SettingsFileName()) : settingsFile) {
  setObjectName(look.windowName);
  setWindowTitle(look.title);
  setDesignedLook(this);
  fitToScreenWhenShown(this);

  list_ = new QListWidget(this);
  list_->setObjectName(look.listName);
  list_->setAccessibleName(look.listAccessibleName);
  setTextColour(list_, kGreen);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->installEventFilter(this);

  auto* heading = new QLabel(look.memoHeading, this);
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  setTextColour(heading, kGreen, kDialogFace);
  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName(look.memoName);
  memo_->setReadOnly(true);
  heading->setBuddy(memo_);

  btnSave_ = new QPushButton(look.saveCaption, this);
  btnFinish = new QPushButton("OK", this);
  btnFinish->setDefault(true);
  btnReloadDefault = new QPushButton("Reset to Saved Defaults", this);

  helpColumn_ = new QVBoxLayout;
  auto* left = new QVBoxLayout;
  left->addLayout(helpColumn_);
  left->addWidget(list_, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(heading);
  right->addWidget(memo_, 1);
  auto* lists = new QHBoxLayout;
  lists->addLayout(left, 3);
  lists->addLayout(right, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnSave_);
  buttons->addWidget(btnReloadDefault);
  buttons->addStretch(1);
  buttons->addWidget(btnFinish);
  auto* all = new QVBoxLayout(this);
  all->addLayout(lists, 1);
  all->addLayout(buttons);

  connect(list_, &QListWidget::itemClicked, this, [this] { TakeList(); });
  // A tick changed from the keyboard counts as a click too, so the memo stays current.
  connect(list_, &QListWidget::itemChanged, this, [this] {
    if (!filling_) TakeList();
  });
  connect(btnFinish, &QPushButton::clicked, this, [this] { btnFinishClick(); });
  connect(btnReloadDefault, &QPushButton::clicked, this, [this] { btnReloadDefaultClick(); });
  connect(btnSave_, &QPushButton::clicked, this, [this] { btnSaveClick(); });
}

void AdvancedListWindow::setEntries(const AdvancedList& entries, int mode) {
  entries_ = entries;
  mode_ = mode;
}

void AdvancedListWindow::setLineText(QListWidgetItem* item, const QString& text) {
  filling_ = true;
  item->setText(text);
  filling_ = false;
}

void AdvancedListWindow::addLine(const QString& text, bool checked) {
  filling_ = true;
  auto* item = new QListWidgetItem(text, list_);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  // Empty lines are as tall as the others.
  item->setSizeHint(QSize(0, list_->fontMetrics().height() + 6));
  filling_ = false;
}

QListWidgetItem* AdvancedListWindow::currentItem() const {
  const int row = list_->currentRow();
  return list_->item(row < 0 ? 0 : row);
}

void AdvancedListWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  reloaded_.reset();
  FillList();
  TakeList();
}

bool AdvancedListWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Delete) {
      listKeyDown(key);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void AdvancedListWindow::FillList() {
  if (!look_.firstSlotDefault.empty() && entries_.texts[0].empty()) entries_.texts[0] = look_.firstSlotDefault;
  list_->clear();
  for (size_t i = 0; i < size_t(kAdvancedSlots); ++i) {
    const Text text = look_.blankLinesShown ? entries_.texts[i] : xcTrim(entries_.texts[i]);
    if (!look_.blankLinesShown && text.empty()) continue;
    addLine(toQString(text), entries_.checked[i]);
  }
}

void AdvancedListWindow::TakeList() {
  const int lines = list_->count();
  for (int i = 0; i < kAdvancedSlots; ++i) {
    if (i < lines) {
      const QListWidgetItem* item = list_->item(i);
      entries_.texts[size_t(i)] = toText(item->text());
      entries_.checked[size_t(i)] = item->checkState() == Qt::Checked;
    } else {
      // The slots below the last line are emptied, so a removed entry cannot come back as a
      // copy of another.
      entries_.texts[size_t(i)].clear();
      entries_.checked[size_t(i)] = false;
    }
  }
  QStringList searched;
  for (const Text& entry : look_.searched(entries_)) searched << toQString(entry);
  memo_->setPlainText(searched.join('\n'));
}

void AdvancedListWindow::listKeyDown(int key) {
  if (key != Qt::Key_Delete) return;
  QListWidgetItem* item = currentItem();
  if (!item) return;
  filling_ = true;
  item->setText(QString());
  item->setCheckState(Qt::Unchecked);
  filling_ = false;
}

void AdvancedListWindow::btnFinishClick() {
  TakeList();
  accept();
}

void AdvancedListWindow::btnReloadDefaultClick() {
  reloaded_ = LoadSavedSettings(toText(settingsFile_));
  setEntries((*reloaded_).*look_.savedList, (*reloaded_).*look_.savedMode);
  FillList();
  TakeList();  // brings the memo up to date with the reloaded ticks
}

void AdvancedListWindow::btnSaveClick() {
  TakeList();
  try {
    look_.writeSaved(toText(settingsFile_), entries_, mode_);
  } catch (const EIniFileException& e) {
    showSettingsError(this, toQString(e.text()));
  }
}
