// Pictures of the main window in its three run states, for people to look at: idle.png,
// running.png and finished.png in the build folder of the window tests. In each the window has its
// size and every control shows whole, clear of the others. With VARKO_DOCS_DIR naming a folder
// (the project's docs/), the README's pictures are written there too: the main window after a
// search and the replace results window. Under a dark desktop theme every window's texts still
// stand out from what is painted behind them (pictures "dark-*.png" with VARKO_GRAB_DIR).
#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include "GuiTestSupport.h"
#include "MatchMarks.h"
#include "TfrmFWindow.h"
#include "TfrmNORVPostcard.h"
#include "TfrmText.h"
#include "TfrmTimePicker.h"
#include "TfrmVarko1.h"
#include "TfrmVarkoEditOptions.h"
#include "TfrmVarkoFileSpec.h"
#include "TfrmVarkoFolders.h"
#include "TfrmVarkoHistory.h"
#include "TfrmVarkoReplace.h"
#include "TfrmVarkoReplaceResults.h"
#include "TfrmVarkoStrings.h"
#include "TfrmVarkoTips.h"
#include "TfrmView2.h"
#include "VarkoProgram.h"
#include "lib/Clock.h"
#include "replace/FileReplacer.h"

using namespace varko;
using guitest::control;

namespace {
// The program's own controls (named ones), not the inner parts of Qt's widgets.
bool isControl(const QObject* object) {
  auto* widget = qobject_cast<const QWidget*>(object);
  return widget && !widget->isWindow() && widget->isVisible() && !widget->objectName().isEmpty() &&
         !widget->objectName().startsWith("qt_");
}

// Every visible control lies wholly inside its parent and clear of its visible sibling controls;
// a page in a scroll area (on a small screen) may be larger than the area shows.
QStringList layoutFaults(const QWidget& window) {
  QStringList faults;
  for (const QWidget* child : window.findChildren<QWidget*>()) {
    if (!isControl(child)) continue;
    const QWidget* parent = child->parentWidget();
    const bool scrolled = qobject_cast<const QScrollArea*>(parent->parentWidget());
    if (!scrolled && !parent->rect().contains(child->geometry()))
      faults << child->objectName() + " cut off by " + parent->objectName();
    for (const QObject* other : parent->children()) {
      if (other == child) break;  // each pair once
      if (isControl(other) && static_cast<const QWidget*>(other)->geometry().intersects(child->geometry()))
        faults << child->objectName() + " over " + other->objectName();
    }
  }
  return faults;
}

// The folder the README's pictures go to; empty when not asked for.
QString docsFolder() { return QString::fromLocal8Bit(qgetenv("VARKO_DOCS_DIR")); }

// A folder of notes with the kind of lines a person searches: shown in the README's picture.
void writeNotes(const QString& folder) {
  guitest::writeFile(folder + "/todo.txt", "Buy milk\r\nFix the colour of the header\r\nCall Anna about the colour samples\r\n");
  guitest::writeFile(folder + "/src/theme.cpp",
                     "// Colours of the window\nconst Colour header = colour(0x000080);\nconst Colour border = colour(0xC0C0C0);\n"
                     "void paint() { fill(header); }\n");
  guitest::writeFile(folder + "/src/theme.h", "#pragma once\nstruct Colour { unsigned rgb; };\nColour colour(unsigned rgb);\n");
  guitest::writeFile(folder + "/readme.txt", "Nothing to see here.\r\n");
}

// Shows the changes of a file in the replace results window, photographs it, saves nothing.
class PhotographingQuestions : public ReplaceQuestions {
public:
  explicit PhotographingQuestions(TfrmVarkoReplaceResults& window) : window_(window) {}
  ConfirmAnswer confirmLine(const Text&) override { return ConfirmAnswer::Yes; }
  FileDecision decideFile(const FileChanges& changes) override {
    window_.setChanges(changes, true);
    window_.show();
    if (QTest::qWaitForWindowExposed(&window_)) {
      picture = window_.grab();
      faintTexts = guitest::faintTexts(&window_);
    }
    window_.hide();
    return FileDecision::DoNotSave;
  }
  bool confirmSaveWithoutDiffs(const Text&) override { return false; }
  void showMessage(const Text&) override {}
  QPixmap picture;
  QStringList faintTexts;

private:
  TfrmVarkoReplaceResults& window_;
};

class PhotographedWindow : public TfrmVarko1 {
public:
  using TfrmVarko1::TfrmVarko1;
  void runStateChanged(RunState state) override {
    TfrmVarko1::runStateChanged(state);
    if (state != kRunRunning) return;
    running = grab();
    runningFaults = layoutFaults(*this);
  }
  QPixmap running;
  QStringList runningFaults;
};

// The program on a fixture under a dark desktop theme (set before its windows are made, as at
// a start on a dark desktop).
class DarkProgram {
public:
  DarkProgram() : before_(QApplication::palette()) {
    QApplication::setPalette(guitest::darkPalette());
    guitest::writeFixture(fixture());
    program_ = std::make_unique<VarkoProgram>(dir_.filePath("Varko64.INI"));
    main()->hooks.launch = [](const LaunchCommand&, Text&) { return true; };
  }
  ~DarkProgram() {
    program_.reset();
    QApplication::setPalette(before_);
  }
  DarkProgram(const DarkProgram&) = delete;
  DarkProgram& operator=(const DarkProgram&) = delete;

