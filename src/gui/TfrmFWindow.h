#pragma once
// "Window around found line": a small tool window beside the main window with eleven numbered
// lines, five before the result's line, the line itself and five after. Not modal.
//
// Use: construct once with the main window as parent. Ctrl+W in the results grid calls
// ToggleFileWindow(path of the current row, column 0 read as a number, 0 when not one); a row
// change in the results grid calls HideFileWindow(). The file is read again only when the path
// differs from the last one.
#include <QDialog>
#include "results/FileViews.h"
#include "results/ResultTable.h"
#include "match/MatchSpans.h"

class MarkedLineDelegate;
class QTableView;
class StringGridModel;

class TfrmFWindow : public QDialog {
  Q_OBJECT
public:
  explicit TfrmFWindow(QWidget* parent = nullptr);

  // Reads the file if needed and shows the window around centreLine. False, with a message box
  // giving the platform's text, when the file cannot be read (nothing else changes then).
  bool ShowFileWindow(const QString& path, int centreLine);
  void HideFileWindow();
  void ToggleFileWindow(const QString& path, int centreLine);
  // True exactly while the window is showing.
  bool fileWindowFlag() const { return showing_; }
  // Every way of closing ends here.
  void done(int result) override;

  const varko::ResultTable& grid() const { return grid_; }
  int currentRow() const { return grid_.currentRow(); }
  const varko::FileWindowLines& lines() const { return lines_; }
  int centreLine() const { return centreLine_; }
  // The last run's strings and rules: their matches are marked in the lines shown.
  void setMatchRules(const varko::SpanRules& rules);
  std::vector<varko::MatchSpan> markedSpans(int row) const;

  QTableView* grdWindow = nullptr;

signals:
  // The window hid itself (Ctrl+W in it, or its close box).
  void fileWindowHidden();

protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void FormActivate();

  varko::ResultTable grid_{2, 0};
  StringGridModel* model_ = nullptr;
  MarkedLineDelegate* lineDelegate_ = nullptr;
  varko::FileWindowLines lines_;
  int centreLine_ = 0;
  bool showing_ = false;
};
