// Runs one search through the real main window (offscreen, "Faster" on) and prints how long the
// run took, so it can be compared with varko-search on the same request. With --grid it then
// works the results grid as a user would: Ctrl+F and F3 over all rows, a string found near the
// end and one found nowhere, and scrolling to the end and back, each move painted.
#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "FoundGridView.h"
#include "TfrmVarko1.h"
#include "results/GridFind.h"
#include "setup/StringSets.h"

using namespace varko;

namespace {

long maxRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// User and system time of every thread so far, in milliseconds.
double cpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double msSince(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

class GridDriver {
public:
  GridDriver(FoundGridView& grid, ResultTable& table) : grid_(grid), table_(table) {}

  // A key on the grid, then the grid painted: the milliseconds both took.
  double key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QElapsedTimer timer;
    timer.start();
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&grid_, &press);
    grid_.viewport()->repaint();
    return msSince(timer);
  }

  // Ctrl+F with the prompt answered: from the answer to the grid painted on the hit.
  double ctrlF(const Text& text) {
    QElapsedTimer timer;
    QTimer::singleShot(0, [&] {
      auto* prompt = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
      if (!prompt) return;
      prompt->setTextValue(QString::fromStdU16String(text));
      timer.start();
      prompt->accept();
    });
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F, Qt::ControlModifier);
    QApplication::sendEvent(&grid_, &press);
    grid_.viewport()->repaint();
    return timer.isValid() ? msSince(timer) : -1;
  }

  void home() { key(Qt::Key_Home, Qt::ControlModifier); }
  int currentRow() const { return table_.currentRow(); }
  ResultTable& table() { return table_; }

private:
  FoundGridView& grid_;
  ResultTable& table_;
};

// A line text of the last rows that the find first meets on one of those rows: the find must
// cross nearly every row to reach it.
Text textNearTheEnd(const ResultTable& table) {
  const int rows = table.rowCount();
  for (int r = rows - 1; r >= std::max(0, rows - 200); --r) {
    Text text = table.textCell(r);
    if (table.lineNumberCell(r) <= 0 || text.size() < 8) continue;
    GridCellPosition hit = xcGridFindNext(table, -1, text);
    if (hit.row >= rows - 1000) return text;
  }
  return Text(table.pathCell(rows - 1));
}

struct Moves {
  double total = 0;
  double worst = 0;
  int count = 0;
  void add(double ms) {
    total += ms;
    worst = std::max(worst, ms);
    ++count;
  }
};