  TfrmVarko1* main() const { return program_->main(); }
  QString fixture() const { return dir_.filePath("fixture"); }

  // A window after a search, with something in it to read; the main window before the search.
  QWidget* prepare(const QString& which) {
    main()->show();
    if (!QTest::qWaitForWindowExposed(main())) return nullptr;
    if (which.startsWith("main options")) {
      control<QTabWidget>(*main(), "PageControl2")->setCurrentIndex(which.back().digitValue());
      return main();
    }
    control<QLineEdit>(*main(), "edtFolder")->setText(fixture());
    control<QLineEdit>(*main(), "edtString")->setText("needle");
    if (which == "main") return main();
    QTest::mouseClick(control<QPushButton>(*main(), "btnGo"), Qt::LeftButton);
    if (which == "main results") return main();
    const SpanRules rules = gui::MatchRulesOf(main()->session().lineMatcher());
    const QString alpha = fixture() + "/alpha.pas";
    auto oneEntry = [](const Text& text) {
      AdvancedList list;
      list.texts[0] = text;
      list.checked[0] = true;
      return list;
    };
    if (which == "view") {
      program_->view()->setMatchRules(rules);
      program_->view()->prepare(alpha, 2, false);
      return program_->view();
    }
    if (which == "file window") {
      program_->fileWindow()->setMatchRules(rules);
      program_->fileWindow()->ToggleFileWindow(alpha, 2);
      return program_->fileWindow();
    }
    if (which == "folders") program_->folders()->setFolders(oneEntry(fixture().toStdU16String()), kAdvancedMode);
    if (which == "filespecs") program_->fileSpecs()->setFileSpecs(oneEntry(u"*.pas"), kAdvancedMode);
    if (which == "strings") program_->strings()->MemoStrings->setPlainText("needle\nhaystack");
    if (which == "history") program_->history()->lstbxHistory->addItems({"needle", "haystack"});
    if (which == "replace options") program_->replaceOptions()->grdReplace->setItem(0, 0, new QTableWidgetItem("needle"));
    if (which == "time picker") program_->timePicker()->edtHour->setText("12");
    const std::map<QString, QWidget*> others = {{"folders", program_->folders()},
                                                {"filespecs", program_->fileSpecs()},
                                                {"strings", program_->strings()},
                                                {"history", program_->history()},
                                                {"replace options", program_->replaceOptions()},
                                                {"time picker", program_->timePicker()},
                                                {"tips", program_->tips()},
                                                {"postcard", program_->postcard()},
                                                {"edit options", program_->editOptions()},
                                                {"text output", program_->textOutput()}};
    return others.at(which);
  }

private:
  QPalette before_;
  QTemporaryDir dir_;
  std::unique_ptr<VarkoProgram> program_;
};
}  // namespace

