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

#include "TfrmVarkoFileSpec.h"
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

class TfrmVarkoFileSpecTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  QString ini() const { return dir.path() + "/Varko64.INI"; }

  static AdvancedList specs(std::initializer_list<std::pair<const char16_t*, bool>> entries) {
    AdvancedList list;
    size_t i = 0;
    for (auto [text, checked] : entries) {
      list.texts[i] = text;
      list.checked[i] = checked;
      ++i;
    }
    return list;
  }

private slots:
  void cleanup() { QFile::remove(ini()); }

  void shows_only_the_filled_slots_and_all_files_alone() {
    TfrmVarkoFileSpec w(nullptr, ini());
    w.setFileSpecs(specs({{u"*.*", true}, {u"", false}, {u"*.txt", true}}), 2);
    w.show();
    QCOMPARE(w.windowTitle(), QString("Filespec - Advanced  Search"));
    QCOMPARE(lines(w.clbFilespec), QStringList({"*.*", "*.txt"}));
    QCOMPARE(ticks(w.clbFilespec), QList<bool>({true, true}));
    // With *.* ticked the others are ignored.
    QCOMPARE(w.memoFileSpec->toPlainText(), QString("*.*"));
    clickCheckBox(w.clbFilespec, 0);
    QCOMPARE(w.memoFileSpec->toPlainText(), QString("*.txt"));
    grab(&w, "filespec");
  }

  void empty_first_slot_shows_as_all_files() {
    TfrmVarkoFileSpec w(nullptr, ini());
    w.setFileSpecs(specs({{u"", false}, {u"  *.h  ", true}}), 1);
    w.show();
    QCOMPARE(lines(w.clbFilespec), QStringList({"*.*", "*.h"}));
    QCOMPARE(ticks(w.clbFilespec), QList<bool>({false, true}));
    QCOMPARE(w.memoFileSpec->toPlainText(), QString("*.h"));
    QCOMPARE(w.fileSpecs().texts[0], Text(u"*.*"));
    QCOMPARE(w.fileSpecs().texts[1], Text(u"*.h"));  // taken trimmed
  }

  void deleted_filespec_closes_up_without_coming_back() {
    TfrmVarkoFileSpec w(nullptr, ini());
    w.setFileSpecs(specs({{u"*.*", false}, {u"*.cpp", true}, {u"*.h", true}}), 2);
    w.show();
    w.clbFilespec->setCurrentRow(1);
    QTest::keyClick(w.clbFilespec, Qt::Key_Delete);
    QCOMPARE(lines(w.clbFilespec), QStringList({"*.*", "", "*.h"}));
    QCOMPARE(ticks(w.clbFilespec), QList<bool>({false, false, true}));
    QTest::mouseClick(w.btnFinish, Qt::LeftButton);
    QCOMPARE(w.memoFileSpec->toPlainText(), QString("*.h"));
    // Shown again: the empty line is gone and the list closes up.
    w.show();
    QCOMPARE(lines(w.clbFilespec), QStringList({"*.*", "*.h"}));
    QTest::mouseClick(w.btnFinish, Qt::LeftButton);
    QCOMPARE(w.fileSpecs().texts[1], Text(u"*.h"));
    QVERIFY(w.fileSpecs().checked[1]);
    // The slot *.h came from is emptied, not left as a second *.h.
    QCOMPARE(w.fileSpecs().texts[2], Text());
    QVERIFY(!w.fileSpecs().checked[2]);
    w.show();
    QCOMPARE(lines(w.clbFilespec), QStringList({"*.*", "*.h"}));
  }

  void add_fills_the_first_empty_line_then_appends() {
    TfrmVarkoFileSpec w(nullptr, ini());
    w.setFileSpecs(specs({{u"*.*", false}, {u"*.cpp", true}, {u"*.h", false}}), 1);
    w.show();
    w.clbFilespec->setCurrentRow(1);
    QTest::keyClick(w.clbFilespec, Qt::Key_Delete);
    QTest::keyClicks(w.edtFilespec, "*.TXT ");
    QTest::mouseClick(w.btnAdd, Qt::LeftButton);
    QCOMPARE(lines(w.clbFilespec), QStringList({"*.*", "*.TXT ", "*.h"}));
    w.edtFilespec->clear();
    // Enter in the add box adds; it does not close the window.
    QTest::keyClicks(w.edtFilespec, "*.md");
    QTest::keyClick(w.edtFilespec, Qt::Key_Return);
    QVERIFY(w.isVisible());
    QCOMPARE(lines(w.clbFilespec), QStringList({"*.*", "*.TXT ", "*.h", "*.md"}));
    // Nothing typed: nothing added.
    w.edtFilespec->setText("   ");
    QTest::mouseClick(w.btnAdd, Qt::LeftButton);
    QCOMPARE(w.clbFilespec->count(), 4);
    // The memo follows at the next click.
    clickCheckBox(w.clbFilespec, 3);
    QCOMPARE(w.memoFileSpec->toPlainText(), QString("*.md"));
    QTest::mouseClick(w.btnFinish, Qt::LeftButton);
    QCOMPARE(w.fileSpecs().texts[1], Text(u"*.TXT "));
    QCOMPARE(w.fileSpecs().texts[3], Text(u"*.md"));
    QVERIFY(w.fileSpecs().checked[3]);
  }

  void add_refuses_a_twelfth_filespec() {
    AdvancedList full;
    for (int i = 0; i < kAdvancedSlots; ++i)
      full.texts[size_t(i)] = u"*.x" + intToText(i);
    TfrmVarkoFileSpec w(nullptr, ini());
    w.setFileSpecs(full, 1);
    w.show();
    QCOMPARE(w.clbFilespec->count(), 11);
    QString shown;
    whenModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box);
      shown = box->text();
      box->accept();
    });
    w.edtFilespec->setText("*.more");
    QTest::mouseClick(w.btnAdd, Qt::LeftButton);
    QVERIFY2(shown.contains("*.more"), qPrintable(shown));
    QCOMPARE(w.clbFilespec->count(), 11);
    // After a DEL there is room again.
    w.clbFilespec->setCurrentRow(4);
    QTest::keyClick(w.clbFilespec, Qt::Key_Delete);
    QTest::mouseClick(w.btnAdd, Qt::LeftButton);
    QCOMPARE(w.clbFilespec->item(4)->text(), QString("*.more"));
  }

  void save_writes_the_filespec_set_and_mode() {
    TfrmVarkoFileSpec w(nullptr, ini());
    w.setFileSpecs(specs({{u"*.*", false}, {u"", false}, {u"*.pas", true}}), 2);
    w.show();
    QTest::mouseClick(w.btnSaveFilespec, Qt::LeftButton);
    QFile raw(ini());
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    QVERIFY(bytes.contains("[Filespec]\r\nSavedFilespec0=*.*\r\nSavedFilespecSelected0=0\r\n"
                           "SavedFilespec1=*.pas\r\nSavedFilespecSelected1=1\r\n"
                           "SavedFilespec2=\r\n"));
    QVERIFY(bytes.contains("SimpleOrAdvancedFilespec=2"));
    QVERIFY(!bytes.contains("SavedFolder"));
    SavedSettings read = LoadSavedSettings(ini().toStdU16String());
    QCOMPARE(read.fileSpecMode, 2);
    QCOMPARE(read.fileSpecs.texts[1], Text(u"*.pas"));
  }

  void refused_save_shows_the_platform_error() {
    QDir(dir.path()).mkdir("locked.INI");
    const QString locked = dir.path() + "/locked.INI";
    TfrmVarkoFileSpec w(nullptr, locked);
    w.show();
    QString shown;
    whenModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box);
      shown = box->text();
      box->accept();
    });
    QTest::mouseClick(w.btnSaveFilespec, Qt::LeftButton);
    QCOMPARE(shown, "Unable to write to " + locked);
  }

  void reset_reads_the_saved_set_again() {
    guitest::writeFile(ini(), "[settings]\r\nsimpleoradvancedfilespec=2\r\n"
                              "[Filespec]\r\nSavedFilespec0=*.pas\r\nSavedFilespecSelected0=1\r\n"
                              "SavedFilespec4=*.inc\r\n[Folders]\r\nSavedFolder0=/src\r\n");
    TfrmVarkoFileSpec w(nullptr, ini());
    w.setFileSpecs(specs({{u"*.txt", true}}), 1);
    w.show();
    QTest::mouseClick(w.btnReloadDefault, Qt::LeftButton);
    QCOMPARE(lines(w.clbFilespec), QStringList({"*.pas", "*.inc"}));
    QCOMPARE(ticks(w.clbFilespec), QList<bool>({true, false}));
    QCOMPARE(w.memoFileSpec->toPlainText(), QString("*.pas"));
    QCOMPARE(w.fileSpecMode(), 2);
    QVERIFY(w.reloadedSettings().has_value());
    QCOMPARE(w.reloadedSettings()->folders.texts[0], Text(u"/src"));
  }

  void every_control_has_a_name_for_screen_readers() {
    TfrmVarkoFileSpec w(nullptr, ini());
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

QTEST_MAIN(TfrmVarkoFileSpecTest)
#include "TfrmVarkoFileSpecTest.moc"
