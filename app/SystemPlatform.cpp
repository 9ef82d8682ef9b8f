#include "app/SystemPlatform.h"

#include <QApplication>
#include <QCoreApplication>
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
            // One press is seen by its window, its widget and their parents:
            // spent if any of them is a popup. A new press is judged afresh.
            if (!key->isAutoRepeat()) {
                escapeSpent_ = (escapeSpent_ && !escapeReleased_) || closesAPopup(watched);
                escapeReleased_ = false;
            }
            escapeHeld_ = escapePressed_ = !escapeSpent_;
            break;
        }
        case QEvent::KeyRelease: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && !key->isAutoRepeat()) {
                escapeHeld_ = escapeSpent_ = false;
                escapeReleased_ = true;
            }
            break;
        }
        // A window blocked by a modal box no longer gets its key releases:
        // ESC would stay held for good and cancel the next operation at once.
        case QEvent::WindowBlocked:
        case QEvent::WindowUnblocked:
        case QEvent::ApplicationDeactivate:
            escapeHeld_ = false;
            escapeReleased_ = true;
            break;
        default:
            break;
    }
    return false;
}
