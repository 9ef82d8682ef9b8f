#include "operations/OperationFrame.h"

#include <QCoreApplication>
#include <exception>

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

chip::Step OperationFrame::abortar() {
    QCoreApplication::processEvents();
    // A programmer unplugged meanwhile: the bytes read from here on would be
    // stale, so the operation stops rather than reporting success.
    if (link_.desconectado() || link_.interrupted()) return chip::Step::Lost;
    const bool escape = platform_.GetKeyState(Platform::kVkEscape) & Platform::kKeyDownBit;
    return escape || cancelRequested_ ? chip::Step::Cancel : chip::Step::Continue;
}

chip::Step OperationFrame::poll(std::int64_t address) {
    progress.at(address, platform_.nowNs());
    return abortar();
}

bool OperationFrame::conclude(const chip::Outcome& outcome) {
    switch (outcome.end) {
        case chip::Outcome::End::Interrupted:
            interrupted();
        case chip::Outcome::End::Lost:
            deviceLost();
        case chip::Outcome::End::Stopped:
            return false;
        case chip::Outcome::End::Completed:
            break;
    }
    return true;
}

void OperationFrame::interrupted() {
    hidePrompt();
    progress.finish(Progress::Outcome::Interrupted, platform_.nowNs());
    dialogs_.message(kInterrumpido);
    throw Cancelled();
}

void OperationFrame::completed(bool withErrors) {
    progress.finish(
        withErrors ? Progress::Outcome::CompletedWithErrors : Progress::Outcome::Completed,
        platform_.nowNs());
}

void OperationFrame::deviceLost() {
    hidePrompt();
    progress.finish(Progress::Outcome::DeviceLost, platform_.nowNs());
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
    cancelRequested_ = false;
    link_.beginOperation();
    progress.clear();
    running_ = true;
    emit runningChanged(true);
}

void OperationFrame::end() {
    // Ended by an error (a text that does not convert): say where. Ended
    // without one and without completing: refused, nothing to show.
    if (progress.running()) {
        if (std::uncaught_exceptions() > 0)
            progress.finish(Progress::Outcome::Stopped, platform_.nowNs());
        else
            progress.clear();
    }
    link_.endOperation();
    running_ = false;
    emit runningChanged(false);
}
