// The main window driven as a user would: typing, clicking, keys, a real search on a fixture.
#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <deque>

#include "FoundGridView.h"
#include "FoundTableModel.h"
#include "GuiTestSupport.h"
#include "MatchMarks.h"
#include "TfrmVarko1.h"
#include "results/FoundRowStyle.h"
#include "results/GridFind.h"

using namespace varko;
using guitest::control;
using guitest::whenModal;

namespace {

// Presses Stop once the file list is built, from the run's own event processing.
class StoppingWindow : public TfrmVarko1 {
public:
  using TfrmVarko1::TfrmVarko1;
  void runStateChanged(RunState state) override {
    TfrmVarko1::runStateChanged(state);
    states.push_back(state);
  }
  void setStatusText(const Text& text) override {
    TfrmVarko1::setStatusText(text);
    if (text == u"searching files in ...") {
      auto* stop = control<QPushButton>(*this, "btnStop");
      stopVisible = stop->isVisible();
      QTimer::singleShot(0, stop, [stop] { QTest::mouseClick(stop, Qt::LeftButton); });
    }
  }
  std::vector<int> states;
  bool stopVisible = false;
};

// Clicks a check box on its tick, as a user does (its middle may be empty space).
void clickBox(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }

QColor colourOf(const QAbstractItemModel* model, int row, int role) {
  return model->data(model->index(row, 1), role).value<QColor>();
}

}  // namespace

class TfrmVarko1Test : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString settingsFile() const { return dir_.filePath("Varko64.INI"); }
  QString fixture() const { return dir_.filePath("fixture"); }
  std::vector<LaunchCommand> launches_;
  // Each window's own inputs, kept until the next test (a window must not outlive its inputs).
  std::deque<SearchInputSet> inputs_;
  SearchInputSet& newInputs() { return inputs_.emplace_back(); }

  std::unique_ptr<TfrmVarko1> makeWindow(bool show = true) {
    auto window = std::make_unique<TfrmVarko1>(newInputs(), settingsFile());
    prepare(*window);
    if (show) {
      window->show();
      if (!QTest::qWaitForWindowExposed(window.get())) qWarning("window not exposed");
    }
    return window;
  }
  void prepare(TfrmVarko1& window) {
    window.hooks.launch = [this](const LaunchCommand& command, Text&) {
      launches_.push_back(command);
      return true;
    };
  }
  void search(TfrmVarko1& window, const QString& text) {
    control<QLineEdit>(window, "edtFolder")->setText(fixture());
    control<QLineEdit>(window, "edtString")->clear();
    QTest::keyClicks(control<QLineEdit>(window, "edtString"), text);
    QTest::mouseClick(control<QPushButton>(window, "btnGo"), Qt::LeftButton);
  }
  int rowWith(const TfrmVarko1& window, int column, const QString& text) {
    const ResultTable& table = const_cast<TfrmVarko1&>(window).session().grdFound();
    for (int r = 0; r < table.rowCount(); ++r)
      if (QString::fromStdU16String(table.cell(column, r)) == text) return r;
    return -1;
  }

