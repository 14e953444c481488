#include <QAbstractItemModelTester>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "TfrmView2.h"
#include "GuiTestSupport.h"

using namespace varko;

namespace {

using guitest::whenModal;

using guitest::grab;

// The view's own idea of the current line: its selected model row + 1, 0 when none.
int selectedLine(const TfrmView2& w) {
  const QModelIndexList rows = w.grdView2->selectionModel()->selectedRows();
  return rows.isEmpty() ? 0 : rows.front().row() + 1;
}

}  // namespace

class TfrmView2Test : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  QString file;

  QString writeLines(const QString& name, int count) {
    const QString path = dir.path() + "/" + name;
    QByteArray bytes;
    for (int i = 1; i <= count; ++i) bytes += "line " + QByteArray::number(i) + (i % 7 == 0 ? " cat" : "") + "\r\n";
    guitest::writeFile(path, bytes);
    return path;
  }

private slots:
  void initTestCase() { file = writeLines("unit1.pas", 30); }

  void rows_hold_numbers_and_lines_and_the_match_row_is_current() {
    Text find;
    TfrmView2 w(find);
    QAbstractItemModelTester tester(w.grdView2->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    w.prepare(file, 12, false);
    w.show();
    QCOMPARE(w.windowTitle(), file);
    QCOMPARE(w.grdView2->model()->rowCount(), 30);
    QCOMPARE(w.grdView2->model()->index(11, 0).data().toString(), QString("12"));
    QCOMPARE(w.grdView2->model()->index(11, 1).data().toString(), QString("line 12"));
    QCOMPARE(w.currentRow(), 12);
    QCOMPARE(selectedLine(w), 12);
    QCOMPARE(w.grdView2->font().family(), QString("Verdana"));
    grab(&w, "view-window");
  }

  void file_name_row_selects_no_line_notice_row_keeps_the_row() {
    Text find;
    TfrmView2 w(find);
    w.prepare(file, 0, false);
    QCOMPARE(w.currentRow(), 0);
    QCOMPARE(selectedLine(w), 0);
    w.done(0);
    w.prepare(file, 30, true);
    QCOMPARE(w.currentRow(), 30);
    QCOMPARE(w.grdView2->font().pointSize(), 8);  // Courier's 9 points fitted to 16-pixel rows
    // Not closed in between: -1 and a line past the end leave the current row alone.
    w.prepare(file, -1, true);
    QCOMPARE(w.currentRow(), 30);
    w.prepare(file, 31, true);
    QCOMPARE(w.currentRow(), 30);
    // Closed in between as well.
    w.done(0);
    w.prepare(file, -1, true);
    QCOMPARE(w.currentRow(), 30);
    QCOMPARE(selectedLine(w), 30);
  }

  void letters_move_nothing_and_matches_are_marked() {
    Text find;
    TfrmView2 w(find);
    w.setMatchRules(SpanRules{{u"CAT", u"line 1"}, true, true});
    w.prepare(file, 3, false);
    w.show();
    QTest::keyClicks(w.grdView2, "lc");
    QCOMPARE(w.currentRow(), 3);
    // Whole words, letter case ignored: "line 14 cat" marks both, "line 13" neither.
    QCOMPARE(w.markedSpans(14), (std::vector<MatchSpan>{{8, 3}}));
    QCOMPARE(w.markedSpans(1), (std::vector<MatchSpan>{{0, 6}}));
    QVERIFY(w.markedSpans(13).empty());
    grab(&w, "view-window-marks");
  }

  void esc_and_ctrl_v_close_the_window() {
    Text find;
    TfrmView2 w(find);
    w.prepare(file, 3, false);
    w.show();
    QTest::keyClick(w.grdView2, Qt::Key_Escape);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.lineCount(), 0);  // the lines went with the window
    w.prepare(file, 3, false);
    w.show();
    QTest::keyClick(w.grdView2, Qt::Key_V, Qt::ControlModifier);
    QVERIFY(!w.isVisible());
  }

  void find_keys_share_the_find_text_with_the_caller() {
    Text find;
    TfrmView2 w(find);
    w.findPrompt = [](Text& text) {
      text = u"CAT";
      return true;
    };
    w.prepare(file, 1, false);
    w.show();
    QTest::keyClick(w.grdView2, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(find, Text(u"CAT"));
    QCOMPARE(w.currentRow(), 7);
    QCOMPARE(w.currentColumn(), 1);
    QTest::keyClick(w.grdView2, Qt::Key_F3);
    QCOMPARE(w.currentRow(), 14);
    QCOMPARE(selectedLine(w), 14);
    QTest::keyClick(w.grdView2, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(w.currentRow(), 7);
    // Upwards stops at line 1; nothing above line 7 holds cat.
    QTest::keyClick(w.grdView2, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(w.currentRow(), 7);
    // A text found in the results is found again here.
    find = u"line 2";
    QTest::keyClick(w.grdView2, Qt::Key_F3);
    QCOMPARE(w.currentRow(), 20);
    QCOMPARE(w.currentColumn(), 1);
  }

  void cancelled_prompt_searches_for_the_current_cell() {
    Text find = u"old";
    TfrmView2 w(find);
    w.findPrompt = [](Text&) { return false; };
    w.prepare(file, 2, false);
    w.show();
    QTest::keyClick(w.grdView2, Qt::Key_F, Qt::ControlModifier);
    // The current cell is line 2's number, "2", next found in row 12's number column.
    QCOMPARE(find, Text(u"2"));
    QCOMPARE(w.currentRow(), 12);
  }

  void modal_view_ignores_a_second_request_while_open() {
    Text find;
    TfrmView2 w(find);
    bool wasOpen = false;
    whenModal([&](QWidget* modal) {
      QCOMPARE(modal, &w);
      wasOpen = w.isViewOpen();
      w.viewFile(file, 5, false);  // returns at once
      QCOMPARE(w.currentRow(), 9);
      QTest::keyClick(w.grdView2, Qt::Key_Escape);
    });
    w.viewFile(file, 9, false);
    QVERIFY(wasOpen);
    QVERIFY(!w.isViewOpen());
  }

  void missing_file_shows_nothing_and_says_so() {
    Text find;
    TfrmView2 w(find);
    w.prepare(dir.path() + "/gone.txt", 3, false);
    QCOMPARE(w.grdView2->model()->rowCount(), 0);
    QVERIFY(w.windowTitle().endsWith("gone.txt - file not found"));
  }

  void a_million_lines_open_and_the_last_line_is_current() {
    const QString big = writeLines("big.txt", 1000000);
    Text find;
    TfrmView2 w(find);
    QElapsedTimer timer;
    timer.start();
    w.prepare(big, 999999, false);
    w.show();
    QCoreApplication::processEvents();
    qInfo("a million lines took %lld ms", static_cast<long long>(timer.elapsed()));
    QCOMPARE(w.grdView2->model()->rowCount(), 1000000);
    QCOMPARE(w.currentRow(), 999999);
    QVERIFY(w.grdView2->rowAt(w.grdView2->viewport()->height() / 2) > 999900);
    // F3 through the whole file finds nothing after the last match and stays put.
    find = u"no such text";
    QTest::keyClick(w.grdView2, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(w.currentRow(), 999999);
  }
};

QTEST_MAIN(TfrmView2Test)
#include "TfrmView2Test.moc"
