// The whole program as main() makes it: a real search on a fixture, then the other windows reached
// from the main window the way a user reaches them.
#include <QCalendarWidget>
#include <QCheckBox>
#include <QClipboard>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "DateFieldPicker.h"
#include "GuiTestSupport.h"
#include "ResultOpener.h"
#include "TfrmFWindow.h"
#include "TfrmNORVPostcard.h"
#include "TfrmTimePicker.h"
#include "TfrmVarko1.h"
#include "TfrmVarkoEditOptions.h"
#include "TfrmVarkoFileSpec.h"
#include "TfrmVarkoFolders.h"
#include "TfrmVarkoHistory.h"
#include "TfrmVarkoReplace.h"
#include "TfrmVarkoStrings.h"
#include "TfrmVarkoTips.h"
#include "TfrmView2.h"
#include "VarkoProgram.h"
#include "results/GridFind.h"

using namespace varko;
using guitest::control;
namespace {

// Answers of modal windows that never came up; each test's go with it, so a fault in one test
// cannot answer a window of the next one.
QObject* pendingAnswers = nullptr;

// As guitest::whenModal, with the waiting timer owned by the running test.
void whenModal(std::function<void(QWidget*)> act) { guitest::whenModal(std::move(act), pendingAnswers); }

// What the view window showed while it was up; it forgets its lines when it closes.
struct ViewSeen {
  bool shown = false;
  QString title;
  int lineCount = -1;
  int currentLine = -1;
  QString currentNumber;
  QString currentText;
};

// Notes what the view window shows, then closes it with Esc as a user would.
void answerViewWindow(TfrmView2* view, ViewSeen& seen) {
  whenModal([view, &seen](QWidget* modal) {
    if (modal == view) {
      seen.shown = true;
      seen.title = view->windowTitle();
      seen.lineCount = view->grdView2->model()->rowCount();
      seen.currentLine = view->currentRow();
      const QModelIndex current = view->grdView2->currentIndex();
      const QAbstractItemModel* model = view->grdView2->model();
      seen.currentNumber = model->data(model->index(current.row(), 0)).toString();
      seen.currentText = model->data(model->index(current.row(), 1)).toString();
      QTest::keyClick(view->grdView2, Qt::Key_Escape);
    }
    if (modal->isVisible()) modal->close();
  });
}

QString cellText(const QTableView* grid, int row, int column) {
  return grid->model()->data(grid->model()->index(row, column)).toString();
}

// The drop-down sits on the field's top left corner; the platform may shift a popup by its frame.
bool over(const QWidget* popup, const QWidget* field) {
  const QPoint offset = popup->pos() - field->mapToGlobal(QPoint(0, 0));
  return qAbs(offset.x()) <= 4 && qAbs(offset.y()) <= 4;
}

QString dateText(const QDate& date) { return QLocale::c().toString(date, QStringLiteral("dd-MMM-yy")); }

}  // namespace

class VarkoProgramTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  std::vector<LaunchCommand> launches_;

  QString settingsFile() const { return dir_.filePath("Varko64.INI"); }
  QString fixture() const { return dir_.filePath("fixture"); }
  QString alpha() const { return fixture() + "/alpha.pas"; }
  QString beta() const { return fixture() + "/beta.txt"; }

  std::unique_ptr<VarkoProgram> start(const Text& firstArgument = Text()) {
    auto program = std::make_unique<VarkoProgram>(settingsFile(), firstArgument);
    // Nothing outside the test is ever started.
    program->resultOpener().launch = [this](const LaunchCommand& command, Text&) {
      launches_.push_back(command);
      return true;
    };
    program->main()->show();
    if (!QTest::qWaitForWindowExposed(program->main())) qWarning("main window not exposed");
    return program;
  }

  // Types the folder and the string and clicks Search; the run ends before the click returns.
  static void search(TfrmVarko1* w, const QString& folder, const QString& text) {
    control<QLineEdit>(*w, "edtFolder")->clear();
    QTest::keyClicks(control<QLineEdit>(*w, "edtFolder"), folder);
    control<QLineEdit>(*w, "edtString")->clear();
    QTest::keyClicks(control<QLineEdit>(*w, "edtString"), text);
    QTest::mouseClick(control<QPushButton>(*w, "btnGo"), Qt::LeftButton);
  }

  // The results row of a path and line, -1 when the grid has none.
  static int resultRow(TfrmVarko1* w, const QString& path, int line) {
    const ResultTable& table = w->session().grdFound();
    for (int r = 0; r < table.rowCount(); ++r)
      if (QString::fromStdU16String(table.pathCell(r)) == path && table.lineNumberCell(r) == line &&
          !table.cell(0, r).empty())
        return r;
    return -1;
  }

  static void clickRow(TfrmVarko1* w, int row) {
    auto* grid = control<QTableView>(*w, "grdFound");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, 1)).center());
  }

  // A real double click starts with a single click.
  static void doubleClickRow(TfrmVarko1* w, int row) {
    auto* grid = control<QTableView>(*w, "grdFound");
    const QPoint centre = grid->visualRect(grid->model()->index(row, 1)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centre);
  }

  // Searches the fixture for "needle" and makes the match on line 4 of alpha.pas current.
  int searchAndPickAlphaLine4(VarkoProgram& program) {
    TfrmVarko1* w = program.main();
    search(w, fixture(), "needle");
    if (w->runState() != kRunFinished) return -1;
    const int row = resultRow(w, alpha(), 4);
    if (row < 0) return -1;
    clickRow(w, row);
    return row;
  }

