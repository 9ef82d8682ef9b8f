#include "view/WindowLook.h"

#include <QEvent>
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

namespace {
// Keeps a widget's distance to its parent's bottom edge: by growing it, or
// by moving it.
class BottomMargin : public QObject {
  public:
    BottomMargin(QWidget* widget, int margin, bool moves)
        : QObject(widget), widget_(widget), margin_(margin), moves_(moves) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Resize) return false;
        const int bottom = widget_->parentWidget()->height() - margin_;
        if (moves_)
            widget_->move(widget_->x(), bottom - widget_->height());
        else
            widget_->resize(widget_->width(), bottom - widget_->y());
        return false;
    }

  private:
    QWidget* widget_;
    int margin_;
    bool moves_;
};

int bottomMargin(const QWidget* widget) {
    return widget->parentWidget()->height() - widget->geometry().bottom() - 1;
}
}  // namespace

void keepBottomMargin(QWidget* widget) {
    widget->parentWidget()->installEventFilter(
        new BottomMargin(widget, bottomMargin(widget), false));
}

void keepAtBottom(QWidget* widget) {
    widget->parentWidget()->installEventFilter(
        new BottomMargin(widget, bottomMargin(widget), true));
}
