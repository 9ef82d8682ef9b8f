#include "app/SystemPlatform.h"

#include <QCoreApplication>
#include <QKeyEvent>

SystemPlatform::SystemPlatform() {
    QCoreApplication::instance()->installEventFilter(this);
}

short SystemPlatform::GetKeyState(int virtualKey) {
    if (virtualKey != kVkEscape) return 0;
    const bool down = escapeHeld_ || escapePressed_;
    escapePressed_ = false;
    return down ? kKeyDownBit : 0;
}

void SystemPlatform::forgetKeyPresses() {
    escapePressed_ = false;
}

void SystemPlatform::Terminate() {
    QCoreApplication::quit();
}

bool SystemPlatform::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
                escapeHeld_ = escapePressed_ = true;
            break;
        case QEvent::KeyRelease: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && !key->isAutoRepeat()) escapeHeld_ = false;
            break;
        }
        // A window blocked by a modal box no longer gets its key releases:
        // ESC would stay held for good and cancel the next operation at once.
        case QEvent::WindowBlocked:
        case QEvent::WindowUnblocked:
        case QEvent::ApplicationDeactivate:
            escapeHeld_ = false;
            break;
        default:
            break;
    }
    return false;
}
