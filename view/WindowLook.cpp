#include "view/WindowLook.h"

#include <QScreen>
#include <QWidget>

void centerOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

QFont designFont(const QString& family, int pixels, bool bold, bool italic, QFont::StyleHint kind) {
    QFont font(family);
    font.setStyleHint(kind);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}
