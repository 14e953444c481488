#pragma once
// "Varko Tips": viewing results, the advanced options and the settings file, one page each.
#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

class TfrmVarkoTips : public QDialog {
  Q_OBJECT
public:
  enum Page { GeneralTipsPage = 0, AdvancedPage = 1, SettingsPage = 2 };

  explicit TfrmVarkoTips(QWidget* parent = nullptr);

  // Shows the window modally on the given page (0 general tips, 1 advanced, 2 settings).
  void showPage(int index);

  QLabel* lblProgramName = nullptr;
  QLabel* lblOnlineHelp = nullptr;
  QLabel* lblProgramInfo = nullptr;
  QLabel* lblCompilerInfo = nullptr;
  QPushButton* btnOK = nullptr;
  QTabWidget* pcTips = nullptr;
  QPlainTextEdit* memoAdvanced = nullptr;
  QPlainTextEdit* memoSettings = nullptr;

protected:
  void showEvent(QShowEvent* event) override;

private:
  QWidget* makeGeneralTips();
};
