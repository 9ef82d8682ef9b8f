#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <vector>

#include "app/Programa.h"
#include "app/Sram.h"
#include "device/VirtualProgrammer.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/RecordingDialogs.h"

// The whole program on a virtual programmer, with virtual time and recorded
// dialogs: the ground of the end-to-end scenarios.
struct Rig {
    explicit Rig(bool attached = true, bool announced = true) : programmer(platform, attached) {
        programmer.setAnnounceAtConnect(announced);
        programa = std::make_unique<Programa>(platform, dialogs, programmer);
        settle();
    }

    Tform1& form() { return *programa->form1; }
    void settle() { QCoreApplication::processEvents(); }
    // Past the start-up bytes, with nothing recorded.
    Rig& ready() {
        form().Timer1Timer();
        programmer.clearRecord();
        dialogs.clear();
        return *this;
    }
    std::vector<std::uint8_t> sent() const { return programmer.sentBytes(); }
    Rig& type(QLineEdit* field, const QString& text) {
        field->setText(text);
        return *this;
    }
    Rig& click(QPushButton* button) {
        QTest::mouseClick(button, Qt::LeftButton);
        return *this;
    }
    Rig& memoryType(int tipo) {
        form().tipoItems[tipo]->trigger();
        return *this;
    }
    QString cell(int row) { return form().imagen.cell(1, row); }

    FakePlatform platform;
    RecordingDialogs dialogs;
    VirtualProgrammer programmer;
    std::unique_ptr<Programa> programa;
};

using Bytes = std::vector<std::uint8_t>;

// The window on screen and active, as a user has it: shortcuts and clicks
// reach it as they would on a desktop.
inline Tform1& onScreen(Rig& rig) {
    rig.ready().memoryType(0);
    Tform1& f = rig.form();
    f.show();
    QApplication::setActiveWindow(&f);
    if (!QTest::qWaitForWindowActive(&f)) qWarning("window not active");
    return f;
}