private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    guitest::writeFixture(fixture());
    QApplication::setApplicationName("Tessel");
  }
  void init() {
    pendingAnswers = new QObject;
    QFile::remove(settingsFile());
    launches_.clear();
  }
  void cleanup() {
    delete pendingAnswers;
    pendingAnswers = nullptr;
  }

  void only_the_main_window_shows_at_start_and_it_owns_the_others() {
    auto program = start();
    TfrmVarko1* w = program->main();
    QVERIFY(w->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    const std::vector<QWidget*> others = {program->history(),   program->fileSpecs(),  program->strings(),
                                          program->view(),      program->editOptions(), program->fileWindow(),
                                          program->folders(),   program->postcard(),   program->tips(),
                                          program->timePicker()};
    for (QWidget* other : others) {
      QVERIFY(other);
      QVERIFY2(!other->isVisible(), qPrintable(other->objectName()));
      QCOMPARE(other->parentWidget(), static_cast<QWidget*>(w));
    }
    QVERIFY(!program->startDatePicker()->calendar()->isVisible());
    QVERIFY(!program->fileWindow()->fileWindowFlag());
  }

  void ctrl_v_shows_the_file_with_the_match_line_current() {
    auto program = start();
    TfrmVarko1* w = program->main();
    QGuiApplication::clipboard()->setText("before");
    const int row = searchAndPickAlphaLine4(*program);
    QVERIFY(row >= 0);
    QCOMPARE(control<QTableView>(*w, "grdFound")->currentIndex().row(), row);

    ViewSeen seen;
    answerViewWindow(program->view(), seen);
    QTest::keyClick(control<QTableView>(*w, "grdFound"), Qt::Key_V, Qt::ControlModifier);
    QVERIFY(seen.shown);
    QCOMPARE(seen.title, alpha());
    QCOMPARE(seen.lineCount, 4);
    QCOMPARE(seen.currentLine, 4);
    QCOMPARE(seen.currentNumber, QString("4"));
    QCOMPARE(seen.currentText, QString("NEEDLE two"));
    QVERIFY(!program->view()->isVisible());
    QVERIFY(!program->view()->isViewOpen());
    // "Copy search string to Clipboard" is on by default: the viewer is ready for a search too.
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("needle"));

    // Closed, it opens again from the "View" button on another row; without the check box the
    // clipboard is left alone.
    QGuiApplication::clipboard()->setText("before");
    control<QCheckBox>(*w, "cbxCopyToCB")->setChecked(false);
    const int betaRow = resultRow(w, beta(), 1);
    QVERIFY(betaRow >= 0);
    clickRow(w, betaRow);
    ViewSeen again;
    answerViewWindow(program->view(), again);
    QTest::mouseClick(control<QPushButton>(*w, "btnView"), Qt::LeftButton);
    QVERIFY(again.shown);
    QCOMPARE(again.title, beta());
    QCOMPARE(again.currentLine, 1);
    QCOMPARE(again.currentText, QString("the needle"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("before"));
  }

  void a_text_looked_for_in_the_results_is_looked_for_in_the_view_window_too() {
    auto program = start();
    TfrmVarko1* w = program->main();
    QVERIFY(searchAndPickAlphaLine4(*program) >= 0);
    auto* grid = control<QTableView>(*w, "grdFound");
    whenModal([](QWidget* modal) {
      auto* prompt = qobject_cast<QInputDialog*>(modal);
      QVERIFY(prompt);
      prompt->setTextValue("nothing");  // a line of alpha.pas that did not match
      prompt->accept();
    });
    QTest::keyClick(grid, Qt::Key_F, Qt::ControlModifier);
    int foundInView = -1;
    TfrmView2* view = program->view();
    whenModal([view, &foundInView](QWidget* modal) {
      if (modal != view) {
        modal->close();
        return;
      }
      QTest::keyClick(view->grdView2, Qt::Key_F3, Qt::ShiftModifier);
      foundInView = view->currentRow();
      QTest::keyClick(view->grdView2, Qt::Key_Escape);
    });
    QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(foundInView, 3);
  }

  void ctrl_w_shows_the_lines_around_the_match_and_a_row_change_hides_them() {
    auto program = start();
    TfrmVarko1* w = program->main();
    const int row = searchAndPickAlphaLine4(*program);
    QVERIFY(row >= 0);
    TfrmFWindow* fileWindow = program->fileWindow();

    QTest::keyClick(control<QTableView>(*w, "grdFound"), Qt::Key_W, Qt::ControlModifier);
    QTRY_VERIFY(fileWindow->isVisible());
    QVERIFY(fileWindow->fileWindowFlag());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);  // not modal: the results stay usable
    const QTableView* lines = fileWindow->grdWindow;
    QCOMPARE(lines->model()->rowCount(), 11);
    // Line 4 of a four-line file: lines 1 to 4 from the first row, the rest blank.
    const QStringList numbers = {"1", "2", "3", "4", "", "", "", "", "", "", ""};
    for (int i = 0; i < 11; ++i) QCOMPARE(cellText(lines, i, 0), numbers[i]);
    QCOMPARE(cellText(lines, 0, 1), QString("unit alpha;"));
    QCOMPARE(cellText(lines, 3, 1), QString("NEEDLE two"));
    QCOMPARE(lines->currentIndex().row(), 3);

    // A row change in the results hides it.
    QTest::keyClick(control<QTableView>(*w, "grdFound"), Qt::Key_Up);
    QCOMPARE(control<QTableView>(*w, "grdFound")->currentIndex().row(), row - 1);
    QTRY_VERIFY(!fileWindow->isVisible());
    QVERIFY(!fileWindow->fileWindowFlag());

    // Ctrl+W shows it on the new row's line and hides it again.
    QTest::keyClick(control<QTableView>(*w, "grdFound"), Qt::Key_W, Qt::ControlModifier);
    QTRY_VERIFY(fileWindow->isVisible());
    QCOMPARE(lines->currentIndex().row(), 1);
    QCOMPARE(cellText(lines, 1, 1), QString("needle one"));
    QTest::keyClick(control<QTableView>(*w, "grdFound"), Qt::Key_W, Qt::ControlModifier);
    QTRY_VERIFY(!fileWindow->isVisible());
    QVERIFY(!fileWindow->fileWindowFlag());

    // Another file's row shows that file.
    clickRow(w, resultRow(w, beta(), 1));
    QTest::keyClick(control<QTableView>(*w, "grdFound"), Qt::Key_W, Qt::ControlModifier);
    QTRY_VERIFY(fileWindow->isVisible());
    QCOMPARE(cellText(lines, 0, 1), QString("the needle"));
    QCOMPARE(cellText(lines, 1, 0), QString());
    QCOMPARE(lines->currentIndex().row(), 0);
  }

  void a_folder_argument_is_the_folder_to_search_and_text_print_opens_the_output_options() {
    auto program = start();
    TfrmVarko1* w = program->main();
    program->takeArguments({"-v", fixture() + "/../fixture", "/no/such/folder"});
    QCOMPARE(control<QLineEdit>(*w, "edtFolder")->text(), fixture());

    search(w, fixture(), "needle");
    QCOMPARE(w->runState(), int(kRunFinished));
    QString shown;
    whenModal([&shown](QWidget* modal) {
      shown = modal->windowTitle();
      modal->close();
    });
    QTest::mouseClick(control<QPushButton>(*w, "btnPrint"), Qt::LeftButton);
    QCOMPARE(shown, QString("Text Output Options"));
  }

  // "Open with" starts on its folder, whatever folder and mode the Settings button saved before;
  // started plainly, the program takes the saved folder.
  void a_folder_argument_wins_over_the_saved_folder_data() {
    QTest::addColumn<int>("savedMode");
    QTest::addColumn<bool>("startedOnFolder");
    QTest::newRow("saved simple, started on a folder") << int(kSimpleMode) << true;
    QTest::newRow("saved advanced, started on a folder") << int(kAdvancedMode) << true;
    QTest::newRow("saved simple, started plainly") << int(kSimpleMode) << false;
  }

  void a_folder_argument_wins_over_the_saved_folder() {
    QFETCH(int, savedMode);
    QFETCH(bool, startedOnFolder);
    const QString saved = dir_.filePath("saved");
    QVERIFY(QDir().mkpath(saved));
    auto launchNothing = [](const LaunchCommand&, Text&) { return true; };
    {
      VarkoProgram first(settingsFile());
      first.main()->hooks.launch = launchNothing;
      first.takeArguments({saved});
      first.main()->show();
      QVERIFY(QTest::qWaitForWindowExposed(first.main()));
      if (savedMode == kAdvancedMode) control<QToolButton>(*first.main(), "ImageFolder")->click();
      whenModal([](QWidget* tips) {
        whenModal([](QWidget* question) { qobject_cast<QMessageBox*>(question)->button(QMessageBox::Yes)->click(); });
        tips->close();
      });
      QTest::mouseClick(control<QPushButton>(*first.main(), "btnSetupOptions"), Qt::LeftButton);
      QVERIFY(guitest::readFile(settingsFile()).contains("SavedFolder0=" + saved.toUtf8() + "\r\n"));
    }

    VarkoProgram second(settingsFile());
    second.main()->hooks.launch = launchNothing;
    if (startedOnFolder) second.takeArguments({fixture()});
    second.main()->show();
    QVERIFY(QTest::qWaitForWindowExposed(second.main()));
    const QString expected = startedOnFolder ? fixture() : saved;
    QCOMPARE(control<QLineEdit>(*second.main(), "edtFolder")->text(), expected);
    const SearchRequest request = second.main()->buildRequest();
    QCOMPARE(int(request.folderMode), startedOnFolder ? int(kSimpleMode) : savedMode);
    QCOMPARE(QString::fromStdU16String(request.folder), expected);
  }

  void history_button_lists_the_searched_and_the_typed_string_newest_first() {
    auto program = start();
    TfrmVarko1* w = program->main();
    search(w, fixture(), "needle");
    QCOMPARE(w->runState(), int(kRunFinished));
    QTest::mouseClick(control<QPushButton>(*w, "btnSelect"), Qt::LeftButton);
    QCOMPARE(w->runState(), int(kRunIdle));
    // Typed, not searched: the history button still offers it.
    control<QLineEdit>(*w, "edtString")->clear();
    QTest::keyClicks(control<QLineEdit>(*w, "edtString"), "haystack");

    QStringList listed;
    QString selected;
    bool shown = false;
    TfrmVarkoHistory* history = program->history();
    whenModal([&](QWidget* modal) {
      if (modal == history) {
        shown = true;
        for (int i = 0; i < history->lstbxHistory->count(); ++i) listed << history->lstbxHistory->item(i)->text();
        if (history->lstbxHistory->currentItem()) selected = history->lstbxHistory->currentItem()->text();
        QListWidgetItem* older = history->lstbxHistory->item(1);
        if (older) {
          QTest::mouseClick(history->lstbxHistory->viewport(), Qt::LeftButton, {},
                            history->lstbxHistory->visualItemRect(older).center());
          QTest::mouseClick(history->btnOK, Qt::LeftButton);
        }
      }
      if (modal->isVisible()) modal->close();
    });
    QTest::mouseClick(control<QToolButton>(*w, "btnHistory"), Qt::LeftButton);
    QVERIFY(shown);
    QCOMPARE(listed, QStringList({"haystack", "needle"}));
    QCOMPARE(selected, QString("haystack"));
    QVERIFY(!history->isVisible());
    QCOMPARE(control<QLineEdit>(*w, "edtString")->text(), QString("needle"));
    QCOMPARE(w->focusWidget(), static_cast<QWidget*>(control<QPushButton>(*w, "btnGo")));

    // Pressed again with the same text (another letter case), nothing is added.
    control<QLineEdit>(*w, "edtString")->setText("NEEDLE");
    listed.clear();
    whenModal([&](QWidget* modal) {
      if (modal == history)
        for (int i = 0; i < history->lstbxHistory->count(); ++i) listed << history->lstbxHistory->item(i)->text();
      QTest::mouseClick(history->btnCancel, Qt::LeftButton);
      if (modal->isVisible()) modal->close();
    });
    QTest::mouseClick(control<QToolButton>(*w, "btnHistory"), Qt::LeftButton);
    QCOMPARE(listed, QStringList({"haystack", "needle"}));
    QCOMPARE(control<QLineEdit>(*w, "edtString")->text(), QString("NEEDLE"));  // Cancel keeps the field
  }

  void a_held_ctrl_v_or_ctrl_w_opens_its_window_once_and_leaves_it_open() {
    auto program = start();
    TfrmVarko1* w = program->main();
    QVERIFY(searchAndPickAlphaLine4(*program) >= 0);
    auto* grid = control<QTableView>(*w, "grdFound");
    grid->setFocus();
    TfrmView2* view = program->view();
    bool stillOpen = false;
    whenModal([view, &stillOpen](QWidget* modal) {
      // The rest of the held Ctrl+V reaches the view window, which has the focus now.
      if (modal == view) {
        guitest::holdKeyAfterPress(Qt::Key_V, Qt::ControlModifier, 3, Qt::ControlModifier, view->grdView2);
        QCoreApplication::processEvents();
        stillOpen = view->isVisible();
        QTest::keyClick(view->grdView2, Qt::Key_Escape);
      }
      if (modal->isVisible()) modal->close();
    });
    guitest::sendKey(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, false, grid);
    QVERIFY(stillOpen);
    QVERIFY(!view->isVisible());

    guitest::sendKey(QEvent::KeyPress, Qt::Key_W, Qt::ControlModifier, false, grid);
    QTRY_VERIFY(program->fileWindow()->isVisible());
    // The rest of the held key goes to the file window's grid, which takes the focus.
    QTableView* lines = program->fileWindow()->grdWindow;
    guitest::holdKeyAfterPress(Qt::Key_W, Qt::ControlModifier, 3, Qt::NoModifier, lines);
    QVERIFY(program->fileWindow()->isVisible());
    QVERIFY(program->fileWindow()->fileWindowFlag());
    // Pressed again in the file window, it hides.
    guitest::sendKey(QEvent::KeyPress, Qt::Key_W, Qt::ControlModifier, false, lines);
    QVERIFY(!program->fileWindow()->isVisible());
  }

  void history_button_in_advanced_strings_leads_to_multiple_searches() {
    auto program = start();
    TfrmVarko1* w = program->main();
    const QString setFile = dir_.filePath("find set.txt");
    guitest::writeFile(setFile, "one\tuno\r\nthe\tel\r\n");
    QTest::mouseClick(control<QToolButton>(*w, "ImageString"), Qt::LeftButton);
    QCOMPARE(program->inputs().saved.stringMode, kAdvancedMode);
    auto* historyButton = control<QToolButton>(*w, "btnHistory");
    QVERIFY(historyButton->isEnabled());

    TfrmVarkoHistory* history = program->history();
    history->showMessage = [](const QString&) {};
    history->chooseFile = [setFile](const QString&) { return setFile; };
    QString page;
    QStringList loaded;
    whenModal([&](QWidget* modal) {
      if (modal == history) {
        page = history->PageControl1->tabText(history->PageControl1->currentIndex());
        QTest::mouseClick(history->btnLoadFindSet, Qt::LeftButton);
        for (int r = 0; r < history->grdMultipleFind->rowCount(); ++r)
          if (auto* item = history->grdMultipleFind->item(r, 0)) loaded << item->text();
        QTest::mouseClick(history->btnUseMulti, Qt::LeftButton);
      }
      if (modal->isVisible()) modal->close();
    });
    QTest::mouseClick(historyButton, Qt::LeftButton);
    QCOMPARE(page, QString("Multiple Searches"));
    QCOMPARE(loaded, QStringList({"one", "the"}));
    QCOMPARE(program->inputs().stringSetFileName, setFile.toStdU16String());

    // The loaded set is what the next run looks for.
    control<QLineEdit>(*w, "edtFolder")->setText(fixture());
    QTest::mouseClick(control<QPushButton>(*w, "btnGo"), Qt::LeftButton);
    QCOMPARE(w->runState(), int(kRunFinished));
    QVERIFY(resultRow(w, alpha(), 2) > 0);  // needle one
    QVERIFY(resultRow(w, beta(), 1) > 0);   // the needle
    QCOMPARE(resultRow(w, alpha(), 4), -1);

    // A set loaded in the replace window, then Cancel: the field, its count and the title show
    // the loaded strings the next run uses, not the history window's older "<one><the>".
    const QString pairs = dir_.filePath("pairs.txt");
    guitest::writeFile(pairs, "cat\tdog\r\nfox\tox\r\nyak\tgnu\r\n");
    TfrmVarkoReplace* options = program->replaceOptions();
    options->chooseFile = [pairs](const QString&) { return pairs; };
    whenModal([&](QWidget* modal) {
      if (modal == options) {
        whenModal([](QWidget* box) { box->close(); });  // "You can load strings ..."
        QTest::mouseClick(options->btnLoadFindReplaceSet, Qt::LeftButton);
        QTest::mouseClick(options->btnCancel, Qt::LeftButton);
      }
      if (modal->isVisible()) modal->close();
    });
    QTest::mouseClick(control<QPushButton>(*w, "btnSelect"), Qt::LeftButton);
    control<QCheckBox>(*w, "cbxEnableReplace")->setChecked(true);
    QTest::mouseClick(control<QPushButton>(*w, "btnReplace"), Qt::LeftButton);
    QCOMPARE(control<QLineEdit>(*w, "edtString")->text(), QString("cat,fox,yak"));
    QCOMPARE(control<QLabel>(*w, "lblStringsCount")->text(), QString("3 Strings"));
    QVERIFY(!w->windowTitle().contains("one"));
  }

  void an_unreadable_date_opens_the_calendar_on_today_and_is_kept() {
    auto program = start();
    TfrmVarko1* w = program->main();
    control<QTabWidget>(*w, "PageControl2")->setCurrentIndex(1);
    auto* start = control<QLineEdit>(*w, "edtSelDate1");
    auto* end = control<QLineEdit>(*w, "edtSelDate2");
    const QDate today = QDate::currentDate();
    struct Case {
      QLineEdit* typedInto;
      const char* button;
    };
    // Typed into either field, then each calendar button: no failure, and the text stays to mend.
    for (const Case& c : {Case{start, "btnSelDate1"}, Case{start, "btnSelDate2"}, Case{end, "btnSelDate2"},
                          Case{end, "btnSelDate1"}}) {
      start->setText(dateText(today));
      end->setText(dateText(today));
      c.typedInto->clear();
      QTest::keyClicks(c.typedInto, "5-3-20245");
      QTest::mouseClick(control<QPushButton>(*w, c.button), Qt::LeftButton);
      QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
      auto* calendar = qobject_cast<QCalendarWidget*>(QApplication::activePopupWidget());
      QVERIFY(calendar);
      QCOMPARE(calendar->selectedDate(), today);
      auto* days = calendar->findChild<QTableView*>();
      QTest::keyClick(days, Qt::Key_Return);
      QTRY_VERIFY(!calendar->isVisible());
      const bool pickedTheTypedField = (c.typedInto == start) == (QString(c.button) == "btnSelDate1");
      QCOMPARE(c.typedInto->text(), pickedTheTypedField ? dateText(today) : QString("5-3-20245"));
    }
  }

  void time_buttons_open_the_picker_on_their_own_field() {
    auto program = start();
    TfrmVarko1* w = program->main();
    control<QTabWidget>(*w, "PageControl2")->setCurrentIndex(1);
    QCOMPARE(control<QTabWidget>(*w, "PageControl2")->tabText(1), QString("Date options"));
    QVERIFY(control<QPushButton>(*w, "btnSelTime1")->isVisible());
    TfrmTimePicker* picker = program->timePicker();

    QString startShown;
    whenModal([&](QWidget* modal) {
      if (modal == picker) {
        startShown = picker->edtHour->text() + ":" + picker->edtMin->text() + ":" + picker->edtSec->text();
        QTest::mouseClick(picker->btnHrPlus, Qt::LeftButton);
        QTest::mouseClick(picker->btnHrPlus, Qt::LeftButton);
        QTest::mouseClick(picker->btn10MinPlus, Qt::LeftButton);
        QTest::mouseClick(picker->btnOK, Qt::LeftButton);
      }
      if (modal->isVisible()) modal->close();
    });
    QTest::mouseClick(control<QPushButton>(*w, "btnSelTime1"), Qt::LeftButton);
    QCOMPARE(startShown, QString("00:00:00"));
    QVERIFY(!picker->isVisible());
    QCOMPARE(control<QLineEdit>(*w, "edtSelTime1")->text(), QString("02:10:00"));
    QCOMPARE(control<QLineEdit>(*w, "edtSelTime2")->text(), QString("23:59:59"));
    QCOMPARE(w->focusWidget(), static_cast<QWidget*>(control<QLineEdit>(*w, "edtSelTime1")));

    // The end time's button starts from the end time; one second on wraps to midnight.
    QString endShown;
    whenModal([&](QWidget* modal) {
      if (modal == picker) {
        endShown = picker->edtHour->text() + ":" + picker->edtMin->text() + ":" + picker->edtSec->text();
        QTest::mouseClick(picker->btnSecPlus, Qt::LeftButton);
        QTest::mouseClick(picker->btnOK, Qt::LeftButton);
      }
      if (modal->isVisible()) modal->close();
    });
    QTest::mouseClick(control<QPushButton>(*w, "btnSelTime2"), Qt::LeftButton);
    QCOMPARE(endShown, QString("23:59:59"));
    QCOMPARE(control<QLineEdit>(*w, "edtSelTime2")->text(), QString("00:00:00"));
    QCOMPARE(control<QLineEdit>(*w, "edtSelTime1")->text(), QString("02:10:00"));
    QCOMPARE(w->focusWidget(), static_cast<QWidget*>(control<QLineEdit>(*w, "edtSelTime2")));

    // Closed without OK, the field keeps its time.
    whenModal([&](QWidget* modal) {
      if (modal == picker) QTest::mouseClick(picker->btnHrPlus, Qt::LeftButton);
      modal->close();
    });
    QTest::mouseClick(control<QPushButton>(*w, "btnSelTime1"), Qt::LeftButton);
    QCOMPARE(control<QLineEdit>(*w, "edtSelTime1")->text(), QString("02:10:00"));
  }

  void date_buttons_drop_the_calendar_down_over_their_field() {
    auto program = start();
    TfrmVarko1* w = program->main();
    control<QTabWidget>(*w, "PageControl2")->setCurrentIndex(1);
    const QDate today = QDate::currentDate();
    QCOMPARE(control<QLineEdit>(*w, "edtSelDate1")->text(), dateText(today));
    QCOMPARE(control<QLineEdit>(*w, "edtSelDate2")->text(), dateText(today));

    QTest::mouseClick(control<QPushButton>(*w, "btnSelDate1"), Qt::LeftButton);
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    auto* calendar = qobject_cast<QCalendarWidget*>(QApplication::activePopupWidget());
    QVERIFY(calendar);
    QCOMPARE(calendar, program->startDatePicker()->calendar());
    QVERIFY(over(calendar, control<QLineEdit>(*w, "edtSelDate1")));
    QCOMPARE(calendar->selectedDate(), today);
    // A day on and Enter, as on the keyboard.
    auto* days = calendar->findChild<QTableView*>();
    QVERIFY(days);
    QTest::keyClick(days, Qt::Key_Right);
    QTest::keyClick(days, Qt::Key_Return);
    QTRY_VERIFY(!calendar->isVisible());
    QCOMPARE(control<QLineEdit>(*w, "edtSelDate1")->text(), dateText(today.addDays(1)));
    // The end date may not lie before the start date.
    QCOMPARE(control<QLineEdit>(*w, "edtSelDate2")->text(), dateText(today.addDays(1)));

    QTest::mouseClick(control<QPushButton>(*w, "btnSelDate2"), Qt::LeftButton);
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    auto* endCalendar = qobject_cast<QCalendarWidget*>(QApplication::activePopupWidget());
    QCOMPARE(endCalendar, program->endDatePicker()->calendar());
    QVERIFY(over(endCalendar, control<QLineEdit>(*w, "edtSelDate2")));
    QCOMPARE(endCalendar->selectedDate(), today.addDays(1));
    auto* endDays = endCalendar->findChild<QTableView*>();
    QVERIFY(endDays);
    QTest::keyClick(endDays, Qt::Key_Right);
    QTest::keyClick(endDays, Qt::Key_Return);
    QTRY_VERIFY(!endCalendar->isVisible());
    QCOMPARE(control<QLineEdit>(*w, "edtSelDate2")->text(), dateText(today.addDays(2)));
    QCOMPARE(control<QLineEdit>(*w, "edtSelDate1")->text(), dateText(today.addDays(1)));
  }

  void double_click_with_a_viewer_entry_opens_the_view_window() {
    guitest::writeFile(settingsFile(), "[Viewer]\r\ntxt=Viewer\r\n");
    auto program = start();
    TfrmVarko1* w = program->main();
    search(w, fixture(), "needle");
    const int row = resultRow(w, beta(), 1);
    QVERIFY(row >= 0);

    ViewSeen seen;
    answerViewWindow(program->view(), seen);
    doubleClickRow(w, row);
    QVERIFY(seen.shown);
    QCOMPARE(seen.title, beta());
    QCOMPARE(seen.currentLine, 1);
    QCOMPARE(seen.currentText, QString("the needle"));
    QVERIFY(!program->view()->isVisible());
    QVERIFY(launches_.empty());

    // No entry for .pas: the ask window comes first, and its "Viewer" opens the view window.
    const int alphaRow = resultRow(w, alpha(), 2);
    QVERIFY(alphaRow >= 0);
    QString askedFor;
    ViewSeen viaAsk;
    TfrmVarkoEditOptions* ask = program->editOptions();
    TfrmView2* view = program->view();
    whenModal([&, ask, view](QWidget* modal) {
      if (modal == ask) {
        askedFor = ask->lblFilename->text();
        answerViewWindow(view, viaAsk);
        QTest::mouseClick(ask->btnViewer, Qt::LeftButton);
      }
      if (modal->isVisible()) modal->close();
    });
    doubleClickRow(w, alphaRow);
    QCOMPARE(askedFor, "Filename=" + alpha());
    QVERIFY(viaAsk.shown);
    QCOMPARE(viaAsk.title, alpha());
    QCOMPARE(viaAsk.currentLine, 2);
    QCOMPARE(viaAsk.currentText, QString("needle one"));
    QVERIFY(launches_.empty());
  }

  void first_argument_v_shows_the_test_information_before_opening() {
    guitest::writeFile(settingsFile(), "[Viewer]\r\ntxt=Viewer\r\n");
    auto program = start(u"-v");
    TfrmVarko1* w = program->main();
    QVERIFY(!control<QCheckBox>(*w, "cbxTestInfo")->isChecked());
    search(w, fixture(), "needle");
    const int row = resultRow(w, beta(), 1);
    QVERIFY(row >= 0);

    QString message;
    ViewSeen seen;
    TfrmView2* view = program->view();
    whenModal([&, view](QWidget* modal) {
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        message = box->text();
        answerViewWindow(view, seen);
        box->accept();
      } else {
        modal->close();
      }
    });
    doubleClickRow(w, row);
    QVERIFY2(message.startsWith("Ini file - opening file with\r\ninifile=" + settingsFile() + "\r\n"),
             qPrintable(message));
    QVERIFY(message.contains("Extension=txt\r\nEditCommand=Viewer"));
    QVERIFY(seen.shown);
    QCOMPARE(seen.title, beta());
  }
};

QTEST_MAIN(VarkoProgramTest)
#include "VarkoProgramTest.moc"
