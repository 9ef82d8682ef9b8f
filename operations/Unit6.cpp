#include "operations/Unit6.h"

#include <QLabel>

#include "view/WindowPlacement.h"

namespace {
constexpr int kWidth = 247;
constexpr int kHeight = 72;
}  // namespace

TForm6::TForm6(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("Para Cancelar"));
    setFixedSize(kWidth, kHeight - 30);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    setPalette(palette);

    Label1 = new QLabel(QStringLiteral("Presione ESC Para Cancelar"), this);
    Label1->setGeometry(0, 16, 230, 20);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(16);
    font.setBold(true);
    Label1->setFont(font);
    Label1->setStyleSheet(QStringLiteral("color: red;"));
    centerOnScreen(this);
}
