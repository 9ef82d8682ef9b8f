#include "info/Unit5.h"

#include <QPlainTextEdit>
#include <QShortcut>

#include "info/HelpText.h"
#include "view/WindowLook.h"

TForm5::TForm5(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Ayuda"));
    resize(787, 573);
    OleContainer1 = new QPlainTextEdit(this);
    OleContainer1->setGeometry(0, 8, 777, 537);
    OleContainer1->setReadOnly(true);
    OleContainer1->setPlainText(helpText());
    // Closes like any help window, whichever part has the focus.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    centerOnScreen(this);
}
