#include "TfrmVarkoTips.h"

#include <QDesktopServices>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "ListWindowParts.h"
#include "ScreenFit.h"
#include "lib/DateTime.h"
#include "lib/Library.h"
#include "setup/Feedback.h"

using namespace varko;
using namespace varko::gui;

namespace {

const char* const kAdvancedText =
    "Advanced options\n"
    "\n"
    "Multiple folders\n"
    "  You can search up to 10 folders at once.\n"
    "  Tick the folders you want in the current search.\n"
    "\n"
    "Multiple filespecs\n"
    "  You can search up to 10 filespecs at once, one per line, for example\n"
    "      *.pas\n"
    "      *.dfm\n"
    "      *.inc\n"
    "\n"
    "Sets of folders and filespecs can be saved as the default set.\n"
    "Only the ticked entries are searched: untick an entry to keep it in the list\n"
    "without searching it.\n"
    "\n"
    "Multiple strings\n"
    "  You can search for up to 200 strings at once, one per line,\n"
    "  and replace them with search/replace.\n"
    "\n"
    "Undo a replace\n"
    "  \"Undo last replace\" in the Search/Replace Options window puts back every\n"
    "  file of the last replace run from its backup; a file changed since is left as it is.\n"
    "\n"
    "Select Advanced option next to each to turn desired feature on\n";

const char* const kSettingsText =
    "Setup options are stored in Varko64.INI (in the program's folder)\n"
    "\n"
    "When you double click a result line the default action is to ASK what to do.\n"
    "The search text is on the clipboard, so you can paste it into the editor's own find.\n"
    "\n"
    "You can choose the program that opens each type of file, one line per extension:\n"
    "\n"
    "[Viewer]\n"
    "TXT=/usr/bin/gedit\n"
    "LOG=Notepad\n"
    "DAT=Windows\n"
    "OLD=ASK\n"
    "PAS=Viewer\n"
    "\n"
    "WINDOWS means open the file with the desktop's default program\n"
    "ASK     means ask what to do\n"
    "Viewer  means show the file in Varko's own view window\n"
    "\n"
    "[Settings]\n"
    "EditFile=/usr/bin/gedit            (opens printed reports)\n"
    "DifferencesViewer=/usr/bin/meld    (compares replaced files)\n"
    "\n"
    "EditPlus and Notepad++ are opened at the exact line and column of the match.\n";

QPixmap tipsPicture() {
  // A magnifying glass over lines of text: the program's own picture.
  QPixmap picture(96, 96);
  picture.fill(Qt::white);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(toQColor(kGrey), 3));
  for (int y = 20; y <= 76; y += 14)
    p.drawLine(8, y, 70, y);
  p.setPen(QPen(toQColor(kNavy), 7));
  p.setBrush(QColor(0xE0, 0xF0, 0xFF, 200));
  p.drawEllipse(QPoint(50, 42), 24, 24);
  p.drawLine(67, 59, 88, 82);
  return picture;
}

QLabel* tipLabel(const QString& text, QWidget* parent, bool heading = false) {
  auto* label = new QLabel(text, parent);
  if (heading) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    setTextColour(label, kNavy);
  }
  return label;
}

QPlainTextEdit* readOnlyText(const char* text, const QString& name, QWidget* parent) {
  auto* memo = new QPlainTextEdit(QString::fromUtf8(text), parent);
  memo->setReadOnly(true);
  memo->setAccessibleName(name);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  return memo;
}

}  // namespace

