// Pictures of the main window in its three run states, for people to look at: idle.png,
// running.png and finished.png in the build folder of the window tests.
#include <QTemporaryDir>
#include <QtTest>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include "GuiTestSupport.h"
#include "TfrmVarko1.h"

using namespace varko;

namespace {
class PhotographedWindow : public TfrmVarko1 {
public:
  using TfrmVarko1::TfrmVarko1;
  void runStateChanged(RunState state) override {
    TfrmVarko1::runStateChanged(state);
    if (state == kRunRunning) running = grab();
  }
  QPixmap running;
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
    w.edtFolder->setText(dir.filePath("fixture"));
    w.edtString->setText("needle");
    QVERIFY(w.grab().save("idle.png"));
    for (int page = 1; page < 4; ++page) {
      w.PageControl2->setCurrentIndex(page);
      QVERIFY(w.grab().save(QString("idle-options-%1.png").arg(page)));
    }
    w.PageControl2->setCurrentIndex(0);
    w.cbxFast->setChecked(false);
    QTest::mouseClick(w.btnGo, Qt::LeftButton);
    QVERIFY(!w.running.isNull());
    QVERIFY(w.running.save("running.png"));
    QCOMPARE(w.runState(), int(kRunFinished));
    QVERIFY(w.grab().save("finished.png"));
    w.btnFontPlus->click();
    w.btnFontPlus->click();
    w.btnFontPlus->click();
    QVERIFY(w.grab().save("finished-font12.png"));
  }
};

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
