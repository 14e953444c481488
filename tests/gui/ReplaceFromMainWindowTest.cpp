// A whole replace run as a user makes it from the main window: "Replace", the options window,
// the warning, the results window, saving, and what is then on disk and on the status line.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "GuiTestSupport.h"
#include "TfrmVarko1.h"
#include "TfrmVarkoReplace.h"
#include "TfrmVarkoReplaceResults.h"
#include "VarkoProgram.h"
#include "lib/Library.h"

using namespace varko;
using guitest::control;

namespace {

// Acts on the first modal window that satisfies wanted, leaving others up (the options window is
// still modal for a moment after its own box closes). Fails the test after about ten seconds.
void whenModalIs(std::function<bool(QWidget*)> wanted, std::function<void(QWidget*)> act, QObject* owner) {
  auto* timer = new QTimer(owner);
  auto attempts = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [=] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || !wanted(modal)) {
      if (++*attempts < 2000) return;
      timer->stop();
      timer->deleteLater();
      QTest::qFail("the expected window never came up", __FILE__, __LINE__);
      return;
    }
    timer->stop();
    timer->deleteLater();
    act(modal);
  });
  timer->start(5);
}

bool isBox(QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; }

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class ReplaceFromMainWindowTest : public QObject {
  Q_OBJECT
private slots:
  void replace_run_saves_with_backup_archive_and_shows_the_replaced_count() {
    QTemporaryDir exeDir, files;
    setExePathForTesting((exeDir.path() + "/Varko64").toStdU16String());
    guitest::writeFile(files.path() + "/a.txt", "the cat sat\r\nno match\r\n");
    guitest::writeFile(files.path() + "/b.txt", "nothing here\n");

    QObject answers;
    VarkoProgram program(exeDir.path() + "/Varko64.INI");
    TfrmVarko1* w = program.main();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    control<QLineEdit>(*w, "edtFolder")->setText(files.path());
    program.inputs().strings.find(1) = u"cat";
    program.inputs().strings.replace(1) = u"dog";
    program.inputs().strings.count = 1;
    control<QCheckBox>(*w, "cbxEnableReplace")->setChecked(true);

    QStringList seen;
    TfrmVarkoReplace* options = program.replaceOptions();
    whenModalIs([options](QWidget* m) { return m == options; }, [&](QWidget*) {
      control<QCheckBox>(*options, "cbxDoReplace")->setChecked(true);
      control<QCheckBox>(*options, "cbxQueryLine")->setChecked(false);
      whenModalIs(isBox, [&](QWidget* box) {  // "Warning - Multi replace is a new feature ..."
        seen << static_cast<QMessageBox*>(box)->text();
        static_cast<QMessageBox*>(box)->accept();
        TfrmVarkoReplaceResults* results = program.replaceResults();
        whenModalIs([results](QWidget* m) { return m == results; }, [&, results](QWidget*) {
          seen << control<QLabel>(*results, "lblFilename")->text();
          whenModalIs(isBox, [&](QWidget* question) {  // "Diffs have NOT been shown ..."
            seen << static_cast<QMessageBox*>(question)->text();
            whenModalIs(isBox, [&](QWidget* saved) {  // "Changes saved to ..."
              seen << static_cast<QMessageBox*>(saved)->text();
              static_cast<QMessageBox*>(saved)->accept();
            }, &answers);
            QTest::mouseClick(static_cast<QMessageBox*>(question)->button(QMessageBox::Yes), Qt::LeftButton);
          }, &answers);
          QTest::mouseClick(control<QPushButton>(*results, "btnSaveFile"), Qt::LeftButton);
        }, &answers);
      }, &answers);
      QTest::mouseClick(control<QPushButton>(*options, "btnReplace"), Qt::LeftButton);
    }, &answers);
    QTest::mouseClick(control<QPushButton>(*w, "btnReplace"), Qt::LeftButton);

    QTRY_COMPARE(w->runState(), int(kRunFinished));
    QCOMPARE(seen.size(), 4);
    QVERIFY(seen[0].startsWith("Warning - Multi replace is a new feature, use with care"));
    QCOMPARE(seen[1], files.path() + "/a.txt");
    QVERIFY(seen[2].startsWith("Diffs have NOT been shown for this file"));
    QVERIFY(seen[3].startsWith("Changes saved to " + files.path() + "/a.txt"));

    QCOMPARE(readAll(files.path() + "/a.txt"), QByteArray("the dog sat\r\nno match\r\n"));
    QCOMPARE(readAll(files.path() + "/b.txt"), QByteArray("nothing here\n"));
    const QStringList backups = QDir(files.path()).entryList({"a-VarkoSearchReplace-*-bak.txt"});
    QCOMPARE(backups.size(), 1);
    QCOMPARE(readAll(files.path() + "/" + backups[0]), QByteArray("the cat sat\r\nno match\r\n"));
    QVERIFY(readAll(exeDir.path() + "/VarkoSearchReplaceArchive.varc").contains("Changes=1"));
    QVERIFY(QFileInfo::exists(files.path() + "/Varko-SearchReplace.log"));
    QCOMPARE(control<QLabel>(*w, "lblProgress2")->text(), QString(" Replaced=1"));
    setExePathForTesting(Text());
  }
};

QTEST_MAIN(ReplaceFromMainWindowTest)
#include "ReplaceFromMainWindowTest.moc"
