#pragma once

#include <QElapsedTimer>
#include <QObject>

#include "device/Platform.h"

// The real clock, sleeps and keyboard. ESC is held from its key press until
// its release, as the window system reported them to this application; a
// press also counts once when it was released before anyone asked, unless it
// came before the last forgetKeyPresses.
class SystemPlatform : public QObject, public Platform {
    Q_OBJECT
  public:
    SystemPlatform();

    void Sleep(int milliseconds) override;
    void waitUntil(std::int64_t nanoseconds) override;
    std::int64_t nowNs() const override;
    short GetKeyState(int virtualKey) override;
    void forgetKeyPresses() override;
    void Terminate() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QElapsedTimer clock_;
    bool escapeHeld_ = false;
    bool escapePressed_ = false;
};
