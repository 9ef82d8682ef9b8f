#pragma once

#include <QObject>

#include "device/RealTimePlatform.h"

// The real clock, sleeps and keyboard. ESC is held from its key press until
// its release, as the window system reported them to this application; a
// press also counts once when it was released before anyone asked, unless it
// came before the last forgetKeyPresses.
class SystemPlatform : public QObject, public RealTimePlatform {
    Q_OBJECT
  public:
    SystemPlatform();

    short GetKeyState(int virtualKey) override;
    void forgetKeyPresses() override;
    void Terminate() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool escapeHeld_ = false;
    bool escapePressed_ = false;
};
