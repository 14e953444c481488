// The results model: rows reach the views in batches, every change is consistent for the views.
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

#include "FoundTableModel.h"
#include "results/FoundRowStyle.h"

using namespace varko;

namespace {
void addRow(ResultTable& table, int32_t& counter, const Text& line, const Text& text, const Text& path) {
  xcGridAddRow(table, counter);
  table.setCell(0, counter, line);
  table.setCell(1, counter, text);
  table.setCell(2, counter, path);
}
}  // namespace

class FoundTableModelTest : public QObject {
  Q_OBJECT
private slots:
  void rows_appended_one_by_one_reach_the_view_in_one_batch() {
    ResultTable table(4, 0);
    FoundTableModel model(table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QCOMPARE(model.rowCount(), 1);  // a grid always shows one row
    int32_t counter = -1;
    for (int i = 0; i < 1000; ++i) addRow(table, counter, intToText(i + 1), u"line", u"/f");
    QCOMPARE(model.rowCount(), 1);  // nothing handed over before the event loop turns
    QTRY_COMPARE(model.rowCount(), 1000);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(model.index(999, 1).data().toString(), QString("line"));
    QCOMPARE(model.index(999, 0).data().toString(), QString("1000"));
    QCOMPARE(model.index(0, 2).data().toString(), QString("/f"));
  }

  void a_million_rows_arrive_in_one_batch_per_flush() {
    ResultTable table(4, 0);
    FoundTableModel model(table);
    QTableView view;
    view.setModel(&model);
    view.resize(600, 400);
    view.show();
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    int32_t counter = -1;
    const Text path = u"/some/folder/file.txt";
    for (int i = 0; i < 1000000; ++i) {
      addRow(table, counter, intToText(i + 1), u"a matching line of text", path);
      table.setTopRow(counter - 20);
      if (i % 50000 == 0) model.flush();  // the run lets events through now and then
    }
    model.flush();
    QCOMPARE(model.rowCount(), 1000000);
    // One insertion per flush, never one per row: the first flush only fills the grid's empty
    // row, then nineteen during the run and the last one.
    QCOMPARE(inserted.count(), 20);
    QCOMPARE(view.model()->index(999999, 1).data().toString(), QString("a matching line of text"));
  }

  void a_reset_and_a_refill_keep_the_model_consistent() {
    ResultTable table(4, 0);
    FoundTableModel model(table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    int32_t counter = -1;
    for (int i = 0; i < 50; ++i) addRow(table, counter, u"1", u"x", u"/f");
    model.flush();
    QCOMPARE(model.rowCount(), 50);
    xcGridReset(table, 0);
    QCOMPARE(model.rowCount(), 1);
    QVERIFY(model.index(0, 1).data().toString().isEmpty());
    counter = -1;
    table.beginUpdate();
    for (int i = 0; i < 5; ++i) addRow(table, counter, u"2", u"y", u"/g");
    table.endUpdate();
    model.flush();
    QCOMPARE(model.rowCount(), 5);
    table.setCell(1, 2, u"changed");
    QCOMPARE(model.index(2, 1).data().toString(), QString("changed"));
    QVERIFY(!model.index(5, 1).isValid());
    QVERIFY(!model.data(model.index(4, 9)).isValid());
  }

  void current_and_top_row_moves_follow_the_rows() {
    ResultTable table(4, 0);
    FoundTableModel model(table);
    QSignalSpy current(&model, &FoundTableModel::currentRowMoved);
    QSignalSpy top(&model, &FoundTableModel::topRowMoved);
    int32_t counter = -1;
    for (int i = 0; i < 30; ++i) addRow(table, counter, u"1", u"x", u"/f");
    table.setTopRow(9);
    QCOMPARE(current.count(), 0);  // moves wait for their rows
    model.flush();
    QCOMPARE(current.count(), 1);
    QCOMPARE(current.last().at(0).toInt(), 29);
    QCOMPARE(top.last().at(0).toInt(), 9);
    table.setCurrentRow(3);
    QCOMPARE(current.last().at(0).toInt(), 3);
  }

  void a_long_line_shows_only_its_start_and_never_half_a_character() {
    ResultTable table(4, 0);
    FoundTableModel model(table);
    int32_t counter = -1;
    addRow(table, counter, u"1", u"ab\xd83d\xde00" + Text(100000, u'\u00e9'), u"/f");
    model.flush();
    const QModelIndex index = model.index(0, 1);
    QCOMPARE(model.shownText(index, 3), QString("ab"));
    QCOMPARE(model.shownText(index, 4), QString::fromStdU16String(u"ab\xd83d\xde00"));
    QCOMPARE(model.shownText(index, 6), QString::fromStdU16String(u"ab\xd83d\xde00\u00e9\u00e9"));
  }

  void roles_carry_the_row_styles() {
    ResultTable table(4, 0);
    FoundTableModel model(table);
    QFont font("Verdana");
    font.setPointSize(12);
    model.setRowFont(font);
    model.setHint("hint text");
    int32_t counter = -1;
    addRow(table, counter, u"", u"/d/form.dfm", u"/d/form.dfm");
    addRow(table, counter, u"-1", u"could not read", u"/d/form.dfm");
    addRow(table, counter, u"5", u"plain", u"/d/form.dfm");
    table.setCurrentRow(2);
    model.flush();
    QCOMPARE(model.index(0, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(0x00, 0x80, 0x00));
    QVERIFY(model.index(0, 3).data(Qt::FontRole).value<QFont>().bold());
    QCOMPARE(model.index(0, 3).data(Qt::FontRole).value<QFont>().pointSize(), 12);
    QCOMPARE(model.index(1, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(0xFF, 0x00, 0x00));
    QCOMPARE(model.index(1, 0).data().toString(), QString("-1"));
    QCOMPARE(model.index(2, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(0xF3, 0xDF, 0xDF));
    QCOMPARE(model.index(1, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
    QCOMPARE(model.index(2, 1).data(Qt::ToolTipRole).toString(), QString("hint text"));
  }
};

QTEST_MAIN(FoundTableModelTest)
#include "FoundTableModelTest.moc"
