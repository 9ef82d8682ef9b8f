#include "view/KeyFilter.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include "view/Dialogs.h"
#include "view/NumberFormat.h"

namespace {
// Keys that move the focus or edit without typing a character.
bool typesNoCharacter(const QKeyEvent* key) {
    switch (key->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete:
            return true;
        default:
            return key->text().isEmpty();
    }
}
}  // namespace

KeyFilter::KeyFilter(Dialogs& dialogs, const NumberFormat& format, QObject* parent)
    : QObject(parent), dialogs_(dialogs), format_(format) {}

void KeyFilter::watch(QWidget* control) {
    control->installEventFilter(this);
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    return filterEvent(watched, event);
}

bool KeyFilter::isShortcut(const QKeyEvent* key) const {
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if ((modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier)) return true;
    return shortcuts_.contains(QKeySequence(key->keyCombination()));
}

bool KeyFilter::filterEvent(QObject* watched, QEvent* event) {
    // Eaten unaccepted, the override lets the shortcut run instead of the
    // field's own undo or the filter's refusal.
    if (event->type() == QEvent::ShortcutOverride)
        return isShortcut(static_cast<QKeyEvent*>(event));
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // A shortcut whose item is disabled (nothing to undo): no character either.
    if (isShortcut(key)) return true;
    if (typesNoCharacter(key)) return false;
    if (escapePasses_ && key->key() == Qt::Key_Escape) return false;
    if (charactersPass_ && key->key() != Qt::Key_Escape) return false;

    QString passed;
    for (QChar typed : key->text()) {
        const auto accepted = filterKey(typed.unicode(), format_.hexa);
        if (!accepted) {
            showingMessage_ = true;
            dialogs_.message(kCaracterInvalido);
            showingMessage_ = false;
            return true;
        }
        passed += QChar(*accepted);
    }
    if (passed == key->text()) return false;
    // Hand the control the upper-cased character instead.
    QKeyEvent upper(QEvent::KeyPress, key->key(), key->modifiers() & ~Qt::ShiftModifier, passed,
                    key->isAutoRepeat(), key->count());
    QCoreApplication::sendEvent(watched, &upper);
    return true;
}
