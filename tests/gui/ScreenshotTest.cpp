// Pictures of the main window in its three run states, for people to look at: idle.png,
// running.png and finished.png in the build folder of the window tests. In each the window has its
// size and every control shows whole, clear of the others. With VARKO_DOCS_DIR naming a folder
// (the project's docs/), the README's pictures are written there too: the main window after a
// search and the replace results window.
#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include "GuiTestSupport.h"
#include "TfrmVarko1.h"
#include "TfrmVarkoReplaceResults.h"
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

// Every visible control lies wholly inside its parent and clear of its visible sibling controls.
QStringList layoutFaults(const QWidget& window) {
  QStringList faults;
  for (const QWidget* child : window.findChildren<QWidget*>()) {
    if (!isControl(child)) continue;
    const QWidget* parent = child->parentWidget();
    if (!parent->rect().contains(child->geometry()))
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
    if (QTest::qWaitForWindowExposed(&window_)) picture = window_.grab();
    window_.hide();
    return FileDecision::DoNotSave;
  }
  bool confirmSaveWithoutDiffs(const Text&) override { return false; }
  void showMessage(const Text&) override {}
  QPixmap picture;

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
    QCOMPARE(w.size(), QSize(1105, 760));
    control<QLineEdit>(w, "edtFolder")->setText(dir.filePath("fixture"));
    control<QLineEdit>(w, "edtString")->setText("needle");
    QVERIFY(w.grab().save("idle.png"));
    QCOMPARE(layoutFaults(w), QStringList());
    for (int page = 1; page < 4; ++page) {
      control<QTabWidget>(w, "PageControl2")->setCurrentIndex(page);
      QVERIFY(w.grab().save(QString("idle-options-%1.png").arg(page)));
      QCOMPARE(layoutFaults(w), QStringList());
    }
    control<QTabWidget>(w, "PageControl2")->setCurrentIndex(0);
    control<QCheckBox>(w, "cbxFast")->setChecked(false);
    QTest::mouseClick(control<QPushButton>(w, "btnGo"), Qt::LeftButton);
    QVERIFY(!w.running.isNull());
    QVERIFY(w.running.save("running.png"));
    QCOMPARE(w.runningFaults, QStringList());
    QCOMPARE(w.runState(), int(kRunFinished));
    QVERIFY(w.grab().save("finished.png"));
    QCOMPARE(layoutFaults(w), QStringList());
    control<QPushButton>(w, "btnFontPlus")->click();
    control<QPushButton>(w, "btnFontPlus")->click();
    control<QPushButton>(w, "btnFontPlus")->click();
    QVERIFY(w.grab().save("finished-font12.png"));
    QCOMPARE(layoutFaults(w), QStringList());
    QCOMPARE(w.size(), QSize(1105, 760));
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
