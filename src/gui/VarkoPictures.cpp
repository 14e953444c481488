#include "VarkoPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include "QtColour.h"

namespace {

const QColor kNavy = varko::gui::toQColor(varko::kNavy);
const QColor kGreen = varko::gui::toQColor(varko::kGreen);
const QColor kGrey = varko::gui::toQColor(varko::kGrey);

QPixmap blank(int w, int h) {
  QPixmap pixmap(w, h);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

QPixmap drawSwitch(bool on) {
  QPixmap pixmap = blank(44, 22);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(on ? kGreen.darker(130) : kGrey, 1));
  p.setBrush(on ? kGreen : QColor(0xD8, 0xD8, 0xD8));
  p.drawRoundedRect(QRectF(1, 2, 42, 18), 9, 9);
  p.setBrush(Qt::white);
  p.setPen(QPen(kGrey, 1));
  p.drawEllipse(QRectF(on ? 25 : 3, 4, 14, 14));
  return pixmap;
}

template <typename Draw>
QIcon icon(Draw draw) {
  QPixmap pixmap = blank(20, 20);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  draw(p);
  p.end();
  return QIcon(pixmap);
}

}  // namespace

namespace VarkoPictures {

QPixmap logo() {
  QPixmap pixmap = blank(150, 48);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  // A magnifier over lines of text.
  p.setPen(QPen(QColor(0xB0, 0xB0, 0xC8), 3, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 4; ++i) p.drawLine(4, 10 + 9 * i, 34 - (i % 2) * 8, 10 + 9 * i);
  p.setPen(QPen(kNavy, 4));
  p.setBrush(QColor(255, 255, 255, 160));
  p.drawEllipse(QPointF(20, 20), 12, 12);
  p.drawLine(QPointF(29, 29), QPointF(40, 40));
  QFont font(QStringLiteral("Verdana"));
  font.setPixelSize(26);
  font.setBold(true);
  p.setFont(font);
  p.setPen(kNavy);
  p.drawText(QRect(46, 0, 104, 48), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Varko"));
  return pixmap;
}

QPixmap switchOff() {
  static const QPixmap pixmap = drawSwitch(false);
  return pixmap;
}

QPixmap switchOn() {
  static const QPixmap pixmap = drawSwitch(true);
  return pixmap;
}

QIcon select() {
  return icon([](QPainter& p) {
    p.setPen(QPen(kNavy, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(10, 4), QPointF(4, 10), QPointF(10, 16)}));
    p.drawLine(QPointF(4, 10), QPointF(17, 10));
  });
}

QIcon search() {
  return icon([](QPainter& p) {
    p.setPen(QPen(kGreen, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
    p.drawLine(QPointF(12, 12), QPointF(18, 18));
  });
}

QIcon stop() {
  return icon([](QPainter& p) {
    QPolygonF octagon;
    for (int i = 0; i < 8; ++i) {
      double a = qDegreesToRadians(22.5 + 45.0 * i);
      octagon << QPointF(10 + 8.5 * std::cos(a), 10 + 8.5 * std::sin(a));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xCC, 0x00, 0x00));
    p.drawPolygon(octagon);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5, 8.5, 10, 3));
  });
}

QIcon settings() {
  return icon([](QPainter& p) {
    p.setPen(QPen(kGrey.darker(130), 3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
      double a = qDegreesToRadians(45.0 * i);
      p.drawLine(QPointF(10 + 5 * std::cos(a), 10 + 5 * std::sin(a)),
                 QPointF(10 + 8.5 * std::cos(a), 10 + 8.5 * std::sin(a)));
    }
    p.setBrush(Qt::white);
    p.setPen(QPen(kGrey.darker(130), 2.5));
    p.drawEllipse(QPointF(10, 10), 5, 5);
  });
}

QIcon replace() {
  return icon([](QPainter& p) {
    p.setPen(QPen(varko::gui::toQColor(varko::kMaroon), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(3, 6), QPointF(16, 6));
    p.drawPolyline(QPolygonF({QPointF(12, 2), QPointF(16, 6), QPointF(12, 10)}));
    p.drawLine(QPointF(17, 14), QPointF(4, 14));
    p.drawPolyline(QPolygonF({QPointF(8, 10), QPointF(4, 14), QPointF(8, 18)}));
  });
}

QIcon history() {
  return icon([](QPainter& p) {
    p.setPen(QPen(kNavy, 2));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(10, 10), 8, 8);
    p.drawLine(QPointF(10, 10), QPointF(10, 5));
    p.drawLine(QPointF(10, 10), QPointF(14, 12));
  });
}

QIcon expandVertical() {
  return icon([](QPainter& p) {
    p.setPen(QPen(kNavy, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(10, 2), QPointF(10, 18));
    p.drawPolyline(QPolygonF({QPointF(6, 6), QPointF(10, 2), QPointF(14, 6)}));
    p.drawPolyline(QPolygonF({QPointF(6, 14), QPointF(10, 18), QPointF(14, 14)}));
  });
}

}  // namespace VarkoPictures
