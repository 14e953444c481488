#pragma once
// grdFound: the results grid of the main window. It shows the run's ResultTable through a
// FoundTableModel and keeps the grid's own keys (Ctrl+F, F3, Shift+F3, Ctrl+N, Ctrl+P), its
// current row and its column widths; what opens other windows goes out as signals.
#include <QTableView>
#include "lib/Text.h"
#include "results/ResultTable.h"
#include "match/MatchSpans.h"

class FoundTableModel;

class FoundGridView : public QTableView {
  Q_OBJECT
public:
  explicit FoundGridView(varko::ResultTable& table, QWidget* parent = nullptr);

  FoundTableModel* foundModel() const { return model_; }
  // The find text of Ctrl+F and F3: the grid's own until the program shares the one the view
  // window uses too.
  void shareFindText(varko::Text& text) { findText_ = &text; }
  varko::Text& findText() const { return *findText_; }

  void setResultsFontSize(int size);
  // Fits the columns to the page width the grid fills.
  void fitColumns(int width);
  // The text column widens with the page from the widths it had at the first show.
  void rememberFirstWidths(int width);
  void widenTextColumn(int width);
  // The strings and rules of the run the rows came from: their matches are drawn highlighted.
  void setMatchRules(const varko::SpanRules& rules);
  // The column Ctrl+F offers and F3 starts from (it may be a hidden one).
  int findColumn() const { return column_; }

signals:
  void rowEntered();           // the current row moved to another row
  void rowOpened(int row);     // double click
  void viewFileKey();          // Ctrl+V
  void fileWindowKey();        // Ctrl+W

protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Letters keep no meaning of their own in the grid: no jumping to a row that starts with them.
  void keyboardSearch(const QString&) override {}

private:
  bool gridKey(QKeyEvent* event);
  void showCurrentRow(int row);
  void enterRow();

  varko::ResultTable& table_;
  FoundTableModel* model_ = nullptr;
  varko::Text ownFindText_;
  varko::Text* findText_ = &ownFindText_;
  int column_ = 0;
  bool syncingCurrentRow_ = false;
  int firstGridWidth_ = 0;
  int firstColumn1Width_ = 0;
};
