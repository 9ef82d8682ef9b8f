#include "operations/OperationFrame.h"

#include <QCoreApplication>

#include "device/Link.h"
#include "device/Platform.h"
#include "operations/Unit6.h"
#include "view/Dialogs.h"
#include "view/Errors.h"

OperationFrame::OperationFrame(Link& link, Platform& platform, Dialogs& dialogs)
    : link_(link), platform_(platform), dialogs_(dialogs) {}

bool OperationFrame::conexion() {
    if (!link_.desconectado()) return false;
    dialogs_.message(kReviseConexion);
    return true;
}

void OperationFrame::abortar() {
    QCoreApplication::processEvents();
    // A programmer unplugged meanwhile: the bytes read from here on would be
    // stale, so the operation stops rather than reporting success.
    if (link_.desconectado() || link_.interrupted()) deviceLost();
    if (!(platform_.GetKeyState(Platform::kVkEscape) & Platform::kKeyDownBit)) return;
    for (int i = 0; i < kResetBytes; ++i) link_.tra(kResetByte);
    hidePrompt();
    dialogs_.message(kInterrumpido);
    throw Cancelled();
}

void OperationFrame::deviceLost() {
    hidePrompt();
    dialogs_.message(kReviseConexion);
    throw Cancelled();
}

void OperationFrame::normal() {
    hidePrompt();
    dialogs_.message(kProcesoTerminado);
}

void OperationFrame::showPrompt() {
    if (form6_) form6_->show();
}

void OperationFrame::hidePrompt() {
    if (form6_) form6_->hide();
}

void OperationFrame::begin() {
    // Only ESC held or pressed while this operation runs may cancel it.
    platform_.forgetKeyPresses();
    link_.beginOperation();
    running_ = true;
    emit runningChanged(true);
}

void OperationFrame::end() {
    link_.endOperation();
    running_ = false;
    emit runningChanged(false);
}
