#include "view/Unit2.h"

#include "view/WindowPlacement.h"

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("COMPARACION"));
    resize(549, 567);
    centerOnScreen(this);
}
