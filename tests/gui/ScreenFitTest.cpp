// The windows designed larger than a small screen: at their designed size where the screen holds
// it, shrunk into the screen's work area where it does not, and every control reachable either
// way (in the window, or in a scroll area that scrolls to it). ctest runs this on a desktop screen
// and on a 1024 x 600 one (screens/*.json); with VARKO_GRAB_DIR each window's picture is saved as
// fit-<window>-<screen>.png.
#include <QAbstractSpinBox>
#include <QCalendarWidget>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "GuiTestSupport.h"
#include "ScreenFit.h"
#include "TfrmVarko1.h"
#include "TfrmVarkoFileSpec.h"
#include "TfrmVarkoFolders.h"
#include "TfrmVarkoReplace.h"
#include "TfrmVarkoStrings.h"
#include "TfrmVarkoTips.h"
#include "TfrmView2.h"
#include "VarkoProgram.h"

using namespace varko;

namespace {

// The least size a window's layout may ask for: a 1024 x 600 screen less a frame and a panel.
constexpr QSize kSmallScreenRoom(1000, 560);

// Something a user reads or works: not the inner parts of Qt's own composite widgets.
bool isControl(const QWidget* w) {
  if (w->objectName().startsWith("qt_")) return false;
  for (const QWidget* p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget())
    if (qobject_cast<const QAbstractItemView*>(p) || qobject_cast<const QComboBox*>(p) ||
        qobject_cast<const QAbstractSpinBox*>(p) || qobject_cast<const QCalendarWidget*>(p) ||
        qobject_cast<const QPlainTextEdit*>(p))
      return false;
  if (auto* label = qobject_cast<const QLabel*>(w)) return !label->text().isEmpty() || label->pixmap().width() > 0;
  return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
         qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
         qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QTabBar*>(w);
}

// The visible controls of the window as it is now that no scrolling brings into view whole.
QStringList unreachableHere(QWidget& window) {
  QStringList faults;
  for (QWidget* w : window.findChildren<QWidget*>()) {
    if (!w->isVisible() || w->window() != &window || !isControl(w)) continue;
    for (QWidget* p = w->parentWidget(); p && p != &window; p = p->parentWidget())
      if (auto* area = qobject_cast<QScrollArea*>(p)) area->ensureWidgetVisible(w, 0, 0);
    if (guitest::shownRect(w, &window) == QRect(w->mapTo(&window, QPoint(0, 0)), w->size())) continue;
    const QString name = w->objectName().isEmpty() ? w->accessibleName() : w->objectName();
    faults << QString("%1 %2").arg(w->metaObject()->className(), name);
  }
  return faults;
}

// The same on every page of every tab control of the window.
QStringList unreachableControls(QWidget& window) {
  QStringList faults = unreachableHere(window);
  for (QTabWidget* tabs : window.findChildren<QTabWidget*>()) {
    const int shown = tabs->currentIndex();
    for (int page = 0; page < tabs->count(); ++page) {
      tabs->setCurrentIndex(page);
      for (const QString& fault : unreachableHere(window))
        faults << QString("%1 (%2 page %3)").arg(fault, tabs->objectName()).arg(page);
    }
    tabs->setCurrentIndex(shown);
  }
  return faults;
}

// The frame as the platform drew it around the shown window.
QMargins frameOf(const QWidget& w) {
  const QRect outside = w.frameGeometry();
  const QRect inside = w.geometry();
  return {inside.left() - outside.left(), inside.top() - outside.top(), outside.right() - inside.right(),
          outside.bottom() - inside.bottom()};
}

}  // namespace

class ScreenFitTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;

