#include "device/HidLibrary.h"

#include <QCoreApplication>

void postDeviceNotification(QObject* window, std::intptr_t wParam, HidHandle device,
                            bool alreadyAttached) {
    if (window)
        QCoreApplication::postEvent(window,
                                    new DeviceNotificationEvent(wParam, device, alreadyAttached));
}
