#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "TfrmVarkoFolders.h"
#include "lib/IniFile.h"
#include "GuiTestSupport.h"

using namespace varko;

namespace {

using guitest::whenModal;

QStringList lines(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i)
    out << list->item(i)->text();
  return out;
}

QList<bool> ticks(const QListWidget* list) {
  QList<bool> out;
  for (int i = 0; i < list->count(); ++i)
    out << (list->item(i)->checkState() == Qt::Checked);
  return out;
}

void clickCheckBox(QListWidget* list, int row) {
  QRect r = list->visualItemRect(list->item(row));
  // The indicator sits at the start of the line, before the text.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 10, r.center().y()));
}

using guitest::grab;

}  // namespace

class TfrmVarkoFoldersTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  QString ini() const { return dir.path() + "/Varko64.INI"; }

  AdvancedList sample() {
    AdvancedList folders;
    folders.texts[0] = u"/src";
    folders.checked[0] = true;
    folders.texts[2] = u"/docs";
    folders.checked[2] = true;
    folders.texts[5] = u"/old";
    return folders;
  }

private slots:
  void cleanup() { QFile::remove(ini()); }

  void shows_all_eleven_slots_with_ticks_and_lists_the_ticked_ones() {
    TfrmVarkoFolders w(nullptr, ini());
    w.setFolders(sample(), 1);
    w.show();
    QCOMPARE(w.windowTitle(), QString("Folders - Advanced Search"));
    QCOMPARE(w.clbFolders->count(), 11);
    QCOMPARE(lines(w.clbFolders).mid(0, 6), QStringList({"/src", "", "/docs", "", "", "/old"}));
    QCOMPARE(ticks(w.clbFolders).mid(0, 6), QList<bool>({true, false, true, false, false, false}));
    QCOMPARE(w.MemoFolders->toPlainText(), QString("/src\n/docs"));
    grab(&w, "folders");
  }

  void ticking_a_line_updates_the_memo_and_the_slots() {
    TfrmVarkoFolders w(nullptr, ini());
    w.setFolders(sample(), 1);
    w.show();
    clickCheckBox(w.clbFolders, 5);
    QVERIFY(w.clbFolders->item(5)->checkState() == Qt::Checked);
    QCOMPARE(w.MemoFolders->toPlainText(), QString("/src\n/docs\n/old"));
    // From the keyboard too: Space on the current line.
    w.clbFolders->setCurrentRow(0);
    QTest::keyClick(w.clbFolders, Qt::Key_Space);
    QCOMPARE(w.MemoFolders->toPlainText(), QString("/docs\n/old"));
    // Closed with the close box: the slots keep what the clicks took.
    w.reject();
    QVERIFY(!w.folders().checked[0]);
    QVERIFY(w.folders().checked[5]);
  }

  void delete_key_empties_the_line_and_ok_takes_it() {
    TfrmVarkoFolders w(nullptr, ini());
    w.setFolders(sample(), 2);
    w.show();
    w.clbFolders->setCurrentRow(2);
    QTest::keyClick(w.clbFolders, Qt::Key_Delete);
    QCOMPARE(w.clbFolders->item(2)->text(), QString());
    QVERIFY(w.clbFolders->item(2)->checkState() == Qt::Unchecked);
    QCOMPARE(w.clbFolders->count(), 11);
    // Not taken yet: a close box now would keep the old slot.
    QCOMPARE(w.folders().texts[2], Text(u"/docs"));
    QTest::mouseClick(w.btnFinish, Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(w.folders().texts[2], Text());
    QVERIFY(!w.folders().checked[2]);
    QCOMPARE(w.folders().texts[0], Text(u"/src"));
    QCOMPARE(w.folderMode(), 2);
  }

  void double_click_picks_a_folder_for_the_current_line() {
    QTemporaryDir picked;
    QDir(picked.path()).mkdir("chosen");
    const QString chosen = picked.path() + "/chosen";
    TfrmVarkoFolders w(nullptr, ini());
    AdvancedList folders = sample();
    folders.texts[1] = picked.path().toStdU16String();
    w.setFolders(folders, 1);
    w.show();
    w.clbFolders->setCurrentRow(1);
    QString startedIn;
    whenModal([&](QWidget* modal) {
      auto* picker = qobject_cast<QFileDialog*>(modal);
      QVERIFY2(picker, modal ? modal->metaObject()->className() : "no window");
      startedIn = picker->directory().absolutePath();
      // Typed, as the list may still be loading: a selection could not be made in it yet.
      guitest::control<QLineEdit>(*picker, "fileNameEdit")->setText(chosen);
      static_cast<QDialog*>(picker)->accept();
    });
    const QRect r = w.clbFolders->visualItemRect(w.clbFolders->item(1));
    // A real double click starts with a single click.
    QTest::mouseClick(w.clbFolders->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(w.clbFolders->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(startedIn, picked.path());
    QCOMPARE(w.clbFolders->item(1)->text(), chosen);
    QTest::mouseClick(w.btnFinish, Qt::LeftButton);
    QCOMPARE(w.folders().texts[1], chosen.toStdU16String());
  }

  void cancelled_picker_changes_nothing() {
    TfrmVarkoFolders w(nullptr, ini());
    w.setFolders(sample(), 1);
    w.show();
    w.clbFolders->setCurrentRow(0);
    bool asked = false;
    whenModal([&](QWidget* modal) {
      asked = qobject_cast<QFileDialog*>(modal) != nullptr;
      static_cast<QDialog*>(modal)->reject();
    });
    // F2 is the keyboard's double click.
    QTest::keyClick(w.clbFolders, Qt::Key_F2);
    QVERIFY(asked);
    QCOMPARE(w.clbFolders->item(0)->text(), QString("/src"));
  }

  void save_writes_every_slot_and_the_folder_mode() {
    TfrmVarkoFolders w(nullptr, ini());
    w.setFolders(sample(), 2);
    w.show();
    w.clbFolders->setCurrentRow(5);
    QTest::keyClick(w.clbFolders, Qt::Key_Space);  // tick /old before saving
    QTest::mouseClick(w.btnSaveFolders, Qt::LeftButton);
    QVERIFY(w.isVisible());
    IniFile file(ini().toStdU16String());
    QCOMPARE(file.ReadString(u"Folders", u"SavedFolder0", u"?"), Text(u"/src"));
    QCOMPARE(file.ReadString(u"Folders", u"SavedFolder5", u"?"), Text(u"/old"));
    QVERIFY(file.ReadBool(u"Folders", u"SavedFolderSelected5", false));
    QVERIFY(!file.ReadBool(u"Folders", u"SavedFolderSelected1", true));
    QCOMPARE(file.ReadInteger(u"Settings", u"SimpleOrAdvancedFolders", 0), 2);
    QFile raw(ini());
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    QVERIFY(bytes.contains("SavedFolder10=\r\n"));
    QVERIFY(!bytes.contains("Filespec"));
  }

  void refused_save_shows_the_platform_error() {
    QDir(dir.path()).mkdir("locked.INI");
    const QString locked = dir.path() + "/locked.INI";
    TfrmVarkoFolders w(nullptr, locked);
    w.setFolders(sample(), 1);
    w.show();
    QString shown;
    whenModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box);
      shown = box->text();
      box->accept();
    });
    QTest::mouseClick(w.btnSaveFolders, Qt::LeftButton);
    QCOMPARE(shown, "Unable to write to " + locked);
    QVERIFY(w.isVisible());
  }

  void reset_reads_the_saved_set_again() {
    guitest::writeFile(ini(), "[Settings]\r\nSimpleOrAdvancedFolders=2\r\nSimpleOrAdvancedStrings=2\r\n"
                              "[Folders]\r\nSavedFolder3=/saved\r\nSavedFolderSelected3=1\r\n"
                              "[Filespec]\r\nSavedFilespec0=*.cpp\r\n");
    TfrmVarkoFolders w(nullptr, ini());
    w.setFolders(sample(), 1);
    w.show();
    QVERIFY(!w.reloadedSettings().has_value());
    QTest::mouseClick(w.btnReloadDefault, Qt::LeftButton);
    QCOMPARE(lines(w.clbFolders).mid(0, 4), QStringList({"", "", "", "/saved"}));
    QCOMPARE(w.clbFolders->count(), 11);
    QCOMPARE(w.MemoFolders->toPlainText(), QString("/saved"));
    QVERIFY(w.reloadedSettings().has_value());
    QCOMPARE(w.reloadedSettings()->stringMode, 2);
    QCOMPARE(w.reloadedSettings()->fileSpecs.texts[0], Text(u"*.cpp"));
    QCOMPARE(w.folderMode(), 2);
    QTest::mouseClick(w.btnFinish, Qt::LeftButton);
    QCOMPARE(w.folders().texts[3], Text(u"/saved"));
    QCOMPARE(w.folders().texts[0], Text());
    // A new showing starts without a reload.
    w.show();
    QVERIFY(!w.reloadedSettings().has_value());
  }

  void every_control_has_a_name_for_screen_readers() {
    TfrmVarkoFolders w(nullptr, ini());
    w.show();
    for (QWidget* child : w.findChildren<QWidget*>()) {
      if (!child->isVisibleTo(&w) || child->window() != &w) continue;
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
};

QTEST_MAIN(TfrmVarkoFoldersTest)
#include "TfrmVarkoFoldersTest.moc"
