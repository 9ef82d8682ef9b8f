#include "operations/Unit6.h"

#include <QFontMetrics>
#include <QLabel>

#include "view/WindowLook.h"

namespace {
constexpr int kWidth = 247;
constexpr int kHeight = 72;
constexpr int kTitleBar = 30;
constexpr int kLabelWidth = 230;
constexpr int kLetterPixels = 16;
}  // namespace

TForm6::TForm6(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("Para Cancelar"));
    setFixedSize(kWidth, kHeight - kTitleBar);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    setPalette(palette);

    Label1 = new QLabel(QStringLiteral("Presione ESC Para Cancelar"), this);
    Label1->setGeometry(0, 16, kLabelWidth, 20);
    QFont font = designFont(QStringLiteral("MS Sans Serif"), kLetterPixels, true);
    // Where the sans-serif face at hand runs wider, a smaller size keeps the
    // whole sentence inside the label.
    while (QFontMetrics(font).horizontalAdvance(Label1->text()) > kLabelWidth &&
           font.pixelSize() > 8)
        font.setPixelSize(font.pixelSize() - 1);
    Label1->setFont(font);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setStyleSheet(QStringLiteral("color: red;"));
    centerOnScreen(this);
}