private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    guitest::writeFixture(dir_.filePath("fixture"));
  }

  void fitted_geometry_data() {
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QRect>("workArea");
    QTest::addColumn<QRect>("fitted");
    const QRect desktop(0, 0, 1920, 1080);
    const QRect netbook(0, 0, 1024, 600);
    QTest::newRow("fits: kept where it is") << QRect(100, 100, 1105, 760) << QSize(1105, 0) << desktop
                                            << QRect(100, 100, 1105, 760);
    QTest::newRow("too wide and too tall: the room inside the frame")
        << QRect(0, 0, 1105, 760) << QSize(700, 400) << netbook << QRect(4, 30, 1016, 566);
    QTest::newRow("too tall only: width kept, moved up") << QRect(10, 200, 900, 707) << QSize(0, 0) << netbook
                                                         << QRect(10, 30, 900, 566);
    QTest::newRow("fits but hangs off the right: moved in") << QRect(900, 50, 500, 300) << QSize(0, 0) << netbook
                                                            << QRect(520, 50, 500, 300);
    QTest::newRow("a minimum larger than the room wins") << QRect(0, 0, 1105, 760) << QSize(1105, 391) << netbook
                                                         << QRect(4, 30, 1105, 566);
    QTest::newRow("a panel on top: below it") << QRect(0, 0, 800, 500) << QSize(0, 0) << QRect(0, 32, 1024, 568)
                                              << QRect(4, 62, 800, 500);
  }

  void fitted_geometry() {
    QFETCH(QRect, geometry);
    QFETCH(QSize, minimum);
    QFETCH(QRect, workArea);
    QFETCH(QRect, fitted);
    QCOMPARE(gui::fittedGeometry(geometry, minimum, QMargins(4, 30, 4, 4), workArea), fitted);
  }

  void each_large_window_fits_the_screen_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QSize>("designed");  // height 0: the window takes the work area's height
    QTest::newRow("main") << "main" << QSize(1105, 760);
    QTest::newRow("folders") << "folders" << QSize(1057, 528);
    QTest::newRow("filespecs") << "filespecs" << QSize(984, 565);
    QTest::newRow("strings") << "strings" << QSize(762, 602);
    QTest::newRow("tips") << "tips" << QSize(956, 691);
    QTest::newRow("replace options") << "replace options" << QSize(1001, 707);
    QTest::newRow("view") << "view" << QSize(1100, 0);
  }

  void each_large_window_fits_the_screen() {
    QFETCH(QString, window);
    QFETCH(QSize, designed);
    VarkoProgram program(dir_.filePath("Varko64.INI"));
    program.main()->show();
    QVERIFY(QTest::qWaitForWindowExposed(program.main()));
    const std::map<QString, QWidget*> windows = {
        {"main", program.main()},          {"folders", program.folders()}, {"filespecs", program.fileSpecs()},
        {"strings", program.strings()},    {"tips", program.tips()},       {"replace options", program.replaceOptions()},
        {"view", program.view()}};
    QWidget* w = windows.at(window);
    if (w == program.view()) program.view()->prepare(dir_.filePath("fixture/alpha.pas"), 2, false);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));

    const QRect workArea = w->screen()->availableGeometry();
    guitest::grab(w, QString("fit-%1-%2x%3").arg(QString(window).replace(' ', '-')).arg(workArea.width()).arg(workArea.height()));
    const QMargins frame = frameOf(*w);
    const QSize room = workArea.marginsRemoved(frame).size();
    const QSize least = w->minimumSizeHint();
    // Wholly on the screen, wherever the layout lets it be.
    if (room.boundedTo(least) == least) {
      const QRect outside = w->frameGeometry();
      QVERIFY2(workArea.contains(outside), qPrintable(QString("%1x%2 at %3,%4").arg(outside.width()).arg(outside.height())
                                                          .arg(outside.x()).arg(outside.y())));
    }
    if (designed.width() <= room.width()) QCOMPARE(w->width(), designed.width());
    if (designed.height() > 0 && designed.height() <= room.height()) QCOMPARE(w->height(), designed.height());
    QCOMPARE(unreachableControls(*w).join("; "), QString());

    // Its layout asks for no more than a small screen has, and works at that least size too.
    QVERIFY2(least.width() <= kSmallScreenRoom.width() && least.height() <= kSmallScreenRoom.height(),
             qPrintable(QString("%1x%2").arg(least.width()).arg(least.height())));
    w->setMinimumSize(least);
    w->resize(least);
    QCOMPARE(unreachableControls(*w).join("; "), QString());
  }
};

QTEST_MAIN(ScreenFitTest)
#include "ScreenFitTest.moc"