class ScreenshotTest : public QObject {
  Q_OBJECT
private slots:
  void grab_each_run_state() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    guitest::writeFixture(dir.filePath("fixture"));
    SearchInputSet inputs;
    PhotographedWindow w(inputs, dir.filePath("Varko64.INI"));
    w.hooks.launch = [](const LaunchCommand&, Text&) { return true; };
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // The designed size, on a screen that holds it (ctest gives the window tests a desktop one).
    const QSize designed(1105, 760);
    const QSize withFrame = designed + (w.frameGeometry().size() - w.size());
    if (w.screen()->availableGeometry().size().boundedTo(withFrame) == withFrame) QCOMPARE(w.size(), designed);
    const QSize shown = w.size();
    control<QLineEdit>(w, "edtFolder")->setText(dir.filePath("fixture"));
    control<QLineEdit>(w, "edtString")->setText("needle");
    QVERIFY(w.grab().save("idle.png"));
    QCOMPARE(layoutFaults(w).join("; "), QString());
    for (int page = 1; page < 4; ++page) {
      control<QTabWidget>(w, "PageControl2")->setCurrentIndex(page);
      QVERIFY(w.grab().save(QString("idle-options-%1.png").arg(page)));
      QCOMPARE(layoutFaults(w).join("; "), QString());
    }
    control<QTabWidget>(w, "PageControl2")->setCurrentIndex(0);
    control<QCheckBox>(w, "cbxFast")->setChecked(false);
    QTest::mouseClick(control<QPushButton>(w, "btnGo"), Qt::LeftButton);
    QVERIFY(!w.running.isNull());
    QVERIFY(w.running.save("running.png"));
    QCOMPARE(w.runningFaults.join("; "), QString());
    QCOMPARE(w.runState(), int(kRunFinished));
    QVERIFY(w.grab().save("finished.png"));
    QCOMPARE(layoutFaults(w).join("; "), QString());
    control<QPushButton>(w, "btnFontPlus")->click();
    control<QPushButton>(w, "btnFontPlus")->click();
    control<QPushButton>(w, "btnFontPlus")->click();
    QVERIFY(w.grab().save("finished-font12.png"));
    QCOMPARE(layoutFaults(w).join("; "), QString());
    QCOMPARE(w.size(), shown);
  }

  void every_window_reads_under_a_dark_theme_data() {
    QTest::addColumn<QString>("window");
    for (const char* window : {"main", "main options 1", "main options 2", "main options 3", "main results", "view",
                               "file window", "folders", "filespecs", "strings", "history", "replace options",
                               "time picker", "tips", "postcard", "edit options", "text output"})
      QTest::newRow(window) << QString(window);
  }

  void every_window_reads_under_a_dark_theme() {
    QFETCH(QString, window);
    DarkProgram program;
    QWidget* shown = program.prepare(window);
    QVERIFY(shown);
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    guitest::grab(shown, "dark-" + QString(window).replace(' ', '-'));
    QCOMPARE(guitest::faintTexts(shown).join("; "), QString());
  }

  void replace_results_read_under_a_dark_theme() {
    DarkProgram program;
    TfrmVarkoReplaceResults results;
    PhotographingQuestions questions(results);
    ReplaceSettings settings;
    settings.finds = {u"needle"};
    settings.replaces = {u"pin"};
    settings.ignoreCase = true;
    FakeClock clock;
    FileReplacer(settings, clock, questions).replaceFile((program.fixture() + "/alpha.pas").toStdU16String(), false);
    QVERIFY(!questions.picture.isNull());
    if (const QByteArray dir = qgetenv("VARKO_GRAB_DIR"); !dir.isEmpty())
      questions.picture.save(QString::fromLocal8Bit(dir) + "/dark-replace-results.png");
    QCOMPARE(questions.faintTexts.join("; "), QString());
  }

  void pictures_for_the_readme() {
    if (docsFolder().isEmpty()) QSKIP("VARKO_DOCS_DIR names no folder");
    QVERIFY(QDir().mkpath(docsFolder()));
    // A fixed folder, so that the pictures change only when the windows do.
    QDir dir(QDir::tempPath() + "/varko-readme");
    dir.removeRecursively();
    auto cleanup = qScopeGuard([&dir] { dir.removeRecursively(); });
    const QString notes = dir.filePath("notes");
    writeNotes(notes);

    SearchInputSet inputs;
    TfrmVarko1 w(inputs, dir.filePath("Varko64.INI"));
    w.hooks.launch = [](const LaunchCommand&, Text&) { return true; };
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    control<QLineEdit>(w, "edtFolder")->setText(notes);
    control<QCheckBox>(w, "cbxSubFolders")->setChecked(true);
    control<QLineEdit>(w, "edtString")->setText("colour");
    QTest::mouseClick(control<QPushButton>(w, "btnGo"), Qt::LeftButton);
    QCOMPARE(w.runState(), int(kRunFinished));
    QVERIFY(w.grab().save(docsFolder() + "/main-window.png"));

    TfrmVarkoReplaceResults results;
    PhotographingQuestions questions(results);
    ReplaceSettings settings;
    settings.finds = {u"colour"};
    settings.replaces = {u"color"};
    settings.ignoreCase = true;
    FakeClock clock;
    const FileReplaceResult outcome =
        FileReplacer(settings, clock, questions).replaceFile(dir.filePath("notes/todo.txt").toStdU16String(), false);
    QVERIFY(!outcome.saved);
    QVERIFY(!questions.picture.isNull());
    QVERIFY(questions.picture.save(docsFolder() + "/replace-results.png"));
  }
};

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
