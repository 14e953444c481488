#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "TfrmFWindow.h"
#include "GuiTestSupport.h"

using namespace varko;

namespace {

using guitest::whenModal;

using guitest::grab;

// Column 0 of the eleven rows, "_" for a blank row.
QString numbers(const TfrmFWindow& w) {
  QStringList list;
  for (int r = 0; r < 11; ++r) {
    const QString n = w.grdWindow->model()->index(r, 0).data().toString();
    list << (n.isEmpty() ? "_" : n);
  }
  return list.join(",");
}

int selectedRow(const TfrmFWindow& w) {
  const QModelIndexList rows = w.grdWindow->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.front().row();
}

}  // namespace

class TfrmFWindowTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir;

  QString writeLines(const QString& name, int count, const QByteArray& word = "line") {
    const QString path = dir.path() + "/" + name;
    QByteArray bytes;
    for (int i = 1; i <= count; ++i) bytes += word + " " + QByteArray::number(i) + "\n";
    guitest::writeFile(path, bytes);
    return path;
  }

private slots:
  void eleven_rows_near_start_middle_and_end() {
    const QString file = writeLines("a.txt", 100);
    TfrmFWindow w;
    QAbstractItemModelTester tester(w.grdWindow->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(w.ShowFileWindow(file, 50));
    QVERIFY(w.fileWindowFlag());
    QVERIFY(w.isVisible());
    QCOMPARE(numbers(w), QString("45,46,47,48,49,50,51,52,53,54,55"));
    QCOMPARE(w.grdWindow->model()->index(5, 1).data().toString(), QString("line 50"));
    QCOMPARE(selectedRow(w), 5);
    grab(&w, "file-window");

    QVERIFY(w.ShowFileWindow(file, 3));
    QCOMPARE(numbers(w), QString("1,2,3,4,5,6,7,8,_,_,_"));
    QCOMPARE(selectedRow(w), 2);
    QCOMPARE(w.grdWindow->model()->index(9, 1).data().toString(), QString());

    QVERIFY(w.ShowFileWindow(file, 98));
    QCOMPARE(numbers(w), QString("93,94,95,96,97,98,99,100,_,_,_"));
    QCOMPARE(selectedRow(w), 5);
    QCOMPARE(w.height(), 11 * 16 + 22);
  }

  void file_name_and_notice_rows_do_not_move_the_current_row() {
    const QString file = writeLines("b.txt", 100);
    TfrmFWindow w;
    w.ShowFileWindow(file, 3);
    w.ShowFileWindow(file, 0);
    QCOMPARE(numbers(w), QString("1,2,3,4,5,_,_,_,_,_,_"));
    QCOMPARE(w.currentRow(), 2);
    w.ShowFileWindow(file, -1);
    QCOMPARE(numbers(w), QString("1,2,3,4,_,_,_,_,_,_,_"));
  }

  void same_file_is_not_read_again_another_is() {
    const QString file = writeLines("c.txt", 20);
    const QString other = writeLines("d.txt", 20, "other");
    TfrmFWindow w;
    w.ShowFileWindow(file, 10);
    writeLines("c.txt", 20, "changed");
    w.HideFileWindow();
    w.ShowFileWindow(file, 10);
    QCOMPARE(w.grdWindow->model()->index(5, 1).data().toString(), QString("line 10"));
    QCOMPARE(w.lines().readCount(), 1);
    w.ShowFileWindow(other, 10);
    QCOMPARE(w.grdWindow->model()->index(5, 1).data().toString(), QString("other 10"));
    w.ShowFileWindow(file, 10);
    QCOMPARE(w.grdWindow->model()->index(5, 1).data().toString(), QString("changed 10"));
    QCOMPARE(w.lines().readCount(), 3);
  }

  void ctrl_w_and_the_close_box_hide_it_and_clear_the_flag() {
    const QString file = writeLines("e.txt", 20);
    TfrmFWindow w;
    int hiddenSignals = 0;
    connect(&w, &TfrmFWindow::fileWindowHidden, [&] { ++hiddenSignals; });
    w.ToggleFileWindow(file, 4);
    QVERIFY(w.fileWindowFlag());
    QTest::keyClick(w.grdWindow, Qt::Key_W, Qt::ControlModifier);
    QVERIFY(!w.fileWindowFlag());
    QVERIFY(!w.isVisible());
    w.ToggleFileWindow(file, 4);
    QVERIFY(w.isVisible());
    w.close();
    QVERIFY(!w.fileWindowFlag());
    QCOMPARE(hiddenSignals, 2);
    w.ToggleFileWindow(file, 4);
    w.ToggleFileWindow(file, 4);
    QVERIFY(!w.fileWindowFlag());
  }

  void a_long_line_scrolls_sideways_and_letters_move_nothing() {
    const QString path = dir.path() + "/long.txt";
    const QByteArray longLine = "start " + QByteArray(400, 'x') + " needle end of the long line";
    guitest::writeFile(path, "short\n" + longLine + "\nafter\n");
    TfrmFWindow w;
    w.setMatchRules(SpanRules{{u"needle"}, true, false});
    QVERIFY(w.ShowFileWindow(path, 2));
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTableView* grid = w.grdWindow;
    QTRY_VERIFY(grid->horizontalScrollBar()->maximum() > 0);
    QVERIFY(grid->columnWidth(1) > grid->viewport()->width());
    QCOMPARE(w.markedSpans(1), (std::vector<MatchSpan>{{407, 6}}));
    QVERIFY(w.markedSpans(0).empty());
    grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
    grab(&w, "file-window-long-line");
    QTest::keyClicks(grid, "sa");
    QCOMPARE(w.currentRow(), 1);
    QVERIFY(w.isVisible());
  }

  void unreadable_file_is_reported_and_nothing_changes() {
    const QString file = writeLines("f.txt", 20);
    TfrmFWindow w;
    w.ShowFileWindow(file, 4);
    w.HideFileWindow();
    QString message;
    bool shown = true;
    whenModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box);
      message = box->text();
      box->accept();
    });
    shown = w.ShowFileWindow(dir.path() + "/gone.txt", 4);
    QVERIFY(!shown);
    QCOMPARE(message, QString("No such file or directory"));
    QVERIFY(!w.fileWindowFlag());
    QCOMPARE(w.lines().file(), file.toStdU16String());
  }
};

QTEST_MAIN(TfrmFWindowTest)
#include "TfrmFWindowTest.moc"