TfrmVarkoTips::TfrmVarkoTips(QWidget* parent) : QDialog(parent) {
  setObjectName("frmVarkoTips");
  setWindowTitle("Varko Tips");
  setDesignedLook(this, kWhite);
  fitToScreenWhenShown(this);

  auto* Image1 = new QLabel(this);
  Image1->setPixmap(tipsPicture());
  lblProgramName = tipLabel("Varko64 - Tessel", this, true);
  QFont big = lblProgramName->font();
  big.setPointSize(big.pointSize() + 4);
  lblProgramName->setFont(big);
  const QString help = toQString(kTipsHelpPage);
  lblOnlineHelp = new QLabel(QString("<a href=\"%1\">Online help: %1</a>").arg(help), this);
  lblOnlineHelp->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                         Qt::LinksAccessibleByKeyboard);
  connect(lblOnlineHelp, &QLabel::linkActivated, this,
          [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
  lblProgramInfo = greyLabel(QString(), this);
  lblProgramInfo->setWordWrap(true);
  lblProgramInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblCompilerInfo = greyLabel(
      QString("Built with g++ %1 and Qt %2 (running on Qt %3)")
          .arg(QString::fromLatin1(__VERSION__), QString::fromLatin1(QT_VERSION_STR),
               QString::fromLatin1(qVersion())),
      this);

  pcTips = new QTabWidget(this);
  pcTips->setObjectName("pcTips");
  pcTips->setAccessibleName("Tips");
  pcTips->addTab(makeGeneralTips(), "General tips");
  memoAdvanced = readOnlyText(kAdvancedText, "Advanced options tips", pcTips);
  pcTips->addTab(memoAdvanced, "Advanced");
  memoSettings = readOnlyText(kSettingsText, "Settings tips", pcTips);
  pcTips->addTab(memoSettings, "Settings");

  btnOK = new QPushButton("OK", this);
  btnOK->setDefault(true);
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

  auto* titles = new QVBoxLayout;
  titles->addWidget(lblProgramName);
  titles->addWidget(lblOnlineHelp);
  titles->addWidget(lblProgramInfo);
  titles->addWidget(lblCompilerInfo);
  auto* top = new QHBoxLayout;
  top->addWidget(Image1, 0, Qt::AlignTop);
  top->addLayout(titles, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(btnOK);
  auto* all = new QVBoxLayout(this);
  all->addLayout(top);
  all->addWidget(pcTips, 1);
  all->addLayout(bottom);
  resize(956, 691);
}

QWidget* TfrmVarkoTips::makeGeneralTips() {
  auto* page = new QWidget(pcTips);
  auto* column = new QVBoxLayout(page);
  column->addWidget(tipLabel("Tips when viewing search results", page, true));
  column->addWidget(tipLabel("You can Search for any other text within the results", page));
  column->addWidget(tipLabel("CTRL+F=Find    F3=Next    SHIFT+F3=Previous", page));
  column->addSpacing(8);
  column->addWidget(tipLabel("Other keys", page, true));
  column->addWidget(tipLabel("CTRL+N=Next File    CTRL+P=Previous File", page));
  column->addWidget(
      tipLabel("CTRL+W toggles a window showing 10 lines in the file around the current line",
               page));
  column->addWidget(tipLabel(
      "CTRL+V Or View button shows the whole file - CTRL+V or Esc to close View", page));
  column->addSpacing(8);
  column->addWidget(
      tipLabel("When you doubleclick a line the default action is to ASK what to do", page));
  column->addWidget(tipLabel("or open the file in Notepad (for .txt files)", page));
  column->addWidget(
      tipLabel("When using Notepad - it does not position cursor on search text", page));
  column->addWidget(
      tipLabel("You can setup your own editors or preferred viewer for file types", page));
  column->addWidget(tipLabel("(See \"Settings\")", page));
  column->addSpacing(8);
  column->addWidget(
      tipLabel("Limitations - earlier versions search ANSI text files only - not Unicode", page));
  column->addStretch(1);
  return page;
}

void TfrmVarkoTips::showPage(int index) {
  pcTips->setCurrentIndex(index);
  exec();
}

void TfrmVarkoTips::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  const Text exe = xcExePath();
  lblProgramInfo->setText("Program: " + toQString(exe) + "  Tessel v7.25.7.28  " +
                          toQString(xcFileInfoText(exe)));
}
