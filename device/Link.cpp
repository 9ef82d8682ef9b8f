#include "device/Link.h"

Link::Link(HidLibrary& hid, QObject* parent) : QObject(parent), hid_(hid) {}

void Link::tra(std::uint8_t byte) {
    if (interrupted_) return;
    send(byte);
}

void Link::send(std::uint8_t byte) {
    bufout_[0] = 0;
    bufout_[1] = byte;
    const HidHandle device = hid_.GetHandle(kProgrammerVendorId, kProgrammerProductId);
    transferDone(hid_.Write(device, bufout_));
}

std::uint8_t Link::rec() {
    if (interrupted_) return bufin_[1];
    const HidHandle device = hid_.GetHandle(kProgrammerVendorId, kProgrammerProductId);
    transferDone(hid_.Read(device, bufin_));
    return bufin_[1];
}

void Link::transferDone(bool delivered) {
    lastTransferFailed_ = !delivered;
    if (!delivered && inOperation_) interrupted_ = true;
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
            // The greeting of a freshly plugged programmer goes out even in
            // the middle of an interrupted operation.
            send(1);
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
