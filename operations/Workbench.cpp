#include "operations/Workbench.h"

#include <QLineEdit>

#include "device/CommandSet.h"
#include "device/Link.h"
#include "operations/OperationFrame.h"
#include "view/AddressGridModel.h"
#include "view/NumberFormat.h"

std::int32_t Workbench::readNumber(const QLineEdit* field) const {
    return formato.read(field->text());
}

void Workbench::writeData() {
    comandos.sendWrite();
    if (link.interrupted()) frame.deviceLost();
}

std::uint8_t Workbench::readBack() {
    comandos.sendRead();
    const std::uint8_t byte = link.rec();
    // A byte that never came is not shown as read.
    if (link.interrupted()) frame.deviceLost();
    leido = byte;
    return byte;
}

void Workbench::showByte(std::uint32_t address, std::uint8_t byte) {
    imagen.setCell(1, static_cast<int>(address) + 1, formato.show(byte));
}
