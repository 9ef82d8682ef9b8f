#include "info/Unit4.h"

#include <QLabel>

#include "chip/Version.h"
#include "view/WindowLook.h"

namespace {
QLabel* creditLine(QWidget* parent, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setFont(designFont(QStringLiteral("MS Sans Serif"), 13, true));
    label->setStyleSheet(QStringLiteral("color: navy;"));
    label->move(left, top);
    label->adjustSize();
    return label;
}
}  // namespace

TForm4::TForm4(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("ACERCA DE"));
    // One line more than the credits, for the version of this build.
    setFixedSize(308, 130);
    Label1 = creditLine(this, QStringLiteral("PROGRAMADOR DE MEMORIAS"), 56, 16);
    Label2 = creditLine(this, QStringLiteral("DESARROLLADO POR TEODORO VELAR"), 8, 48);
    Label3 = creditLine(this, QStringLiteral("MAIL: ") + QLatin1String(kContactAddress), 16, 80);
    Label4 =
        creditLine(this, QStringLiteral("Versión ") + programVersion(), 16, 104);
    centerOnScreen(this);
}
