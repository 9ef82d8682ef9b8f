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
class BottomMargin : public QObject {
  public:
    BottomMargin(QWidget* widget, int margin) : QObject(widget), widget_(widget), margin_(margin) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            widget_->resize(widget_->width(),
                            widget_->parentWidget()->height() - widget_->y() - margin_);
        return false;
    }

  private:
    QWidget* widget_;
    int margin_;
};
}  // namespace

void keepBottomMargin(QWidget* widget) {
    QWidget* parent = widget->parentWidget();
    const int margin = parent->height() - widget->geometry().bottom() - 1;
    parent->installEventFilter(new BottomMargin(widget, margin));
}
