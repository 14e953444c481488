#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <QDesktopServices>
#include <QTabWidget>
#include <QUrl>

#include "TfrmVarkoTips.h"
#include "lib/Library.h"
#include "GuiTestSupport.h"

using namespace varko;

namespace {

using guitest::whenModal;

using guitest::grab;


void checkScreenReaderNames(QWidget* w) {
  for (QWidget* child : w->findChildren<QWidget*>()) {
    if (!child->isVisibleTo(w) || child->window() != w) continue;
    if (auto* label = qobject_cast<QLabel*>(child)) {
      QVERIFY2(label->accessibleName().isEmpty(), qPrintable(label->text()));
      continue;
    }
    if (!(child->focusPolicy() & Qt::TabFocus)) continue;
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(child);
    QVERIFY(face);
    QVERIFY2(!face->text(QAccessible::Name).trimmed().isEmpty(),
             qPrintable(child->metaObject()->className()));
  }
}

}  // namespace

class UrlCatcher : public QObject {
  Q_OBJECT
public:
  QList<QUrl> urls;
public slots:
  void open(const QUrl& url) { urls << url; }
};

class TfrmVarkoTipsTest : public QObject {
  Q_OBJECT

private slots:
  void opens_modally_on_the_page_asked_for_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("title");
    QTest::newRow("general") << 0 << "General tips";
    QTest::newRow("advanced") << 1 << "Advanced";
    QTest::newRow("settings") << 2 << "Settings";
  }
  void opens_modally_on_the_page_asked_for() {
    QFETCH(int, page);
    QFETCH(QString, title);
    TfrmVarkoTips w;
    int shownPage = -1;
    QString shownTitle;
    whenModal([&](QWidget* modal) {
      QCOMPARE(modal, &w);
      shownPage = w.pcTips->currentIndex();
      shownTitle = w.pcTips->tabText(shownPage);
      grab(&w, "tips-" + QString::number(shownPage));
      QTest::mouseClick(w.btnOK, Qt::LeftButton);
    });
    w.showPage(page);
    QCOMPARE(shownPage, page);
    QCOMPARE(shownTitle, title);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.windowTitle(), QString("Varko Tips"));
  }

  void pages_carry_their_tips() {
    TfrmVarkoTips w;
    QStringList general;
    for (QLabel* label : w.pcTips->widget(0)->findChildren<QLabel*>())
      general << label->text();
    QCOMPARE(general.first(), QString("Tips when viewing search results"));
    QVERIFY(general.contains("CTRL+N=Next File    CTRL+P=Previous File"));
    QCOMPARE(general.last(),
             QString("Limitations - earlier versions search ANSI text files only - not Unicode"));
    QVERIFY(w.memoAdvanced->isReadOnly() && w.memoSettings->isReadOnly());
    const QString advanced = w.memoAdvanced->toPlainText();
    for (const char* part : {"10 folders", "*.pas", "*.dfm", "*.inc", "200 strings",
                             "Select Advanced option next to each to turn desired feature on"})
      QVERIFY2(advanced.contains(part), part);
    const QString settings = w.memoSettings->toPlainText();
    for (const char* part : {"Varko64.INI", "[Viewer]", "LOG=Notepad", "DAT=Windows", "OLD=ASK",
                             "[Settings]", "EditFile=", "DifferencesViewer=", "Notepad++"})
      QVERIFY2(settings.contains(part), part);
  }

  void program_line_names_the_executable_and_version() {
    QTemporaryDir dir;
    guitest::writeFile(dir.path() + "/Varko64", "12345");
    setExePathForTesting((dir.path() + "/Varko64").toStdU16String());
    TfrmVarkoTips w;
    w.show();
    setExePathForTesting(Text());
    const QString info = w.lblProgramInfo->text();
    QVERIFY2(info.startsWith("Program: " + dir.path() + "/Varko64  Tessel v7.25.7.28  "),
             qPrintable(info));
    QVERIFY2(info.endsWith("size=5"), qPrintable(info));
    QVERIFY(!w.lblCompilerInfo->text().isEmpty());
  }

  void help_link_opens_the_help_page() {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    TfrmVarkoTips w;
    w.show();
    QLabel* link = w.lblOnlineHelp;
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(20, link->height() / 2));
    QDesktopServices::unsetUrlHandler("https");
    QCOMPARE(catcher.urls, QList<QUrl>({QUrl("https://varko.example.org/help/tips.html")}));
  }

  void every_control_has_a_name_for_screen_readers() {
    TfrmVarkoTips w;
    w.show();
    checkScreenReaderNames(&w);
  }
};

QTEST_MAIN(TfrmVarkoTipsTest)
#include "TfrmVarkoTipsTest.moc"
