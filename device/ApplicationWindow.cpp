#include "device/ApplicationWindow.h"

#include "device/HidLibrary.h"

void ApplicationWindow::HookMainWindow(QObject* hook) {
    installEventFilter(hook);
}

void ApplicationWindow::UnhookMainWindow(QObject* hook) {
    removeEventFilter(hook);
}

bool ApplicationWindow::event(QEvent* event) {
    if (event->type() == DeviceNotificationEvent::kType) {
        ++unhandled_;
        return true;
    }
    return QObject::event(event);
}
