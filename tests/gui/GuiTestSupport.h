#pragma once
// Helpers for the window tests: answering modal windows from the test, fixture folders.
#include <QApplication>
#include <QCoreApplication>
#include <QString>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace guitest {

// Runs f on the modal window once it is up (nullptr when none came), for the boxes an action
// opens; afterwards the action's caller waits with finish() until f has run.
class ModalAnswer {
public:
  explicit ModalAnswer(std::function<void(QWidget*)> f) : f_(std::move(f)) { post(50); }
  ~ModalAnswer() { finish(); }
  void finish() {
    while (!done_) QCoreApplication::processEvents();
  }
private:
  void post(int tries) {
    QTimer::singleShot(0, [this, tries] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal || tries == 0) {
        f_(modal);
        done_ = true;
      } else {
        post(tries - 1);
      }
    });
  }
  std::function<void(QWidget*)> f_;
  bool done_ = false;
};

// Saves a picture of the window when VARKO_GRAB_DIR names a folder.
inline void grab(QWidget* w, const QString& name) {
  const QByteArray dir = qgetenv("VARKO_GRAB_DIR");
  if (!dir.isEmpty()) w->grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
}

// Acts on the next modal window as soon as it is up (a message box, a prompt), from inside its
// own event loop. An owner, when given, takes the waiting timer with it when it goes.
inline void whenModal(std::function<void(QWidget*)> act, QObject* owner = nullptr) {
  auto* timer = new QTimer(owner);
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
