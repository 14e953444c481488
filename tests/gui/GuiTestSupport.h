#pragma once
// Helpers for the window tests: answering modal windows from the test, finding controls, fixture
// folders.
#include <QApplication>
#include <QCoreApplication>
#include <QString>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTimer>
#include <QtTest/QTest>
#include <QWidget>
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

}  // namespace guitest
