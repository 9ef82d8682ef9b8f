#include "app/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

void placeBeside(QWidget& window, const QWidget& main) {
    if (window.property("placed").toBool()) return;
    window.setProperty("placed", true);
    const QScreen* screen = main.screen();
    if (!screen) return;
    const QRect room = screen->availableGeometry();
    const QRect beside = main.frameGeometry();
    const int width = window.frameGeometry().width();
    int left = beside.right() + 1;
    if (left + width > room.right() + 1) left = beside.left() - width;
    if (left < room.left()) left = std::max(room.left(), room.right() + 1 - width);
    const int top = std::clamp(beside.top(), room.top(),
                               std::max(room.top(), room.bottom() + 1 - window.height()));
    window.move(left, top);
}
