#pragma once

#include <QObject>

#include "device/RealTimePlatform.h"

// The real clock, sleeps and keyboard. ESC is held from its key press until
// its release, as the window system reported them to this application; a
// press also counts once when it was released before anyone asked, unless it
// came before the last forgetKeyPresses. The press that closes a popup (a
// menu, a modal box or dialog, a field marked as a popup) is spent on it,
// with its auto-repeats until the key is released: it cancels nothing.
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
    bool escapeSpent_ = false;
    bool escapeReleased_ = true;
};

// A field whose ESC closes it, as a popup's does (a find field).
void markClosesOnEscape(QObject* field);
