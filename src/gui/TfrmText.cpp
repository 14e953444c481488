#include "TfrmText.h"

#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "Launcher.h"
#include "QtColour.h"
#include "QtText.h"
#include "lib/Errors.h"
#include "lib/Library.h"
#include "results/EditFileCommand.h"
#include "results/Export.h"
#include "results/HtmlReport.h"

using varko::gui::setTextColour;
using varko::gui::toQString;

namespace {

const QString kSpreadsheetNameHint = "(actual filename will be .csv or SS-TAB.txt)";

QPlainTextEdit* readOnlyText(const QString& text, QWidget* parent) {
  auto* memo = new QPlainTextEdit(text, parent);
  memo->setReadOnly(true);
  memo->setFrameShape(QFrame::NoFrame);
  memo->setFixedHeight(memo->fontMetrics().lineSpacing() * 3);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  return memo;
}

QLabel* greyLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  setTextColour(label, varko::kGrey);
  return label;
}

}  // namespace

TfrmText::TfrmText(QWidget* parent)
    : QDialog(parent), clock_(&varko::SystemClock::instance()), reportFolder_(varko::tempFolder()) {
  setObjectName("frmText");
  setWindowTitle("Text Output Options");
  varko::gui::setDesignedLook(this, varko::kWhite);
  resize(760, 380);

  Label1 = greyLabel("You can output the text from the grid in different formats", this);
  QFont large = Label1->font();
  large.setPointSize(large.pointSize() + 5);
  Label1->setFont(large);

  Label4 = greyLabel("Text to Notepad", this);
  Memo1 = readOnlyText("Simplest is to output grid search results to a text file\nsuitable for printing using Notepad", this);
  Label2 = new QLabel("Filename", this);
  edtTextFilename = new QLineEdit(this);
  Label2->setBuddy(edtTextFilename);
  Label3 = new QLabel("Header", this);
  lblTextHeader = new QLabel(this);
  lblTextHeader->setTextFormat(Qt::PlainText);
  lblTextHeader->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblTextHeader->setWordWrap(true);
  btnExportText = new QPushButton("Write Text to Notepad", this);

  Label5 = greyLabel("Tab delimited text to Spreadsheet", this);
  Memo2 = readOnlyText("Alternatively output to a tab delimited file\nfor reading into a spreadsheet", this);
  lblSSFilename = greyLabel(kSpreadsheetNameHint, this);
  lblSSFilename->setTextFormat(Qt::PlainText);
  lblSSFilename->setWordWrap(true);
  cbxWriteCSV = new QCheckBox("Write as CSV with tab delimited header", this);
  cbxWriteCSV->setChecked(true);
  cbxColumnHeaders = new QCheckBox("Add Column Headers", this);
  cbxColumnHeaders->setChecked(true);
  btnGridToTab = new QPushButton("Write Tab Delimited File", this);
  btnHtmlReport = new QPushButton("Write HTML report", this);
  btnDone = new QPushButton("Done", this);
  btnDone->setDefault(true);

  const std::pair<QObject*, const char*> names[] = {
      {Label1, "Label1"}, {Label4, "Label4"}, {Memo1, "Memo1"}, {Label2, "Label2"},
      {edtTextFilename, "edtTextFilename"}, {Label3, "Label3"}, {lblTextHeader, "lblTextHeader"},
      {btnExportText, "btnExportText"}, {Label5, "Label5"}, {Memo2, "Memo2"}, {lblSSFilename, "lblSSFilename"},
      {cbxWriteCSV, "cbxWriteCSV"}, {cbxColumnHeaders, "cbxColumnHeaders"}, {btnGridToTab, "btnGridToTab"},
      {btnHtmlReport, "btnHtmlReport"}, {btnDone, "btnDone"}};
  for (const auto& [object, name] : names) object->setObjectName(name);
  for (QPushButton* b : {btnExportText, btnGridToTab, btnHtmlReport}) b->setAutoDefault(false);
  // The read-only texts are named by the heading above them; a label never gets a name.
  Memo1->setAccessibleName(Label4->text());
  Memo2->setAccessibleName(Label5->text());

  auto* left = new QGridLayout;
  left->addWidget(Label4, 0, 0, 1, 2);
  left->addWidget(Memo1, 1, 0, 1, 2);
  left->addWidget(Label2, 2, 0);
  left->addWidget(edtTextFilename, 2, 1);
  left->addWidget(Label3, 3, 0, Qt::AlignTop);
  left->addWidget(lblTextHeader, 3, 1);
  left->addWidget(btnExportText, 4, 0, 1, 2, Qt::AlignLeft);
  left->setRowStretch(3, 1);

  auto* right = new QVBoxLayout;
  right->addWidget(Label5);
  right->addWidget(Memo2);
  right->addWidget(lblSSFilename);
  right->addWidget(cbxWriteCSV);
  right->addWidget(cbxColumnHeaders);
  right->addStretch();
  auto* rightButtons = new QHBoxLayout;
  rightButtons->addWidget(btnGridToTab);
  rightButtons->addWidget(btnHtmlReport);
  rightButtons->addStretch();
  right->addLayout(rightButtons);

  auto* halves = new QHBoxLayout;
  halves->addLayout(left, 1);
  halves->addSpacing(24);
  halves->addLayout(right, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(btnDone);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addLayout(halves, 1);
  layout->addLayout(bottom);

  connect(btnExportText, &QPushButton::clicked, this, [this] { btnExportTextClick(); });
  connect(btnGridToTab, &QPushButton::clicked, this, [this] { btnGridToTabClick(); });
  connect(btnHtmlReport, &QPushButton::clicked, this, [this] { btnHtmlReportClick(); });
  connect(btnDone, &QPushButton::clicked, this, [this] { btnDoneClick(); });

  launch = [](const varko::LaunchCommand& command, varko::Text& error) { return Launcher::launch(command, error); };
}

int TfrmText::showFor(const varko::ResultTable& grid, const varko::ReportHeader& header) {
  grid_ = &grid;
  set_ = varko::xcPrepareExport(header, *clock_, reportFolder_);
  const int result = exec();
  grid_ = nullptr;
  return result;
}

void TfrmText::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
}

