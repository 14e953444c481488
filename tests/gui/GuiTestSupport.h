#pragma once
// Helpers for the window tests: answering modal windows from the test, fixture folders.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace guitest {

// Acts on the next modal window as soon as it is up (a message box, a prompt), from inside its
// own event loop.
inline void whenModal(std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    act(modal);
  });
  timer->start();
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
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