void driveGrid(TfrmVarko1& window) {
  auto* grid = window.findChild<FoundGridView*>(QStringLiteral("grdFound"));
  GridDriver driver(*grid, window.session().grdFound());
  ResultTable& table = driver.table();
  const int rows = table.rowCount();
  std::string bytes;
  size_t textBytes = 0;
  for (int r = 0; r < rows; ++r) {
    bytes.clear();
    table.appendTextCellBytes(r, bytes);
    textBytes += bytes.size();
  }
  std::printf("rows %d, rows' text %.1f MB\n", rows, static_cast<double>(textBytes) / 1e6);

  const Text nearEnd = textNearTheEnd(table);
  const Text nowhere = u"QzxVbnWkNoSuchText";
  struct FindCase {
    const char* name;
    const Text* text;
  };
  for (const FindCase& c : {FindCase{"near the end", &nearEnd}, FindCase{"nowhere", &nowhere}}) {
    driver.home();
    double ctrlF = driver.ctrlF(*c.text);
    int hitRow = driver.currentRow();
    driver.home();
    double f3 = driver.key(Qt::Key_F3);
    driver.key(Qt::Key_End, Qt::ControlModifier);
    double shiftF3 = driver.key(Qt::Key_F3, Qt::ShiftModifier);
    std::printf("find %-12s row %7d: Ctrl+F %.1f ms, F3 %.1f ms, Shift+F3 from the end %.1f ms\n", c.name,
                hitRow, ctrlF, f3, shiftF3);
  }

  driver.home();
  double toEnd = driver.key(Qt::Key_End, Qt::ControlModifier);
  double toStart = driver.key(Qt::Key_Home, Qt::ControlModifier);
  Moves pages;
  for (int k = 0; k < 200; ++k) pages.add(driver.key(Qt::Key_PageDown));
  driver.key(Qt::Key_End, Qt::ControlModifier);
  for (int k = 0; k < 200; ++k) pages.add(driver.key(Qt::Key_PageUp));
  // The scroll bar dragged from top to bottom and back in 100 steps each.
  Moves drag;
  QScrollBar* bar = grid->verticalScrollBar();
  for (int k = 0; k <= 200; ++k) {
    QElapsedTimer timer;
    timer.start();
    int step = k <= 100 ? k : 200 - k;
    bar->setValue(static_cast<int>(static_cast<long long>(bar->maximum()) * step / 100));
    grid->viewport()->repaint();
    drag.add(msSince(timer));
  }
  std::printf("scroll: Ctrl+End %.1f ms, Ctrl+Home %.1f ms, page moves %.2f ms mean %.1f ms worst, "
              "scroll bar drag %.2f ms mean %.1f ms worst\n",
              toEnd, toStart, pages.total / pages.count, pages.worst, drag.total / drag.count, drag.worst);
  std::printf("peak memory %.1f MB (rows' text + %.1f MB)\n", maxRssKb() / 1e3,
              (maxRssKb() * 1e3 - static_cast<double>(textBytes)) / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  QStringList args = app.arguments();
  if (args.size() < 4) {
    std::fprintf(stderr,
                 "usage: varko-window-run FOLDER FILESPEC STRING [-r] [--keep-binary] [-s] [--strings-file FILE] "
                 "[--grid]\n");
    return 2;
  }
  QTemporaryDir settings;
  TfrmVarko1 window(settings.filePath(QStringLiteral("Varko64.INI")));
  window.show();
  auto field = [&window](const char* name) { return window.findChild<QLineEdit*>(QLatin1String(name)); };
  auto box = [&window](const char* name) { return window.findChild<QCheckBox*>(QLatin1String(name)); };
  field("edtFolder")->setText(args[1]);
  field("edtFileSpec")->setText(args[2]);
  field("edtString")->setText(args[3]);
  box("cbxFast")->setChecked(true);
  box("cbxSubFolders")->setChecked(args.contains(QStringLiteral("-r")));
  box("cbxOmitBinBak")->setChecked(!args.contains(QStringLiteral("--keep-binary")));
  box("cbxCasefl")->setChecked(!args.contains(QStringLiteral("-s")));
  const qsizetype stringsAt = args.indexOf(QStringLiteral("--strings-file"));
  if (stringsAt > 0 && stringsAt + 1 < args.size()) {
    // The advanced strings, as the strings window would leave them.
    StringSetLoad load = xcLoadStringSet(kFindStringsOnly, args[stringsAt + 1].toStdU16String(), window.strings());
    if (!load.loaded || window.strings().count == 0) {
      std::fprintf(stderr, "cannot read the strings file\n");
      return 2;
    }
    if (window.savedSettings().stringMode != kAdvancedMode) window.ToggleStringMode();
    window.PrepareAdvancedStrings();
  }
  QApplication::processEvents();

  const double cpuBefore = cpuMs();
  QElapsedTimer timer;
  timer.start();
  window.findChild<QPushButton*>(QStringLiteral("btnGo"))->click();  // the run goes on inside the click, letting events through
  // The run is over for the user when the rows are on the screen.
  QApplication::processEvents();
  window.findChild<FoundGridView*>(QStringLiteral("grdFound"))->viewport()->repaint();
  qint64 ms = timer.elapsed();
  std::printf("matched lines %d, files %d, cpu %.0f ms, run %lld ms\n", window.session().matchedLines(),
              window.session().fileSearchListCount(), cpuMs() - cpuBefore, static_cast<long long>(ms));
  if (args.contains(QStringLiteral("--grid"))) driveGrid(window);
  return window.session().matchedLines() > 0 ? 0 : 1;
}
