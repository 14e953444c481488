#pragma once
// The view window: the whole file behind a result row, one numbered line per row, the match's
// line current. Modal; Esc or Ctrl+V closes it; Ctrl+F, F3 and Shift+F3 find in it with the find
// text it shares with the results grid.
//
// Use: construct once with a reference to the shared find text (it must outlive the window);
// on "View", Ctrl+V or a "Viewer" double click call viewFile(path of the row, column 0 of the row
// as a whole number (0 when not one), cbxViewWindowCourier). It returns when the window closes.
#include <QDialog>
#include <functional>
#include "lib/Text.h"
#include "results/ResultTable.h"
#include "match/MatchSpans.h"

class MarkedLineDelegate;
class QTableView;
class StringGridModel;

class TfrmView2 : public QDialog {
  Q_OBJECT
public:
  explicit TfrmView2(varko::Text& gridFindText, QWidget* parent = nullptr);
  ~TfrmView2() override;

  // Shows the file modally with viewLine current; does nothing while the window is open.
  void viewFile(const QString& path, int viewLine, bool courier);
  bool isViewOpen() const { return viewOpen_; }
  // Every way of closing ends here.
  void done(int result) override;

  // What showing does before the window waits for the user: font, lines, current row, place.
  void prepare(const QString& path, int viewLine, bool courier);

  // The grid row that is current: the line number, 0 for the blank header row.
  int currentRow() const { return grid_.currentRow(); }
  int currentColumn() const { return currentColumn_; }
  const varko::ResultTable& grid() const { return grid_; }
  int lineCount() const { return grid_.rowCount() - 1; }
  // The last run's strings and rules: their matches are marked in every line.
  void setMatchRules(const varko::SpanRules& rules);
  // What is marked in a line (1-based) of the file shown.
  std::vector<varko::MatchSpan> markedSpans(int line) const;

  // The Ctrl+F prompt ("Find:", "Text to find:"): edits the text, false when cancelled.
  // Replaceable so that a test can answer it.
  std::function<bool(varko::Text& findText)> findPrompt;

  QTableView* grdView2 = nullptr;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  void FormResize();
  void grdView2KeyDown(int key, Qt::KeyboardModifiers modifiers, bool repeated);
  void showCurrentRow();
  void takeCurrentFromView();
  void placeOnWorkArea();

  varko::Text& findText_;
  varko::ResultTable grid_{2, 1};
  StringGridModel* model_ = nullptr;
  MarkedLineDelegate* lineDelegate_ = nullptr;
  int currentColumn_ = 0;
  int keptRow_ = 0;  // the current row when the window last closed
  bool viewOpen_ = false;
  bool syncing_ = false;
};
