#include "device/Link.h"

Link::Link(HidLibrary& hid, QObject* parent) : QObject(parent), hid_(hid) {}

bool Link::usable() {
    if (interrupted_) return false;
    if (!halted_) return true;
    lastTransferFailed_ = true;
    if (inOperation_) interrupted_ = true;
    return false;
}

void Link::tra(std::uint8_t byte) {
    if (usable()) send(byte);
}

void Link::send(std::uint8_t byte) {
    bufout_[0] = 0;
    bufout_[1] = byte;
    const HidHandle device = hid_.GetHandle(kProgrammerVendorId, kProgrammerProductId);
    transferDone(device, hid_.Write(device, bufout_));
}

std::uint8_t Link::rec() {
    if (!usable()) return bufin_[1];
    const HidHandle device = hid_.GetHandle(kProgrammerVendorId, kProgrammerProductId);
    transferDone(device, hid_.Read(device, bufin_));
    return bufin_[1];
}

void Link::transferDone(HidHandle device, bool delivered) {
    lastTransferFailed_ = !delivered;
    if (delivered) return;
    if (inOperation_) interrupted_ = true;
    // Without a handle nothing reached a programmer (none there, or another
    // program holds it), so no command of ours is left half sent.
    if (device != 0) setHalted(true);
}

void Link::setHalted(bool halted) {
    if (halted_ == halted) return;
    halted_ = halted;
    emit haltedChanged(halted);
}

void Link::beginOperation() {
    inOperation_ = true;
    interrupted_ = false;
}

void Link::endOperation() {
    inOperation_ = false;
    interrupted_ = false;
}

bool Link::isProgrammer(HidHandle device) {
    // The product id is asked only when the vendor matched.
    return hid_.GetVendorID(device) == kProgrammerVendorId &&
           hid_.GetProductID(device) == kProgrammerProductId;
}

bool Link::notificacion(DeviceMessage& message) {
    if (message.Msg != static_cast<unsigned>(kDeviceMessageNumber)) return false;
    if (message.WParam == kDevicePlugged) {
        if (isProgrammer(message.LParam)) {
            setEstado(kDispositivoConectado);
            // Already there: taken at once, so that another program finds it
            // in use and a refused open is told now, but nothing is sent.
            if (message.alreadyAttached) {
                hid_.GetHandle(kProgrammerVendorId, kProgrammerProductId);
                return true;
            }
            // Plugged in again, the programmer starts with a fresh parser.
            setHalted(false);
            // The greeting of a freshly plugged programmer goes out even in
            // the middle of an interrupted operation.
            if (greets_) send(1);
        }
        return true;
    }
    if (message.WParam == kDeviceUnplugged) {
        if (isProgrammer(message.LParam)) {
            setEstado(kDispositivoDesconectado);
            if (inOperation_) interrupted_ = true;
        }
        return true;
    }
    return false;
}

void Link::setEstado(const QString& text) {
    estado_ = text;
    emit estadoChanged(text);
}
