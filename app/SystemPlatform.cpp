#include "app/SystemPlatform.h"

#include <QCoreApplication>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {
const char* const kClosesOnEscape = "cierraConEscape";

bool closesAPopup(QObject* receiver) {
    if (QApplication::activePopupWidget() || QApplication::activeModalWidget()) return true;
    return receiver && receiver->property(kClosesOnEscape).toBool();
}
}  // namespace

void markClosesOnEscape(QObject* field) {
    field->setProperty(kClosesOnEscape, true);
}

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

bool SystemPlatform::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() != Qt::Key_Escape) break;
            // Judged where the press lands first; its way up to the parents
            // does not undo that.
            if (!key->isAutoRepeat() && event != judged_) {
                judged_ = event;
                escapeSpent_ = closesAPopup(watched);
            }
            if (!escapeSpent_) escapeHeld_ = escapePressed_ = true;
            break;
        }
        case QEvent::KeyRelease: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && !key->isAutoRepeat())
                escapeHeld_ = escapeSpent_ = false;
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
