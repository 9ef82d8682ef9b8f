#include "device/Link.h"

Link::Link(HidLibrary& hid, QObject* parent) : QObject(parent), hid_(hid) {}

void Link::tra(std::uint8_t byte) {
    bufout_[0] = 0;
    bufout_[1] = byte;
    const HidHandle device = hid_.GetHandle(kProgrammerVendorId, kProgrammerProductId);
    lastTransferFailed_ = !hid_.Write(device, bufout_);
    if (lastTransferFailed_) ++failedTransfers_;
}

std::uint8_t Link::rec() {
    const HidHandle device = hid_.GetHandle(kProgrammerVendorId, kProgrammerProductId);
    lastTransferFailed_ = !hid_.Read(device, bufin_);
    if (lastTransferFailed_) ++failedTransfers_;
    return bufin_[1];
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
            tra(1);
        }
        return true;
    }
    if (message.WParam == kDeviceUnplugged) {
        if (isProgrammer(message.LParam)) setEstado(kDispositivoDesconectado);
        return true;
    }
    return false;
}

void Link::setEstado(const QString& text) {
    estado_ = text;
    emit estadoChanged(text);
}
