#include "view/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

void centerOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}
