#pragma once
// "Choose how to open file": asks how a file of an extension without a [Viewer] entry is opened.
//
// Use: construct once; per double click call ask(file path, cleaned extension) and use the text it
// returns as the open command: "Windows", "Notepad.exe" or "Viewer". The answer is kept between
// showings, so closing the window without a button repeats the previous answer (empty the first
// time, which opens with Notepad).
#include <QDialog>

class QLabel;
class QPushButton;

class TfrmVarkoEditOptions : public QDialog {
  Q_OBJECT
public:
  explicit TfrmVarkoEditOptions(QWidget* parent = nullptr);

  // Set before showing; FormShow puts them into the labels.
  QString fileName;
  QString extension;
  // The last button pressed, kept for the whole run.
  QString answer() const { return answer_; }

  // Sets the file name and extension, shows the window modally and returns the answer.
  QString ask(const QString& file, const QString& ext);

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* lblExt = nullptr;
  QLabel* lblFilename = nullptr;
  QPushButton* btnWindows = nullptr;
  QPushButton* btnNotepad = nullptr;
  QPushButton* btnViewer = nullptr;

protected:
  void showEvent(QShowEvent* event) override;

private:
  void FormShow();
  void answerAndClose(const QString& answer);

  QString answer_;
};
