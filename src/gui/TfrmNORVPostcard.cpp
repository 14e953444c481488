#include "TfrmNORVPostcard.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "ListWindowParts.h"
#include "lib/Errors.h"
#include "setup/Feedback.h"

using namespace varko;
using namespace varko::gui;

namespace {

QPixmap postcardPicture() {
  // Hills under a morning sky: a postcard from where the program is made.
  QPixmap picture(220, 150);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 150);
  sky.setColorAt(0, QColor(0x6A, 0xA8, 0xE0));
  sky.setColorAt(1, QColor(0xF6, 0xE3, 0xB4));
  p.fillRect(picture.rect(), sky);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xFF, 0xD2, 0x4A));
  p.drawEllipse(QPoint(160, 52), 18, 18);
  QPainterPath far;
  far.moveTo(0, 110);
  far.cubicTo(60, 70, 120, 120, 220, 85);
  far.lineTo(220, 150);
  far.lineTo(0, 150);
  p.setBrush(QColor(0x5E, 0x8C, 0x4A));
  p.drawPath(far);
  QPainterPath near;
  near.moveTo(0, 135);
  near.cubicTo(80, 105, 150, 150, 220, 125);
  near.lineTo(220, 150);
  near.lineTo(0, 150);
  p.setBrush(QColor(0x3B, 0x6B, 0x2E));
  p.drawPath(near);
  return picture;
}

QIcon envelopeIcon() {
  QPixmap picture(24, 18);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(toQColor(kNavy), 1.5));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(1, 1, 22, 16));
  p.drawLine(QPointF(1, 1), QPointF(12, 10));
  p.drawLine(QPointF(23, 1), QPointF(12, 10));
  return QIcon(picture);
}

}  // namespace

TfrmNORVPostcard::TfrmNORVPostcard(QWidget* parent) : QDialog(parent) {
  setObjectName("frmNORVPostcard");
  setWindowTitle("NORV Postcard");
  setDesignedLook(this, kWhite);
  setTextColour(this, kGrey);
  QFont verdana("Verdana", 10);
  setFont(verdana);

  auto label = [this](const QString& text) { return new QLabel(text, this); };

  auto* Image1 = new QLabel(this);
  Image1->setPixmap(postcardPicture());
  auto* Label1 = label("A postcard from where Varko is made:");
  auto* Label15 = label("morning over the hills,");
  auto* Label16 = label("a short walk from the desk");
  auto* Label17 = label("where the searching began.");

  lblProgramName = label("Program name");
  QFont big = lblProgramName->font();
  big.setPointSize(14);
  big.setBold(true);
  lblProgramName->setFont(big);
  setTextColour(lblProgramName, kNavy);

  const QString help = toQString(kFeedbackHelpPage);
  Label2 = new QLabel(QString("<a href=\"%1\">Online help: %1</a>").arg(help), this);
  Label2->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(Label2, &QLabel::linkActivated, this,
          [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
  auto* Label14 = label("");
  auto* Label3 = label("");
  auto* Label4 = label("That means after a while of using it you get a chance");
  auto* Label5 = label("to send me an email postcard");
  auto* Label10 = label("I like to hear from who is using this program");
  auto* Label6 = label("Let me know what you like about the program");
  auto* Label7 = label("and suggestions");
  auto* Label8 = label("If you like, write a little about yourself");
  auto* Label9 = label("Send me a nice picture from where you live");
  auto* Label11 = label("Your email address will not be shared or used");
  QFont italic = Label11->font();
  italic.setItalic(true);
  Label11->setFont(italic);
  auto* Label12 = label("(if you already sent one or are busy, just click \"Not Now\". ");
  auto* Label13 = label(" This message will show again in future).");

  btnSendEmail = new QPushButton(envelopeIcon(), "      Send Email", this);
  btnSendEmail->setDefault(true);
  btnNotNow = new QPushButton("Not Now", this);
  btnNotNow->setAutoDefault(false);
  connect(btnSendEmail, &QPushButton::clicked, this, [this] { btnSendEmailClick(); });
  connect(btnNotNow, &QPushButton::clicked, this, [this] { btnNotNowClick(); });

  auto* photo = new QVBoxLayout;
  photo->addWidget(Image1);
  for (QLabel* caption : {Label1, Label15, Label16, Label17})
    photo->addWidget(caption);
  photo->addStretch(1);
  auto* text = new QVBoxLayout;
  text->setSpacing(2);
  for (QLabel* line : {lblProgramName, Label2, Label14, Label3, Label4, Label5})
    text->addWidget(line);
  text->addSpacing(10);
  for (QLabel* line : {Label10, Label6, Label7, Label8, Label9})
    text->addWidget(line);
  text->addSpacing(10);
  for (QLabel* line : {Label11, Label12, Label13})
    text->addWidget(line);
  text->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnSendEmail);
  buttons->addWidget(btnNotNow);
  text->addLayout(buttons);
  auto* all = new QHBoxLayout(this);
  all->addLayout(photo);
  all->addSpacing(16);
  all->addLayout(text, 1);
  resize(770, 443);
}

int TfrmNORVPostcard::RecordUse(const QString& pinifile, const QString& programDesc) {
  int count = 0;
  try {
    count = CountUse(toText(pinifile));
  } catch (const EIniFileException& e) {
    showSettingsError(parentWidget(), toQString(e.text()));
    return 0;
  }
  if (IsPostcardDue(count)) {
    setProgramDescription(programDesc);
    exec();
  }
  return count;
}

void TfrmNORVPostcard::setProgramDescription(const QString& programDesc) {
  lblProgramName->setText(programDesc);
  programDescription_ = programDesc;
}

bool TfrmNORVPostcard::xcMailTo(const QString& subject, const QString& body) {
  const bool opened = varko::xcMailTo(toText(subject), toText(body), SystemClock::instance(), [](const Text& link) {
    return QDesktopServices::openUrl(QUrl(toQString(link), QUrl::TolerantMode));
  });
  if (!opened)
    QMessageBox::warning(this, QApplication::applicationDisplayName(),
                         "No e-mail program could be started for the feedback message.\n"
                         "Please write to " + toQString(kFeedbackAddress) + ".");
  return opened;
}

void TfrmNORVPostcard::btnSendEmailClick() {
  xcMailTo(toQString(PostcardSubject(toText(programDescription_))), toQString(PostcardBody()));
  accept();
}

void TfrmNORVPostcard::btnNotNowClick() { reject(); }
