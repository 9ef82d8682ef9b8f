#include "info/Unit5.h"

#include <QKeyEvent>
#include <QPlainTextEdit>

#include "info/HelpText.h"
#include "view/WindowLook.h"

TForm5::TForm5(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Ayuda"));
    resize(787, 573);
    OleContainer1 = new QPlainTextEdit(this);
    OleContainer1->setGeometry(0, 8, 777, 537);
    OleContainer1->setReadOnly(true);
    OleContainer1->setPlainText(helpText());
    centerOnScreen(this);
}

void TForm5::keyPressEvent(QKeyEvent* event) {
    // Closes like any help window. A key press, not a shortcut: the same ESC
    // still reaches the application and cancels a running operation.
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
