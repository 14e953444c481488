#pragma once
// "Text Output Options": writes the results grid as a text report for printing, a spreadsheet
// file, or an HTML page, and opens what it wrote.
//
// Use: construct once (the check boxes keep their state for the whole run); per "Text/Print"
// click call showFor(grdFound, header) with the texts the main window holds at the click.
#include <QDialog>
#include <functional>
#include "lib/Clock.h"
#include "results/OpenCommand.h"
#include "results/ResultTable.h"
#include "results/TextReport.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TfrmText : public QDialog {
  Q_OBJECT
public:
  explicit TfrmText(QWidget* parent = nullptr);

  // Fixes the export set (the report folder created when missing, the file name's time and the
  // print time) and shows the window modally. The grid is read while the window shows.
  int showFor(const varko::ResultTable& grid, const varko::ReportHeader& header);

  const varko::ExportSet& exportSet() const { return set_; }

  // The clock of the stamps and the run log, and the folder of every file written (the system
  // temporary folder unless set).
  void setClock(const varko::Clock& clock) { clock_ = &clock; }
  void setReportFolder(const varko::Text& folder) { reportFolder_ = folder; }
  // Starts an editor or the desktop's program; false with the system's error text. Launcher's
  // unless replaced.
  std::function<bool(const varko::LaunchCommand&, varko::Text& error)> launch;

  QLabel* Label1 = nullptr;
  QLabel* Label4 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* edtTextFilename = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* lblTextHeader = nullptr;
  QPushButton* btnExportText = nullptr;
  QLabel* Label5 = nullptr;
  QPlainTextEdit* Memo2 = nullptr;
  QLabel* lblSSFilename = nullptr;
  QCheckBox* cbxWriteCSV = nullptr;
  QCheckBox* cbxColumnHeaders = nullptr;
  QPushButton* btnGridToTab = nullptr;
  QPushButton* btnHtmlReport = nullptr;
  QPushButton* btnDone = nullptr;

  void btnExportTextClick();
  void btnGridToTabClick();
  void btnHtmlReportClick();
  void btnDoneClick() { accept(); }

protected:
  void showEvent(QShowEvent* event) override;

private:
  void FormShow();
  void showMessage(const varko::Text& text);

  const varko::ResultTable* grid_ = nullptr;
  varko::ExportSet set_;
  const varko::Clock* clock_;
  varko::Text reportFolder_;
};
