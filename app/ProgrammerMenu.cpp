#include "app/ProgrammerMenu.h"

#include <QActionGroup>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "device/HidLibrary.h"
#include "operations/OperationFrame.h"

namespace {
// "PRG-A (puerto 1-1.2)": its serial, else its node, and its USB port when known.
QString programmerCaption(const FoundProgrammer& programmer) {
    if (programmer.port.isEmpty()) return programmer.name();
    return QStringLiteral("%1 (puerto %2)").arg(programmer.name(), programmer.port);
}
}  // namespace

ProgrammerMenu::ProgrammerMenu(QMainWindow& window, HidLibrary& hid, OperationFrame& frame,
                               QAction* before, QLabel* label)
    : QObject(&window), window_(window), hid_(hid), frame_(frame), before_(before), label_(label) {
    connect(&frame_, &OperationFrame::runningChanged, this, &ProgrammerMenu::setRunning);
    hid_.setProgrammersHandler([this] { rebuild(); });
    rebuild();
}

ProgrammerMenu::~ProgrammerMenu() {
    hid_.setProgrammersHandler({});
}

void ProgrammerMenu::removeMenu() {
    if (!menu_) return;
    window_.menuBar()->removeAction(menu_->menuAction());
    // It may be open, or be where this call came from.
    menu_->deleteLater();
    menu_ = nullptr;
}

void ProgrammerMenu::rebuild() {
    const std::vector<FoundProgrammer> found = hid_.programmers();
    const QString chosen = hid_.chosen();
    removeMenu();
    QString chosenCaption;
    if (found.size() > 1) {
        menu_ = new QMenu(QStringLiteral("&Programador"), &window_);
        window_.menuBar()->insertMenu(before_, menu_);
        auto* group = new QActionGroup(menu_);
        for (const FoundProgrammer& programmer : found) {
            const QString caption = programmerCaption(programmer);
            // A serial may hold "&", which a menu would take for a mnemonic.
            QAction* item = menu_->addAction(QString(caption).replace(u'&', QStringLiteral("&&")));
            item->setCheckable(true);
            item->setChecked(programmer.path == chosen);
            item->setEnabled(!frame_.running());
            group->addAction(item);
            connect(item, &QAction::triggered, this, [this, path = programmer.path] {
                if (!frame_.running()) hid_.choose(path);
            });
            if (programmer.path == chosen) chosenCaption = caption;
        }
    }
    label_->setText(chosenCaption.isEmpty() ? QString()
                                            : QStringLiteral("Programador: ") + chosenCaption);
    label_->setVisible(!chosenCaption.isEmpty());
}

void ProgrammerMenu::setRunning(bool running) {
    if (!menu_) return;
    for (QAction* item : menu_->actions()) item->setEnabled(!running);
}
