#include "view/WindowLook.h"

#include <QFontMetrics>
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

QFont shrunkToFit(const QFont& font, const QString& text, int width) {
    constexpr int kSmallestPixels = 6;
    QFont fitting = font;
    while (fitting.pixelSize() > kSmallestPixels &&
           QFontMetrics(fitting).horizontalAdvance(text) > width)
        fitting.setPixelSize(fitting.pixelSize() - 1);
    return fitting;
}