void TfrmText::FormShow() {
  edtTextFilename->setText(toQString(set_.fileName));
  lblTextHeader->setText(toQString(set_.header).replace("\r\n", "\n").trimmed());
  lblSSFilename->setText(kSpreadsheetNameHint);
  edtTextFilename->setFocus();
}

void TfrmText::showMessage(const varko::Text& text) { QMessageBox::information(this, QString(), toQString(text)); }

void TfrmText::btnExportTextClick() {
  if (!grid_) return;
  varko::PrintedFile printed;
  try {
    varko::xcGridToText(*grid_, varko::FoundGridColumnWidths(), set_.fileName, set_.header);
    printed = varko::xcPrintFile(set_.fileName, u"Text", *clock_, reportFolder_, varko::xcReportEditor());
  } catch (const varko::VarkoError& e) {
    showMessage(e.text());
    return;
  }
  // Centred on the screen, as the report is about to open beside everything else.
  QMessageBox::information(nullptr, QString(), toQString(printed.message));
  varko::Text error;
  if (!launch(printed.launch, error)) showMessage(error);
}

void TfrmText::btnGridToTabClick() {
  if (!grid_) return;
  const bool csv = cbxWriteCSV->isChecked();
  const varko::Text fileName = varko::xcSpreadsheetFileName(set_.fileName, csv);
  lblSSFilename->setText(toQString(fileName));
  try {
    varko::xcWriteSpreadsheet(*grid_, set_, csv, cbxColumnHeaders->isChecked());
  } catch (const varko::VarkoError& e) {
    showMessage(e.text());
    return;
  }
  showMessage(u"File saved to " + fileName);
  const varko::EditFilesCommand command = varko::xcEditFileCommand(fileName);
  varko::Text error;
  if (!launch(command.launch, error)) showMessage(command.FailureText(error));
}

void TfrmText::btnHtmlReportClick() {
  if (!grid_) return;
  const varko::Text fileName = varko::xcHtmlFileName(set_.fileName);
  try {
    varko::xcWriteHtmlReport(*grid_, set_, fileName);
  } catch (const varko::VarkoError& e) {
    showMessage(e.text());
    return;
  }
  showMessage(u"File saved to " + fileName);
  // A browser, through the desktop's default program for the page.
  varko::LaunchCommand command;
  command.kind = varko::LaunchCommand::Kind::OpenDocument;
  command.document = fileName;
  varko::Text error;
  if (!launch(command, error)) showMessage(error);
}
