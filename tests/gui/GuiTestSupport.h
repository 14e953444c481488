#pragma once
// Helpers for the window tests: answering modal windows from the test, finding controls, fixture
// folders, and how well the texts of a window stand out from what is painted behind them.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHash>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QCoreApplication>
#include <QString>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTimer>
#include <QtTest/QTest>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace guitest {

// Saves a picture of the window when VARKO_GRAB_DIR names a folder.
inline void grab(QWidget* w, const QString& name) {
  const QByteArray dir = qgetenv("VARKO_GRAB_DIR");
  if (!dir.isEmpty()) w->grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
}

// Acts on the next modal window as soon as it is up (a message box, a prompt), from inside its
// own event loop. A modal window that never comes fails the test after about ten seconds instead
// of leaving the answer waiting for a later one. An owner, when given, takes the waiting timer
// with it when it goes: for an action that opens a modal window only sometimes.
inline void whenModal(std::function<void(QWidget*)> act, QObject* owner = nullptr) {
  constexpr int kAttempts = 2000;
  auto* timer = new QTimer(owner);
  timer->setInterval(5);
  auto attempts = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, act, attempts] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) {
      if (++*attempts < kAttempts) return;
      timer->stop();
      timer->deleteLater();
      QTest::qFail("no modal window came up", __FILE__, __LINE__);
      return;
    }
    timer->stop();
    timer->deleteLater();
    act(modal);
  });
  timer->start();
}

// A window's control by its object name; a missing one stops the test at once.
template <class T>
T* control(const QObject& window, const char* name) {
  T* found = window.findChild<T*>(QLatin1String(name));
  if (!found) qFatal("no control named %s", name);
  return found;
}

// One key event to w, or without one to the widget that has the focus (as the window system
// delivers it).
inline void sendKey(QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers modifiers, bool autoRepeat,
                    QWidget* w = nullptr) {
  QWidget* target = w ? w : QApplication::focusWidget();
  if (!target) qFatal("no widget has the focus");
  const QString text = key >= Qt::Key_A && key <= Qt::Key_Z ? QString(QChar(key)).toLower() : QString();
  QKeyEvent event(type, key, modifiers, text, autoRepeat);
  QApplication::sendEvent(target, &event);
}

// The rest of a held key after its first press, as X11 sends it: auto-repeated release and press
// pairs, then the real release (Ctrl let go first when releaseModifiers is clear).
inline void holdKeyAfterPress(Qt::Key key, Qt::KeyboardModifiers modifiers, int repeats = 3,
                              Qt::KeyboardModifiers releaseModifiers = Qt::NoModifier, QWidget* w = nullptr) {
  for (int i = 0; i < repeats; ++i) {
    sendKey(QEvent::KeyRelease, key, modifiers, true, w);
    sendKey(QEvent::KeyPress, key, modifiers, true, w);
  }
  sendKey(QEvent::KeyRelease, key, releaseModifiers, false, w);
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  // A fixture that did not get written would make the test fail for the wrong reason.
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
    qFatal("cannot write %s", qPrintable(path));
}

inline QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A small folder to search: two files with "needle" lines and one without.
inline void writeFixture(const QString& folder) {
  writeFile(folder + "/alpha.pas", "unit alpha;\r\nneedle one\r\nnothing\r\nNEEDLE two\r\n");
  writeFile(folder + "/beta.txt", "the needle\r\n");
  writeFile(folder + "/gamma.dat", "no match here\r\n");
}

// A dark desktop theme: light text on dark grounds, as a user's dark colour scheme sets it.
inline QPalette darkPalette() {
  QPalette palette(QColor(0x3C, 0x3C, 0x3C), QColor(0x2D, 0x2D, 0x2D));
  palette.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x1E));
  palette.setColor(QPalette::AlternateBase, QColor(0x2D, 0x2D, 0x2D));
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    palette.setColor(QPalette::Active, role, QColor(0xE0, 0xE0, 0xE0));
  palette.setColor(QPalette::Highlight, QColor(0x3D, 0x6F, 0xB4));
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::PlaceholderText, QColor(0x8A, 0x8A, 0x8A));
  palette.setColor(QPalette::Link, QColor(0x5E, 0xA2, 0xFF));
  return palette;
}

// The contrast ratio of two colours as the web's accessibility guidelines define it: 1 (the same
// lightness) to 21 (black on white). Text wants 4.5, large or bold text and the described grey 3.
inline double contrastRatio(const QColor& a, const QColor& b) {
  auto luminance = [](const QColor& c) {
    auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
  };
  const double lighter = std::max(luminance(a), luminance(b));
  const double darker = std::min(luminance(a), luminance(b));
  return (lighter + 0.05) / (darker + 0.05);
}

