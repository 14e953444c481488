#pragma once
// "NORV Postcard": asks now and then for an e-mail with feedback.
#include <QDialog>

class QLabel;
class QPushButton;

class TfrmNORVPostcard : public QDialog {
  Q_OBJECT
public:
  explicit TfrmNORVPostcard(QWidget* parent = nullptr);

  // Counts one use in pinifile (blank: the executable's path with ".ini") and shows the
  // window modally when the count is due (the tenth use, then every hundredth). Returns the
  // new count, or 0 when the settings file refused the write.
  int RecordUse(const QString& pinifile, const QString& programDesc);

  // For showing the window directly ("Contact NORV"): the description the mail names.
  void setProgramDescription(const QString& programDesc);
  const QString& programDescription() const { return programDescription_; }

  // Builds the mailto link, logs it and hands it to the desktop's mail program; a failure
  // shows a message. Returns whether the desktop took the link.
  bool xcMailTo(const QString& subject, const QString& body);

  QLabel* lblProgramName = nullptr;
  QLabel* Label2 = nullptr;  // the "Online help:" link
  QPushButton* btnSendEmail = nullptr;
  QPushButton* btnNotNow = nullptr;

private:
  void btnSendEmailClick();
  void btnNotNowClick();

  QString programDescription_;
};
