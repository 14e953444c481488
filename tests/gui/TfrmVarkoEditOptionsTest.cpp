#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "TfrmVarkoEditOptions.h"
#include "GuiTestSupport.h"

namespace {

using guitest::whenModal;

using guitest::grab;

}  // namespace

class TfrmVarkoEditOptionsTest : public QObject {
  Q_OBJECT

  QString askAndPress(TfrmVarkoEditOptions& w, QPushButton* button, QString* labels = nullptr) {
    whenModal([&](QWidget* modal) {
      QCOMPARE(modal, &w);
      if (labels) *labels = w.lblExt->text() + "|" + w.lblFilename->text();
      grab(&w, "edit-options");
      if (button)
        QTest::mouseClick(button, Qt::LeftButton);
      else
        w.close();
    });
    return w.ask("/src/unit1.pas", "pas");
  }

private slots:
  void each_button_answers_and_closes() {
    TfrmVarkoEditOptions w;
    QString labels;
    QCOMPARE(askAndPress(w, w.btnWindows, &labels), QString("Windows"));
    QCOMPARE(labels, QString("Extension=pas|Filename=/src/unit1.pas"));
    QCOMPARE(askAndPress(w, w.btnNotepad), QString("Notepad.exe"));
    QCOMPARE(askAndPress(w, w.btnViewer), QString("Viewer"));
    QVERIFY(!w.isVisible());
  }

  void closing_without_a_button_keeps_the_previous_answer() {
    TfrmVarkoEditOptions w;
    QCOMPARE(askAndPress(w, nullptr), QString());
    QCOMPARE(askAndPress(w, w.btnViewer), QString("Viewer"));
    QCOMPARE(askAndPress(w, nullptr), QString("Viewer"));
  }

  void buttons_are_found_by_caption_and_labels_keep_their_text() {
    TfrmVarkoEditOptions w;
    w.show();
    for (QPushButton* b : {w.btnWindows, w.btnNotepad, w.btnViewer}) {
      QAccessibleInterface* face = QAccessible::queryAccessibleInterface(b);
      QCOMPARE(face->text(QAccessible::Name), b->text());
    }
    for (QLabel* l : w.findChildren<QLabel*>()) QVERIFY(l->accessibleName().isEmpty());
    QVERIFY(w.Label1->text().contains("Association,  or Notepad"));
  }
};

QTEST_MAIN(TfrmVarkoEditOptionsTest)
#include "TfrmVarkoEditOptionsTest.moc"