// The colour most pixels of rect have: the ground its text is painted on.
inline QColor groundColour(const QImage& image, const QRect& rect) {
  QHash<QRgb, int> counts;
  const QRect inside = rect & image.rect();
  for (int y = inside.top(); y <= inside.bottom(); ++y)
    for (int x = inside.left(); x <= inside.right(); ++x) ++counts[image.pixel(x, y) | 0xFF000000u];
  QRgb most = 0;
  int mostCount = -1;
  for (auto it = counts.cbegin(); it != counts.cend(); ++it)
    if (it.value() > mostCount) most = it.key(), mostCount = it.value();
  return QColor::fromRgb(most);
}

// The part of w that shows inside window (its ancestors, a scroll area's viewport among them,
// cut it), in window's coordinates.
inline QRect shownRect(const QWidget* w, const QWidget* window) {
  QRect shown(w->mapTo(window, QPoint(0, 0)), w->size());
  for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
    shown &= QRect(p->mapTo(window, QPoint(0, 0)), p->size());
  return shown & window->rect();
}

// The colour a control draws its own text in, or an invalid colour when it shows none.
inline QColor textColourOf(const QWidget* w) {
  const QPalette palette = w->palette();
  if (auto* label = qobject_cast<const QLabel*>(w)) {
    if (label->text().trimmed().isEmpty()) return {};
    return label->text().contains("<a ") ? palette.color(QPalette::Link) : palette.color(w->foregroundRole());
  }
  QString text;
  if (auto* button = qobject_cast<const QAbstractButton*>(w)) text = button->text();
  if (auto* field = qobject_cast<const QLineEdit*>(w)) text = field->text();
  if (auto* combo = qobject_cast<const QComboBox*>(w)) text = combo->currentText();
  if (auto* memo = qobject_cast<const QPlainTextEdit*>(w)) text = memo->toPlainText();
  if (auto* tabs = qobject_cast<const QTabBar*>(w)) text = tabs->tabText(0);
  if (text.trimmed().isEmpty()) return {};
  // Fields draw their text on their own ground (Base); the others in their foreground role.
  const bool field = qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w);
  return palette.color(field ? QPalette::Text : w->foregroundRole());
}

// Every text of a window that does not stand out from the ground painted behind it (contrast
// below least): each enabled control's own text, and each unselected row of a grid or list in
// its colour, against the colour most of its shown pixels have in a picture of the window.
inline QStringList faintTexts(QWidget* window, double least = 3.0) {
  const QImage image = window->grab().toImage();
  const double scale = image.devicePixelRatio();
  auto pixels = [scale](const QRect& r) {
    return QRect(QPoint(int(r.left() * scale), int(r.top() * scale)), r.size() * scale);
  };
  QStringList faults;
  auto check = [&](const QString& what, const QColor& text, const QRect& shown) {
    if (!text.isValid() || shown.isEmpty()) return;
    const QColor ground = groundColour(image, pixels(shown));
    const double ratio = contrastRatio(text, ground);
    if (ratio < least)
      faults << QString("%1: %2 on %3 (%4)").arg(what, text.name(), ground.name()).arg(ratio, 0, 'f', 2);
  };
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisible() || !w->isEnabled() || w->window() != window) continue;
    const QString name = w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
      check(name, textColourOf(w), shownRect(memo->viewport(), window));
    } else if (qobject_cast<QHeaderView*>(w)) {
      continue;  // a grid's header shows no rows of its own
    } else if (auto* view = qobject_cast<QAbstractItemView*>(w); view && view->model()) {
      const QAbstractItemModel* model = view->model();
      const QRect viewport = shownRect(view->viewport(), window);
      const QPoint origin = view->viewport()->mapTo(window, QPoint(0, 0));
      bool groundChecked = false;
      for (int row = 0; row < model->rowCount(); ++row) {
        for (int column = 0; column < model->columnCount(); ++column) {
          const QModelIndex index = model->index(row, column);
          const QRect cell = view->visualRect(index);
          if (cell.isEmpty() || index.data().toString().trimmed().isEmpty()) continue;
          if (view->selectionModel() && view->selectionModel()->isSelected(index)) continue;
          const QRect shown = cell.translated(origin) & viewport;
          const QVariant foreground = index.data(Qt::ForegroundRole);
          const QColor text =
              foreground.isValid() ? foreground.value<QColor>() : view->palette().color(QPalette::Text);
          check(QString("%1 row %2").arg(name).arg(row), text, shown);
          // The grid's own ground, beyond its rows, is the ground of the rows too.
          if (!groundChecked) check(name + " ground", text, viewport);
          groundChecked = true;
        }
      }
    } else {
      check(name, textColourOf(w), shownRect(w, window));
    }
  }
  return faults;
}

}  // namespace guitest
