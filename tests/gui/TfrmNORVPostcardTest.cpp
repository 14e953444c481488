#include <QAccessible>
#include <QApplication>
#include <QDir>
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
#include <QUrl>

#include "TfrmNORVPostcard.h"
#include "lib/IniFile.h"
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

class TfrmNORVPostcardTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  QString ini() const { return dir.path() + "/Varko64.INI"; }
  UrlCatcher mail;

  void writeCount(int count) {
    IniFile(ini().toStdU16String()).WriteInteger(u"Varko64", u"NORVPostcardnum1", count);
  }

private slots:
  void init() {
    setExePathForTesting((dir.path() + "/Varko64").toStdU16String());
    QDesktopServices::setUrlHandler("mailto", &mail, "open");
    mail.urls.clear();
  }
  void cleanup() {
    QDesktopServices::unsetUrlHandler("mailto");
    setExePathForTesting(Text());
    QFile::remove(ini());
    QFile::remove(dir.path() + "/NORVrun.log");
  }

  void shows_itself_at_the_tenth_and_every_hundredth_use() {
    TfrmNORVPostcard w;
    QList<int> shownAt;
    QString label;
    auto use = [&] {
      QObject thisUse;  // most uses show nothing: the answer goes with the use
      whenModal(
          [&](QWidget* modal) {
            if (modal != &w) return;
            label = w.lblProgramName->text();
            QTest::mouseClick(w.btnNotNow, Qt::LeftButton);
          },
          &thisUse);
      const int count = w.RecordUse(ini(), "Varko64 - Tessel");
      if (!label.isEmpty()) shownAt << count;
      label.clear();
    };
    for (int i = 0; i < 11; ++i)
      use();
    writeCount(98);
    for (int i = 0; i < 3; ++i)
      use();
    writeCount(199);
    use();
    QCOMPARE(shownAt, QList<int>({10, 100, 200}));
    QCOMPARE(IniFile(ini().toStdU16String()).ReadInteger(u"Varko64", u"NORVPostcardnum1", 0), 200);
    QVERIFY(mail.urls.isEmpty());
  }

  void send_email_hands_the_postcard_to_the_mail_program_and_logs_it() {
    writeCount(9);
    TfrmNORVPostcard w;
    QString shownName;
    whenModal([&](QWidget* modal) {
      QCOMPARE(modal, &w);
      shownName = w.lblProgramName->text();
      grab(&w, "postcard");
      QTest::mouseClick(w.btnSendEmail, Qt::LeftButton);
    });
    QCOMPARE(w.RecordUse(ini(), "Varko64 - Tessel"), 10);
    QCOMPARE(shownName, QString("Varko64 - Tessel"));
    QVERIFY(!w.isVisible());
    const QString link =
        "mailto:feedback@varko.example.org?Subject=NORV - I have been using Varko64 - Tessel"
        "&Body=Send feedback - what you like (and what could be improved)."
        "%0d%0a%0d%0aA nice picture from somewhere around where you live would be wonderful!";
    QCOMPARE(mail.urls.size(), 1);
    QCOMPARE(mail.urls.first(), QUrl(link, QUrl::TolerantMode));
    QCOMPARE(mail.urls.first().path(), QString("feedback@varko.example.org"));
    QFile log(dir.path() + "/NORVrun.log");
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY2(log.readAll().contains((" Varko64 " + link + "\r\n").toUtf8()), "log entry");
  }

  void contact_shows_the_window_directly_and_not_now_sends_nothing() {
    TfrmNORVPostcard w;
    QCOMPARE(w.windowTitle(), QString("NORV Postcard"));
    QCOMPARE(w.lblProgramName->text(), QString("Program name"));
    QCOMPARE(w.btnSendEmail->text(), QString("      Send Email"));
    whenModal([&](QWidget*) { QTest::mouseClick(w.btnNotNow, Qt::LeftButton); });
    w.exec();
    QVERIFY(mail.urls.isEmpty());
    QVERIFY(!QFile::exists(ini()));  // showing it directly counts nothing
  }

  void refused_counter_write_shows_the_platform_error() {
    QDir(dir.path()).mkdir("locked.INI");
    const QString locked = dir.path() + "/locked.INI";
    TfrmNORVPostcard w;
    QString shown;
    whenModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box);
      shown = box->text();
      box->accept();
    });
    QCOMPARE(w.RecordUse(locked, "x"), 0);
    QCOMPARE(shown, "Unable to write to " + locked);
  }

  void help_link_opens_the_help_page() {
    UrlCatcher web;
    QDesktopServices::setUrlHandler("https", &web, "open");
    TfrmNORVPostcard w;
    w.show();
    QTest::mouseClick(w.Label2, Qt::LeftButton, {}, QPoint(20, w.Label2->height() / 2));
    QDesktopServices::unsetUrlHandler("https");
    QCOMPARE(web.urls, QList<QUrl>({QUrl("https://varko.example.org/help/")}));
  }

  void every_control_has_a_name_for_screen_readers() {
    TfrmNORVPostcard w;
    w.show();
    checkScreenReaderNames(&w);
  }
};

QTEST_MAIN(TfrmNORVPostcardTest)
#include "TfrmNORVPostcardTest.moc"
