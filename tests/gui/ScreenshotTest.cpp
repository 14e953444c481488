// Pictures of the main window in its three run states, for people to look at: idle.png,
// running.png and finished.png in the build folder of the window tests. In each the window has its
// size and every control shows whole, clear of the others.
#include <QTemporaryDir>
#include <QtTest>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include "GuiTestSupport.h"
#include "TfrmVarko1.h"

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
    PhotographedWindow w(dir.filePath("Varko64.INI"));
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
};

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