private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    guitest::writeFixture(fixture());
    QApplication::setApplicationName("Tessel");
  }
  void init() {
    QFile::remove(settingsFile());
    launches_.clear();
    inputs_.clear();
  }

  void first_show_sets_the_idle_state_and_the_defaults() {
    auto w = makeWindow();
    QCOMPARE(w->windowTitle(), QString("Tessel v7.25.7.28"));
    QCOMPARE(control<QTabWidget>(*w, "PageControl1")->currentWidget(), control<QWidget>(*w, "TabSelect"));
    QVERIFY(control<QPushButton>(*w, "btnGo")->isVisible());
    QVERIFY(!control<QPushButton>(*w, "btnStop")->isVisible());
    QVERIFY(!control<QPushButton>(*w, "btnSelect")->isVisible());
    QVERIFY(!control<QPushButton>(*w, "btnFontPlus")->isVisible() && !control<QPushButton>(*w, "btnFontMinus")->isVisible() && !control<QLabel>(*w, "lblFont")->isVisible());
    QVERIFY(control<QPushButton>(*w, "btnView")->isVisible() && control<QPushButton>(*w, "btnPrint")->isVisible());
    QCOMPARE(control<QLineEdit>(*w, "edtFileSpec")->text(), QString("*.*"));
    QCOMPARE(control<QLineEdit>(*w, "edtFolder")->text(), QDir::currentPath());
    QVERIFY(control<QCheckBox>(*w, "cbxCasefl")->isChecked() && control<QCheckBox>(*w, "cbxCopyToCB")->isChecked() && control<QCheckBox>(*w, "cbxOmitBinBak")->isChecked() &&
            control<QCheckBox>(*w, "cbxOmitVarkoSR")->isChecked() && control<QCheckBox>(*w, "cbxFast")->isChecked() && control<QCheckBox>(*w, "cbxAlwaysUseAdvancedFolderScan")->isChecked() &&
            control<QCheckBox>(*w, "cbxShowAdvancedButtons")->isChecked());
    QVERIFY(!control<QCheckBox>(*w, "cbxSubFolders")->isChecked() && !control<QCheckBox>(*w, "cbxGoogleFind")->isChecked() && !control<QCheckBox>(*w, "cbxEnableReplace")->isChecked());
    QVERIFY(!control<QCheckBox>(*w, "cbxReuseFileSearchList")->isEnabled());
    QVERIFY(!control<QComboBox>(*w, "cmbSpeedDisplay")->isEnabled());
    QCOMPARE(control<QComboBox>(*w, "cmbSpeedDisplay")->currentIndex(), 0);
    QCOMPARE(control<QComboBox>(*w, "cbxLoadFromFileMethod")->currentIndex(), 1);
    QVERIFY(!control<QPushButton>(*w, "btnReplace")->isEnabled());
    QCOMPARE(control<QTabWidget>(*w, "PageControl2")->currentIndex(), 0);
    QCOMPARE(control<QTabWidget>(*w, "PageControl2")->tabText(3), QString("Extra options"));
    QCOMPARE(control<QLineEdit>(*w, "edtSelTime1")->text(), QString("00:00:00"));
    QCOMPARE(control<QLineEdit>(*w, "edtSelTime2")->text(), QString("23:59:59"));
    QCOMPARE(control<QLineEdit>(*w, "edtSelDate1")->text().size(), 9);
    QCOMPARE(control<QLabel>(*w, "lblFile")->text(), QString("(Stopped)"));
    QCOMPARE(w->resultsFontSize(), 9);
    QCOMPARE(control<QTableView>(*w, "grdFound")->verticalHeader()->defaultSectionSize(), 16);
    QVERIFY(control<QToolButton>(*w, "ImageFolder")->isVisible() && !control<QCheckBox>(*w, "cbxAdvancedFolders")->isVisible());
    QCOMPARE(control<QLineEdit>(*w, "edtFolder")->toolTip(), QString("Double-click or click Browse to choose folder"));
    QCOMPARE(control<QPushButton>(*w, "btnCurrent")->toolTip(), "Current folder - " + QDir::currentPath());
    QCOMPARE(control<QTableView>(*w, "grdFound")->toolTip(), QString::fromStdU16String(kFoundGridFirstHint));
    QVERIFY(control<QTableView>(*w, "grdFound")->isColumnHidden(2) && control<QTableView>(*w, "grdFound")->isColumnHidden(3));
    QCOMPARE(QApplication::focusWidget(), control<QLineEdit>(*w, "edtFolder"));
  }

  void every_control_can_be_found_by_a_screen_reader() {
    auto w = makeWindow();
    for (QLabel* label : w->findChildren<QLabel*>())
      QVERIFY2(label->accessibleName().isEmpty(), qPrintable(label->objectName()));
    QSet<QWidget*> labelled;
    for (QLabel* label : w->findChildren<QLabel*>())
      if (label->buddy()) labelled.insert(label->buddy());
    for (QLineEdit* field : w->findChildren<QLineEdit*>()) {
      if (field->parent() && qobject_cast<QAbstractSpinBox*>(field->parentWidget())) continue;
      QVERIFY2(labelled.contains(field) || !field->accessibleName().isEmpty(), qPrintable(field->objectName()));
    }
    for (QComboBox* box : w->findChildren<QComboBox*>())
      QVERIFY2(labelled.contains(box) || !box->accessibleName().isEmpty(), qPrintable(box->objectName()));
    for (QAbstractButton* button : w->findChildren<QAbstractButton*>()) {
      if (button->objectName().isEmpty()) continue;  // the tab bars' own scroll buttons
      QVERIFY2(!button->text().trimmed().isEmpty() || !button->accessibleName().isEmpty(),
               qPrintable(button->objectName()));
    }
    QCOMPARE(control<QLabel>(*w, "Label1")->buddy(), control<QLineEdit>(*w, "edtFolder"));
    QCOMPARE(control<QLabel>(*w, "Label3")->buddy(), control<QLineEdit>(*w, "edtString"));
  }

  void text_test_skipped_files_and_excluded_folders_come_from_the_settings_and_go_into_the_request() {
    guitest::writeFile(settingsFile(), "[Settings]\r\nAsciiTextTest=1\r\nListSkippedFiles=1\r\nExcludeFolders=node_modules;build\r\n");
    auto w = makeWindow();
    QVERIFY(control<QCheckBox>(*w, "cbxAsciiTextTest")->isChecked());
    QVERIFY(control<QCheckBox>(*w, "cbxListSkipped")->isChecked());
    QCOMPARE(control<QLineEdit>(*w, "edtExcludeFolders")->text(), QString("node_modules;build"));
    SearchRequest request = w->buildRequest();
    QVERIFY(request.asciiTextTest && request.listSkipped);
    QCOMPARE(request.excludedFolders, (TextList{u"node_modules", u"build"}));
    control<QCheckBox>(*w, "cbxListSkipped")->setChecked(false);
    QVERIFY(!w->buildRequest().listSkipped);
  }

  void replace_button_follows_enable_search_replace() {
    auto w = makeWindow();
    control<QTabWidget>(*w, "PageControl2")->setCurrentIndex(3);
    clickBox(control<QCheckBox>(*w, "cbxEnableReplace"));
    QVERIFY(control<QPushButton>(*w, "btnReplace")->isEnabled());
    clickBox(control<QCheckBox>(*w, "cbxEnableReplace"));
    QVERIFY(!control<QPushButton>(*w, "btnReplace")->isEnabled());
  }

  void enter_and_esc_move_the_focus_and_start_nothing() {
    auto w = makeWindow();
    control<QLineEdit>(*w, "edtString")->setFocus();
    QTest::keyClicks(control<QLineEdit>(*w, "edtString"), "needle");
    QTest::keyClick(control<QLineEdit>(*w, "edtString"), Qt::Key_Return);
    QTRY_VERIFY(QApplication::focusWidget() != control<QLineEdit>(*w, "edtString"));
    QCOMPARE(w->runState(), int(kRunIdle));
    QCOMPARE(w->session().lastOutcome(), RunOutcome::None);
    control<QCheckBox>(*w, "cbxCasefl")->setFocus();
    QTest::keyClick(control<QCheckBox>(*w, "cbxCasefl"), Qt::Key_Escape);
    QVERIFY(QApplication::focusWidget() != control<QCheckBox>(*w, "cbxCasefl"));
    QVERIFY(w->isVisible());
    QVERIFY(control<QCheckBox>(*w, "cbxCasefl")->isChecked());
  }

  void typing_a_string_and_moving_on_leads_to_search_and_greys_the_status() {
    auto w = makeWindow();
    control<QLineEdit>(*w, "edtString")->setFocus();
    QTest::keyClicks(control<QLineEdit>(*w, "edtString"), "abc");
    QTest::keyClick(control<QLineEdit>(*w, "edtString"), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(control<QPushButton>(*w, "btnGo")));
    QCOMPARE(control<QLabel>(*w, "lblFile")->palette().color(QPalette::WindowText), QColor(0x80, 0x80, 0x80));
    QCOMPARE(w->searchStringsText(), Text(u"abc"));
  }

  void a_search_fills_the_grid_with_its_rows_and_colours() {
    auto w = makeWindow();
    QAbstractItemModelTester tester(w->foundModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    search(*w, "needle");
    QCOMPARE(w->runState(), int(kRunFinished));
    QCOMPARE(w->windowTitle(), QString("Tessel v7.25.7.28 - needle"));
    QCOMPARE(control<QTabWidget>(*w, "PageControl1")->currentWidget(), control<QWidget>(*w, "TabMatches"));
    QVERIFY(control<QPushButton>(*w, "btnSelect")->isVisible() && !control<QPushButton>(*w, "btnGo")->isVisible() && !control<QPushButton>(*w, "btnStop")->isVisible());
    QVERIFY(control<QPushButton>(*w, "btnFontPlus")->isVisible());
    QCOMPARE(control<QLabel>(*w, "lblFont")->text(), QString("9"));
    QVERIFY(control<QTableView>(*w, "grdFound")->isVisible());
    QVERIFY2(control<QLabel>(*w, "lblFile")->text().startsWith("Matched Lines=3 of 6 - Files=2 of "), qPrintable(control<QLabel>(*w, "lblFile")->text()));
    QCOMPARE(control<QLabel>(*w, "lblFile")->palette().color(QPalette::WindowText), QColor(0x00, 0x00, 0x80));

    const QAbstractItemModel* model = control<QTableView>(*w, "grdFound")->model();
    const ResultTable& table = w->session().grdFound();
    QCOMPARE(model->rowCount(), table.rowCount());
    int pasName = rowWith(*w, 1, fixture() + "/alpha.pas");
    int txtName = rowWith(*w, 1, fixture() + "/beta.txt");
    QVERIFY(pasName >= 0 && txtName > pasName);
    QCOMPARE(colourOf(model, pasName, Qt::ForegroundRole), QColor(0x80, 0x00, 0x00));
    QVERIFY(model->data(model->index(pasName, 1), Qt::FontRole).value<QFont>().bold());
    QCOMPARE(colourOf(model, txtName, Qt::ForegroundRole), QColor(0, 0, 0));
    QCOMPARE(model->data(model->index(pasName + 1, 0)).toString(), QString("2"));
    QCOMPARE(model->data(model->index(pasName + 1, 1)).toString(), QString("needle one"));
    QCOMPARE(model->data(model->index(pasName + 1, 3)).toString(), QString("1"));
    QCOMPARE(colourOf(model, pasName + 1, Qt::ForegroundRole), QColor(0x00, 0x00, 0x80));
    QVERIFY(!model->data(model->index(pasName + 1, 1), Qt::FontRole).value<QFont>().bold());
    QCOMPARE(colourOf(model, 0, Qt::ForegroundRole), QColor(0x80, 0x00, 0x80));  // the request row

    const int last = table.rowCount() - 1;
    QCOMPARE(table.currentRow(), last);
    QCOMPARE(control<QTableView>(*w, "grdFound")->currentIndex().row(), last);
    QCOMPARE(colourOf(model, last, Qt::BackgroundRole), QColor(0xF3, 0xDF, 0xDF));
    QCOMPARE(colourOf(model, pasName, Qt::BackgroundRole), QColor(Qt::white));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(control<QTableView>(*w, "grdFound")));
    QVERIFY(control<QTableView>(*w, "grdFound")->toolTip().startsWith(fixture() + "/beta.txt\r\n"));
    QVERIFY(control<QTableView>(*w, "grdFound")->toolTip().endsWith("CTRL+N=Next File   CTRL+P=Prev File"));
  }

  void the_newest_rows_stay_in_view_while_a_run_writes_them() {
    // Looks at the grid when the run lets events through at the second file.
    struct Watching : TfrmVarko1 {
      using TfrmVarko1::TfrmVarko1;
      void processEvents() override {
        TfrmVarko1::processEvents();
        auto* grid = control<QTableView>(*this, "grdFound");
        if (control<QLabel>(*this, "lblFile")->text().startsWith("2 of ") && scrolledTo < 0) {
          scrolledTo = grid->verticalScrollBar()->value();
          lastRow = grid->model()->rowCount() - 1;
        }
      }
      int scrolledTo = -1;
      int lastRow = -1;
    } w(newInputs(), settingsFile());
    prepare(w);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QByteArray many;
    for (int i = 0; i < 60; ++i) many += "needle " + QByteArray::number(i) + "\r\n";
    guitest::writeFile(dir_.filePath("many/a-lines.txt"), many);
    guitest::writeFile(dir_.filePath("many/b-other.txt"), "nothing\r\n");
    control<QCheckBox>(w, "cbxFast")->setChecked(false);
    // Tall rows: fewer than 21 fit, so keeping the top row differs from showing the last row.
    for (int i = 0; i < 11; ++i) w.btnFontPlusClick();
    control<QLineEdit>(w, "edtFolder")->setText(dir_.filePath("many"));
    QTest::keyClicks(control<QLineEdit>(w, "edtString"), "needle");
    QTest::mouseClick(control<QPushButton>(w, "btnGo"), Qt::LeftButton);
    QVERIFY(w.lastRow > 60);
    QCOMPARE(w.scrolledTo, w.lastRow - 20);
    QCOMPARE(control<QTableView>(w, "grdFound")->currentIndex().row(), control<QTableView>(w, "grdFound")->model()->rowCount() - 1);
  }

  void selecting_matches_again_makes_the_first_result_current() {
    auto w = makeWindow();
    search(*w, "needle");
    const int firstMatch = rowWith(*w, 1, "needle one");
    QVERIFY(firstMatch > 0);
    control<QPushButton>(*w, "btnSelect")->click();
    QCOMPARE(w->runState(), int(kRunIdle));
    QCOMPARE(w->windowTitle(), QString("Tessel v7.25.7.28"));
    QVERIFY(control<QLabel>(*w, "lblProgress2")->text().isEmpty());
    QVERIFY(!control<QPushButton>(*w, "btnFontPlus")->isVisible());
    control<QTabWidget>(*w, "PageControl1")->setCurrentIndex(1);
    QCOMPARE(w->runState(), int(kRunFinished));
    QCOMPARE(control<QTableView>(*w, "grdFound")->currentIndex().row(), firstMatch);
    control<QTabWidget>(*w, "PageControl1")->setCurrentIndex(0);
    QCOMPARE(w->runState(), int(kRunIdle));
    QVERIFY(control<QPushButton>(*w, "btnGo")->isVisible());
  }

  void an_empty_string_empties_the_grid_and_runs_nothing() {
    auto w = makeWindow();
    search(*w, "needle");
    control<QPushButton>(*w, "btnSelect")->click();
    control<QLineEdit>(*w, "edtString")->clear();
    control<QPushButton>(*w, "btnGo")->click();
    QCOMPARE(w->runState(), int(kRunIdle));
    QCOMPARE(w->session().lastOutcome(), RunOutcome::Refused);
    QCOMPARE(control<QTableView>(*w, "grdFound")->model()->rowCount(), 1);
    QVERIFY(control<QTableView>(*w, "grdFound")->model()->index(0, 1).data().toString().isEmpty());
    QCOMPARE(QApplication::focusWidget(), control<QLineEdit>(*w, "edtString"));
  }

  void stop_ends_the_run_with_the_aborted_suffix() {
    StoppingWindow w(newInputs(), settingsFile());
    prepare(w);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    search(w, "needle");
    QCOMPARE(w.states, (std::vector<int>{kRunIdle, kRunRunning, kRunFinished}));
    QVERIFY(w.stopVisible);
    QVERIFY(!w.session().running());
    QVERIFY2(control<QLabel>(w, "lblProgress2")->text().endsWith(" (aborted)"), qPrintable(control<QLabel>(w, "lblProgress2")->text()));
    QVERIFY2(control<QLabel>(w, "lblFile")->text().startsWith("Matched Lines=0 of 0 - Files=0 of 3"), qPrintable(control<QLabel>(w, "lblFile")->text()));
    QVERIFY(control<QPushButton>(w, "btnSelect")->isVisible() && !control<QPushButton>(w, "btnStop")->isVisible());
    QVERIFY(rowWith(w, 1, "(No Matches Found)") >= 0);
  }

  // Every way of starting a run, tried while one runs after the Select page was clicked: the run
  // stops completely and nothing starts inside it.
  void select_during_a_run_stops_it_and_nothing_starts_inside_it() {
    struct Meddling : StoppingWindow {
      using StoppingWindow::StoppingWindow;
      void setStatusText(const Text& text) override { TfrmVarko1::setStatusText(text); }
      void processEvents() override {
        TfrmVarko1::processEvents();
        if (!session().running() || meddled) return;
        meddled = true;
        control<QTabWidget>(*this, "PageControl1")->setCurrentIndex(0);
        control<QPushButton>(*this, "btnGo")->click();
        QTest::keyClick(control<QLineEdit>(*this, "edtString"), Qt::Key_Return);
        control<QPushButton>(*this, "btnPrint")->click();
      }
      bool meddled = false;
    } w(newInputs(), settingsFile());
    prepare(w);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    search(w, "needle");
    QVERIFY(w.meddled);
    QCOMPARE(w.states, (std::vector<int>{kRunIdle, kRunRunning, kRunFinished}));
    QVERIFY(!w.session().running());
    QVERIFY2(control<QLabel>(w, "lblProgress2")->text().endsWith(" (aborted)"),
             qPrintable(control<QLabel>(w, "lblProgress2")->text()));
    guitest::grab(&w, "main-after-aborted-run");

    // A search started afterwards gives a clean run's rows.
    auto clean = makeWindow();
    search(*clean, "needle");
    control<QPushButton>(w, "btnSelect")->click();
    w.meddled = true;
    search(w, "needle");
    const ResultTable& mine = w.session().grdFound();
    const ResultTable& theirs = clean->session().grdFound();
    QCOMPARE(mine.rowCount(), theirs.rowCount());
    for (int r = 0; r < mine.rowCount(); ++r)
      if (mine.lineNumberCell(r) > 0) QCOMPARE(mine.cell(1, r), theirs.cell(1, r));
  }

  void results_font_size_stays_between_4_and_20() {
    auto w = makeWindow();
    search(*w, "needle");
    const int last = control<QTableView>(*w, "grdFound")->model()->rowCount() - 1;
    QCOMPARE(control<QTableView>(*w, "grdFound")->currentIndex().row(), last);
    control<QPushButton>(*w, "btnFontPlus")->click();
    QCOMPARE(control<QTableView>(*w, "grdFound")->currentIndex().row(), last);  // the current row stays where it was
    for (int i = 0; i < 14; ++i) control<QPushButton>(*w, "btnFontPlus")->click();
    QCOMPARE(w->resultsFontSize(), 20);
    QCOMPARE(control<QLabel>(*w, "lblFont")->text(), QString("20"));
    QCOMPARE(control<QTableView>(*w, "grdFound")->verticalHeader()->defaultSectionSize(), 38);
    QCOMPARE(w->foundModel()->rowFont().pointSize(), 20);
    QVERIFY(control<QTableView>(*w, "grdFound")->isVisible());
    for (int i = 0; i < 20; ++i) control<QPushButton>(*w, "btnFontMinus")->click();
    QCOMPARE(w->resultsFontSize(), 4);
    QCOMPARE(control<QTableView>(*w, "grdFound")->verticalHeader()->defaultSectionSize(), 6);
  }

  void grid_keys_find_and_jump_between_files() {
    auto w = makeWindow();
    SearchSession& s = w->session();
    s.AddFoundMessage(u"Folders=/d Filespec=*.*  String=x");
    s.AddFoundRow(0, u"/d/a.pas", u"/d/a.pas", 0);
    s.AddFoundRow(3, u"x one", u"/d/a.pas", 1);
    s.AddFoundRow(9, u"x two", u"/d/a.pas", 1);
    s.AddFoundRow(0, u"/d/b.txt", u"/d/b.txt", 0);
    s.AddFoundRow(4, u"x three", u"/d/b.txt", 1);
    control<QTabWidget>(*w, "PageControl1")->setCurrentIndex(1);
    QTRY_COMPARE(control<QTableView>(*w, "grdFound")->model()->rowCount(), 6);
    s.grdFound().setCurrentRow(2);
    QCOMPARE(control<QTableView>(*w, "grdFound")->currentIndex().row(), 2);
    QVERIFY(control<QTableView>(*w, "grdFound")->toolTip().startsWith("/d/a.pas\r\n"));

    QTest::keyClick(control<QTableView>(*w, "grdFound"), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(control<QTableView>(*w, "grdFound")->currentIndex().row(), 4);
    QVERIFY(control<QTableView>(*w, "grdFound")->toolTip().startsWith("/d/b.txt\r\n"));
    QTest::keyClick(control<QTableView>(*w, "grdFound"), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(control<QTableView>(*w, "grdFound")->currentIndex().row(), 4);
    QTest::keyClick(control<QTableView>(*w, "grdFound"), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(control<QTableView>(*w, "grdFound")->currentIndex().row(), 3);

    // Ctrl+F offers the current cell; the text typed is found in the hidden path column too.
    s.grdFound().setCurrentRow(0);
    QString offered;
    whenModal([&offered](QWidget* modal) {
      auto* prompt = qobject_cast<QInputDialog*>(modal);
      QVERIFY(prompt);
      QCOMPARE(prompt->windowTitle(), QString("Find:"));
      QCOMPARE(prompt->labelText(), QString("Text to find:"));
      offered = prompt->textValue();
      prompt->setTextValue("b.TXT");
      prompt->accept();
    });
    QTest::keyClick(control<QTableView>(*w, "grdFound"), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(control<QTableView>(*w, "grdFound")->currentIndex().row(), 4);
    QCOMPARE(control<QTableView>(*w, "grdFound")->currentIndex().column(), 1);
    QCOMPARE(w->gridFindText(), Text(u"b.TXT"));
    QTest::keyClick(control<QTableView>(*w, "grdFound"), Qt::Key_F3);
    QCOMPARE(control<QTableView>(*w, "grdFound")->currentIndex().row(), 5);
    // Found in the hidden path: F3 goes on from there, the grid shows the row's text.
    QCOMPARE(static_cast<FoundGridView*>(control<QTableView>(*w, "grdFound"))->findColumn(), 2);
    QCOMPARE(control<QTableView>(*w, "grdFound")->currentIndex().column(), 1);
    QTest::keyClick(control<QTableView>(*w, "grdFound"), Qt::Key_F3);
    QCOMPARE(control<QTableView>(*w, "grdFound")->currentIndex().row(), 5);  // no wrap-around
    QTest::keyClick(control<QTableView>(*w, "grdFound"), Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(control<QTableView>(*w, "grdFound")->currentIndex().row(), 4);
    QVERIFY(offered.startsWith("Folders=") || offered.isEmpty());
  }

  void ctrl_v_and_ctrl_w_go_to_their_windows_and_a_row_change_hides_the_file_window() {
    auto w = makeWindow();
    int views = 0, toggles = 0, hides = 0;
    w->hooks.viewFile = [&] { ++views; };
    w->hooks.toggleFileWindow = [&] { ++toggles; };
    w->hooks.hideFileWindow = [&] { ++hides; };
    search(*w, "needle");
    QTest::keyClick(control<QTableView>(*w, "grdFound"), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(control<QTableView>(*w, "grdFound"), Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(views, 1);
    QCOMPARE(toggles, 1);
    hides = 0;
    QTest::keyClick(control<QTableView>(*w, "grdFound"), Qt::Key_Up);
    QCOMPARE(hides, 1);
  }

  void held_ctrl_v_and_ctrl_w_act_once_when_pressed() {
    auto w = makeWindow();
    int views = 0, toggles = 0;
    w->hooks.viewFile = [&] { ++views; };
    w->hooks.toggleFileWindow = [&] { ++toggles; };
    search(*w, "needle");
    auto* grid = control<QTableView>(*w, "grdFound");
    grid->setFocus();
    struct Case {
      Qt::Key key;
      Qt::KeyboardModifiers release;  // Ctrl still held at the release, or let go first
      int expectedViews, expectedToggles;
    };
    for (const Case& c : {Case{Qt::Key_V, Qt::ControlModifier, 1, 0}, Case{Qt::Key_V, Qt::NoModifier, 2, 0},
                          Case{Qt::Key_W, Qt::ControlModifier, 2, 1}, Case{Qt::Key_W, Qt::NoModifier, 2, 2}}) {
      guitest::sendKey(QEvent::KeyPress, c.key, Qt::ControlModifier, false, grid);
      guitest::holdKeyAfterPress(c.key, Qt::ControlModifier, 3, c.release);
      QCOMPARE(views, c.expectedViews);
      QCOMPARE(toggles, c.expectedToggles);
    }
  }

  void every_move_keeps_the_current_row_in_view() {
    auto w = makeWindow();
    SearchSession& s = w->session();
    for (int file = 0; file < 6; ++file) {
      const Text path = u"/d/f" + Text(1, char16_t(u'a' + file)) + u".txt";
      s.AddFoundRow(0, u"file " + Text(1, char16_t(u'a' + file)), path, 0);
      for (int line = 1; line <= 60; ++line) s.AddFoundRow(line, u"x line", path, 1);
    }
    control<QTabWidget>(*w, "PageControl1")->setCurrentIndex(1);
    auto* grid = static_cast<FoundGridView*>(control<QTableView>(*w, "grdFound"));
    QTRY_COMPARE(grid->model()->rowCount(), 6 * 61);
    grid->setFocus();
    auto inView = [grid] {
      return grid->viewport()->rect().intersects(grid->visualRect(grid->currentIndex()));
    };
    // First a find in the hidden path column, far down; then each move from there.
    s.grdFound().setCurrentRow(0);
    whenModal([](QWidget* modal) {
      auto* prompt = qobject_cast<QInputDialog*>(modal);
      prompt->setTextValue("/d/fe.txt");
      prompt->accept();
    });
    QTest::keyClick(grid, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(grid->currentIndex().row(), 4 * 61);
    QCOMPARE(grid->findColumn(), 2);
    QVERIFY(inView());
    struct Move {
      Qt::Key key;
      Qt::KeyboardModifiers modifiers;
    };
    for (const Move& move : {Move{Qt::Key_P, Qt::ControlModifier}, Move{Qt::Key_P, Qt::ControlModifier},
                             Move{Qt::Key_PageDown, Qt::NoModifier}, Move{Qt::Key_N, Qt::ControlModifier},
                             Move{Qt::Key_N, Qt::ControlModifier}, Move{Qt::Key_PageUp, Qt::NoModifier},
                             Move{Qt::Key_F3, Qt::ShiftModifier}}) {
      const int before = grid->currentIndex().row();
      QTest::keyClick(grid, move.key, move.modifiers);
      QVERIFY2(grid->currentIndex().row() != before || move.key == Qt::Key_F3, qPrintable(QString::number(move.key)));
      QVERIFY2(inView(), qPrintable(QString::number(move.key)));
    }
  }

  void letters_in_the_grid_move_nothing() {
    auto w = makeWindow();
    int hides = 0;
    w->hooks.hideFileWindow = [&] { ++hides; };
    search(*w, "needle");
    hides = 0;
    auto* grid = control<QTableView>(*w, "grdFound");
    const int row = grid->currentIndex().row();
    QTest::keyClicks(grid, "nthe");
    QCOMPARE(grid->currentIndex().row(), row);
    QCOMPARE(hides, 0);
  }

  void the_first_ctrl_f_offers_the_line_number() {
    auto w = makeWindow();
    search(*w, "needle");
    const int row = rowWith(*w, 1, "the needle");
    QVERIFY(row > 0);
    w->session().grdFound().setCurrentRow(row);
    QString offered;
    whenModal([&offered](QWidget* modal) {
      offered = qobject_cast<QInputDialog*>(modal)->textValue();
      modal->close();
    });
    QTest::keyClick(control<QTableView>(*w, "grdFound"), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(offered, QString("1"));
  }

  void enter_on_the_focused_search_button_searches() {
    auto w = makeWindow();
    control<QLineEdit>(*w, "edtFolder")->setText(fixture());
    auto* field = control<QLineEdit>(*w, "edtString");
    field->setFocus();
    QTest::keyClicks(field, "needle");
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), control<QPushButton>(*w, "btnGo"));
    QCOMPARE(w->runState(), int(kRunIdle));
    // A held Enter searches once.
    guitest::sendKey(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, false);
    QCOMPARE(w->runState(), int(kRunFinished));
    QVERIFY(rowWith(*w, 1, "the needle") > 0);
  }

  void leaving_the_string_by_mouse_leads_to_search_too() {
    auto w = makeWindow();
    auto* field = control<QLineEdit>(*w, "edtString");
    field->setFocus();
    QTest::keyClicks(field, "needle");
    QTest::mouseClick(control<QLineEdit>(*w, "edtFileSpec"), Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), control<QPushButton>(*w, "btnGo"));
  }

  void switching_windows_is_not_a_new_focus_for_the_fields() {
    auto w = makeWindow();
    auto* folder = control<QLineEdit>(*w, "edtFolder");
    folder->setFocus();
    QTRY_VERIFY(folder->hasFocus());
    QTest::keyClicks(folder, "/changed");
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_VERIFY(other.isActiveWindow());
    w->activateWindow();
    QTRY_VERIFY(w->isActiveWindow());
    QTRY_VERIFY(folder->hasFocus());
    QTest::keyClick(folder, Qt::Key_Tab);
    QCOMPARE(control<QLabel>(*w, "lblFile")->palette().color(QPalette::WindowText), QColor(0x80, 0x80, 0x80));
  }

  void tabs_have_their_design_sizes() {
    auto w = makeWindow();
    QCOMPARE(control<QTabWidget>(*w, "PageControl1")->tabBar()->tabRect(0).size(), QSize(120, 30));
    QCOMPARE(control<QTabWidget>(*w, "PageControl2")->tabBar()->tabRect(0).size(), QSize(160, 22));
  }

  void switches_toggle_modes_colours_and_keep_the_first_entry() {
    auto w = makeWindow();
    control<QLineEdit>(*w, "edtFolder")->setText("/tmp/a,/tmp/b");
    QTest::mouseClick(control<QToolButton>(*w, "ImageFolder"), Qt::LeftButton);
    QCOMPARE(w->inputs().saved.folderMode, kAdvancedMode);
    QVERIFY(control<QLineEdit>(*w, "edtFolder")->isReadOnly());
    QCOMPARE(control<QLineEdit>(*w, "edtFolder")->palette().color(QPalette::Text), QColor(0x00, 0x80, 0x00));
    QVERIFY(control<QLineEdit>(*w, "edtFolder")->font().bold());
    QCOMPARE(control<QLabel>(*w, "lblpAdvancedFolder")->palette().color(QPalette::WindowText), QColor(0x00, 0x80, 0x00));
    QVERIFY(!control<QPushButton>(*w, "btnCurrent")->isEnabled() && !control<QPushButton>(*w, "btnBrowse")->isEnabled());
    QCOMPARE(control<QLineEdit>(*w, "edtFolder")->toolTip(), QString("Click Browse to choose folder"));
    QTest::mouseClick(control<QToolButton>(*w, "ImageFolder"), Qt::LeftButton);
    QCOMPARE(w->inputs().saved.folderMode, kSimpleMode);
    QCOMPARE(control<QLineEdit>(*w, "edtFolder")->text(), QString("/tmp/a"));
    QVERIFY(!control<QLineEdit>(*w, "edtFolder")->isReadOnly() && !control<QLineEdit>(*w, "edtFolder")->font().bold());
    QCOMPARE(control<QLineEdit>(*w, "edtFolder")->palette().color(QPalette::Text), QColor(0x00, 0x00, 0x80));
    QVERIFY(control<QPushButton>(*w, "btnCurrent")->isEnabled() && control<QPushButton>(*w, "btnBrowse")->isEnabled());

    control<QLineEdit>(*w, "edtFileSpec")->setText("*.pas,*.dfm");
    QTest::mouseClick(control<QToolButton>(*w, "ImageFilespec"), Qt::LeftButton);
    QTest::mouseClick(control<QToolButton>(*w, "ImageFilespec"), Qt::LeftButton);
    QCOMPARE(control<QLineEdit>(*w, "edtFileSpec")->text(), QString("*.pas"));
    QCOMPARE(w->inputs().saved.fileSpecMode, kSimpleMode);

    control<QCheckBox>(*w, "cbxGoogleFind")->setChecked(true);
    QTest::mouseClick(control<QToolButton>(*w, "ImageString"), Qt::LeftButton);
    // The history button stays: in advanced mode it leads to the multiple searches.
    QVERIFY(!control<QCheckBox>(*w, "cbxGoogleFind")->isChecked() && !control<QCheckBox>(*w, "cbxGoogleFind")->isEnabled() && control<QToolButton>(*w, "btnHistory")->isEnabled());
    QCOMPARE(control<QLineEdit>(*w, "edtString")->toolTip(), QString("Click select button to select multiple strings"));
    QTest::mouseClick(control<QToolButton>(*w, "ImageString"), Qt::LeftButton);
    QVERIFY(control<QCheckBox>(*w, "cbxGoogleFind")->isEnabled() && control<QToolButton>(*w, "btnHistory")->isEnabled());
  }

  void check_boxes_replace_the_pictures_when_buttons_are_off() {
    auto w = makeWindow();
    control<QTabWidget>(*w, "PageControl2")->setCurrentIndex(2);
    clickBox(control<QCheckBox>(*w, "cbxShowAdvancedButtons"));
    QVERIFY(!control<QToolButton>(*w, "ImageFolder")->isVisible() && !control<QLabel>(*w, "lblpAdvancedFolder")->isVisible());
    QVERIFY(control<QCheckBox>(*w, "cbxAdvancedFolders")->isVisible() && control<QCheckBox>(*w, "cbxAdvancedFileSpec")->isVisible() && control<QCheckBox>(*w, "cbxAdvancedStrings")->isVisible());
    clickBox(control<QCheckBox>(*w, "cbxAdvancedStrings"));
    QCOMPARE(w->inputs().saved.stringMode, kAdvancedMode);
    QVERIFY(control<QCheckBox>(*w, "cbxAdvancedStrings")->isChecked());
    clickBox(control<QCheckBox>(*w, "cbxShowAdvancedButtons"));
    QVERIFY(control<QToolButton>(*w, "ImageFolder")->isVisible() && !control<QCheckBox>(*w, "cbxAdvancedFolders")->isVisible());
  }

  void date_page_defaults_refill_blank_fields_on_the_view_page() {
    auto w = makeWindow();
    control<QLineEdit>(*w, "edtSelTime2")->clear();
    control<QLineEdit>(*w, "edtSelDate1")->clear();
    control<QTabWidget>(*w, "PageControl2")->setCurrentIndex(1);
    QVERIFY(control<QLineEdit>(*w, "edtSelTime2")->text().isEmpty());
    control<QTabWidget>(*w, "PageControl2")->setCurrentIndex(2);
    QCOMPARE(control<QLineEdit>(*w, "edtSelTime2")->text(), QString("23:59:59"));
    QCOMPARE(control<QLineEdit>(*w, "edtSelDate1")->text(), control<QLineEdit>(*w, "edtSelDate2")->text());
    int picked = 0;
    w->hooks.pickDate = [&](int field) { picked = field; };
    control<QTabWidget>(*w, "PageControl2")->setCurrentIndex(1);
    control<QPushButton>(*w, "btnSelDate2")->click();
    QCOMPARE(picked, 2);
  }

  void advanced_folders_at_start_check_subfolders_and_ignore_clicks_until_shown() {
    guitest::writeFile(settingsFile(), "[Settings]\r\nSimpleOrAdvancedFolders=2\r\n[Folders]\r\nSavedFolder0=" +
                                           fixture().toUtf8() + "\r\nSavedFolderSelected0=1\r\n");
    TfrmVarko1 w(newInputs(), settingsFile());
    prepare(w);
    int opened = 0;
    w.hooks.editAdvancedFolders = [&] { ++opened; };
    QTest::mouseClick(control<QLineEdit>(w, "edtFolder"), Qt::LeftButton);
    QCOMPARE(opened, 0);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(control<QCheckBox>(w, "cbxSubFolders")->isChecked());
    QCOMPARE(control<QLineEdit>(w, "edtFolder")->text(), fixture());
    QCOMPARE(control<QLabel>(w, "lblFolderCount")->text(), QString("1 Folder"));
    QVERIFY(control<QToolButton>(w, "ImageFolder")->icon().pixmap(44, 22).toImage() == QIcon(control<QLabel>(w, "ImageSwitchOn")->pixmap()).pixmap(44, 22).toImage());
    QTest::mouseClick(control<QLineEdit>(w, "edtFolder"), Qt::LeftButton);
    QCOMPARE(opened, 1);
    QTest::keyClick(control<QLineEdit>(w, "edtFolder"), Qt::Key_A);
    QCOMPARE(opened, 2);

    // The advanced folder list is what the run searches.
    QTest::keyClicks(control<QLineEdit>(w, "edtString"), "needle");
    control<QPushButton>(w, "btnGo")->click();
    QCOMPARE(w.runState(), int(kRunFinished));
    QVERIFY(rowWith(w, 1, "needle one") >= 0);
  }

  void browse_and_double_click_pick_a_folder() {
    auto w = makeWindow();
    QString offered;
    QString answer = "/picked/folder";
    w->hooks.pickFolder = [&](const QString& start) {
      offered = start;
      return answer;
    };
    control<QLineEdit>(*w, "edtFolder")->setText("/typed");
    control<QPushButton>(*w, "btnBrowse")->click();
    QCOMPARE(offered, QString("/typed"));
    QCOMPARE(control<QLineEdit>(*w, "edtFolder")->text(), QString("/picked/folder"));
    answer.clear();
    QTest::mouseDClick(control<QLineEdit>(*w, "edtFolder"), Qt::LeftButton);
    QCOMPARE(offered, QDir::currentPath());
    QCOMPARE(control<QLineEdit>(*w, "edtFolder")->text(), QString("/picked/folder"));  // cancelled: unchanged
    control<QLineEdit>(*w, "edtFolder")->setText("/elsewhere");
    control<QPushButton>(*w, "btnCurrent")->click();
    QCOMPARE(control<QLineEdit>(*w, "edtFolder")->text(), QDir::currentPath());
  }

  void settings_button_saves_after_yes_and_opens_the_file() {
    auto w = makeWindow();
    std::vector<int> tipPages;
    w->hooks.showTips = [&](int page) { tipPages.push_back(page); };
    QString question;
    whenModal([&question](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box);
      question = box->text();
      box->button(QMessageBox::Yes)->click();
    });
    control<QPushButton>(*w, "btnSetupOptions")->click();
    QCOMPARE(tipPages, std::vector<int>{2});
    QCOMPARE(question, QString("Save current settings?"));
    const QByteArray written = guitest::readFile(settingsFile());
    QVERIFY2(written.contains("[Folders]\r\nSavedFolder0="), written.constData());
    QVERIFY(written.contains("SavedFolder10=\r\n"));
    QVERIFY(written.contains("SimpleOrAdvancedFolders=1\r\n"));
    QVERIFY(written.contains("[Testing]\r\nReplaceExtraInfo=0"));
    QVERIFY(!written.contains("[Filespec]"));
    QCOMPARE(launches_.size(), size_t(1));
    const LaunchCommand& launch = launches_.front();
    const Text path = settingsFile().toStdU16String();
    QVERIFY(launch.document == path || (!launch.arguments.empty() && launch.arguments.front() == path));
  }

  void settings_in_a_folder_with_a_blank_open_whole() {
    const QString settings = dir_.filePath("with blank/Varko64.INI");
    QDir().mkpath(dir_.filePath("with blank"));
    TfrmVarko1 w(newInputs(), settings);
    prepare(w);
    w.show();
    whenModal([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(QMessageBox::No)->click(); });
    control<QPushButton>(w, "btnSetupOptions")->click();
    QCOMPARE(launches_.size(), size_t(1));
    const LaunchCommand& launch = launches_.front();
    const Text path = settings.toStdU16String();
    QVERIFY(launch.document == path || launch.arguments == TextList{path});
  }

  void settings_button_answered_no_writes_nothing_and_still_opens_the_editor() {
    auto w = makeWindow();
    whenModal([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(QMessageBox::No)->click(); });
    control<QPushButton>(*w, "btnSetupOptions")->click();
    QVERIFY(!QFile::exists(settingsFile()));
    QCOMPARE(launches_.size(), size_t(1));
  }

  void a_refused_settings_write_shows_unable_to_write() {
    const QString unwritable = dir_.filePath("no-such-folder/Varko64.INI");
    TfrmVarko1 w(newInputs(), unwritable);
    prepare(w);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QString message;
    whenModal([&message](QWidget* modal) {
      qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click();
      whenModal([&message](QWidget* next) {
        auto* box = qobject_cast<QMessageBox*>(next);
        message = box->text();
        box->accept();
      });
    });
    control<QPushButton>(w, "btnSetupOptions")->click();
    QCOMPARE(message, "Unable to write to " + unwritable);
    QCOMPARE(launches_.size(), size_t(1));
  }

  void regular_expressions_are_saved_mark_their_matches_and_a_bad_one_is_shown() {
    auto w = makeWindow();
    auto* regex = control<QCheckBox>(*w, "cbxRegularExpressions");
    auto* gitignore = control<QCheckBox>(*w, "cbxRespectGitignore");
    clickBox(regex);
    clickBox(gitignore);
    QVERIFY(regex->isChecked() && gitignore->isChecked());
    // "Settings" saves them, and the next window starts with them.
    whenModal([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click(); });
    control<QPushButton>(*w, "btnSetupOptions")->click();
    const QByteArray saved = guitest::readFile(settingsFile());
    QVERIFY2(saved.contains("RegularExpressions=1\r\n") && saved.contains("RespectGitignore=1\r\n"), saved.constData());
    auto again = makeWindow();
    QVERIFY(control<QCheckBox>(*again, "cbxRegularExpressions")->isChecked());
    QVERIFY(control<QCheckBox>(*again, "cbxRespectGitignore")->isChecked());

    search(*again, "ne+dle\\b");
    QTRY_VERIFY(again->session().lastOutcome() == RunOutcome::Finished);
    const SpanRules rules = gui::MatchRulesOf(again->session().lineMatcher());
    const ResultTable& table = again->session().grdFound();
    QStringList marked;
    for (int r = 0; r < table.rowCount(); ++r) {
      const QString text = QString::fromStdU16String(table.cell(1, r));
      for (const MatchSpan& span : gui::MatchSpansOf(text, rules)) marked << text.mid(span.start, span.length);
    }
    QCOMPARE(marked, QStringList({"needle", "NEEDLE", "needle"}));

    QString message;
    whenModal([&message](QWidget* modal) {
      message = qobject_cast<QMessageBox*>(modal)->text();
      qobject_cast<QMessageBox*>(modal)->accept();
    });
    search(*again, "ne(dle");
    QCOMPARE(message, QString("Regular expression \"ne(dle\": missing ): ne(dle"));
    // No run: no file was searched.
    QCOMPARE(rowWith(*again, 1, "needle one"), -1);
  }

  void a_failed_editor_start_is_reported() {
    auto w = makeWindow();
    w->hooks.launch = [](const LaunchCommand&, Text& error) {
      error = u"No such file or directory";
      return false;
    };
    QString message;
    whenModal([&message](QWidget* modal) {
      qobject_cast<QMessageBox*>(modal)->button(QMessageBox::No)->click();
      whenModal([&message](QWidget* next) {
        message = qobject_cast<QMessageBox*>(next)->text();
        qobject_cast<QMessageBox*>(next)->accept();
      });
    });
    control<QPushButton>(*w, "btnSetupOptions")->click();
    QVERIFY2(message.startsWith("Command problem:"), qPrintable(message));
    QVERIFY(message.endsWith("\r\nNo such file or directory"));
  }

  void expand_vertically_and_back() {
    auto w = makeWindow();
    // The size it shrinks back to is the one it had when expanded, not the one of its show.
    w->resize(w->width(), w->height() - 40);
    const int height = w->height();
    const int top = w->pos().y();
    control<QToolButton>(*w, "btnResizeVertical")->click();
    QCOMPARE(control<QToolButton>(*w, "btnResizeVertical")->toolTip(), QString("Shrink to original height"));
    const QRect work = w->screen()->availableGeometry();
    QCOMPARE(w->pos().y(), work.top());
    QVERIFY(w->height() >= height || w->height() == work.height() - (w->frameGeometry().height() - w->height()));
    control<QToolButton>(*w, "btnResizeVertical")->click();
    QCOMPARE(control<QToolButton>(*w, "btnResizeVertical")->toolTip(), QString("Expand vertically"));
    QCOMPARE(w->height(), height);
    QCOMPARE(w->pos().y(), top);
  }

  void test_info_follows_the_check_box_or_the_argument() {
    auto w = makeWindow();
    QVERIFY(!w->testInfoOn());
    w->setTestInfoArgument(true);
    QVERIFY(w->buildRequest().testInfo);
    w->setTestInfoArgument(false);
    control<QCheckBox>(*w, "cbxTestInfo")->setChecked(true);
    QVERIFY(w->buildRequest().testInfo);
  }
};

QTEST_MAIN(TfrmVarko1Test)
#include "TfrmVarko1Test.moc"
