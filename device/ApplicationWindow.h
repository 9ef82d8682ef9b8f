#pragma once

#include <QObject>

// The application's hidden window: the HID library sends its notifications
// here, and a hook installed with HookMainWindow sees each one first.
class ApplicationWindow : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    void HookMainWindow(QObject* hook);
    void UnhookMainWindow(QObject* hook);

    // Device messages that no hook handled and that went to the usual processing.
    int unhandledDeviceMessages() const { return unhandled_; }

  protected:
    bool event(QEvent* event) override;

  private:
    int unhandled_ = 0;
};
