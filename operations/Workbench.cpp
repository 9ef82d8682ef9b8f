#include "operations/Workbench.h"

#include <QLineEdit>

#include "device/CommandSet.h"
#include "device/Link.h"
#include "operations/OperationFrame.h"
#include "view/AddressGridModel.h"
#include "view/NumberFormat.h"

Workbench::Workbench(Link& link, CommandSet& comandos, NumberFormat& formato,
                     AddressGridModel& imagen, const MainControls& controls, Dialogs& dialogs,
                     Platform& platform, OperationFrame& frame)
    : link(link),
      comandos(comandos),
      formato(formato),
      imagen(imagen),
      controls(controls),
      dialogs(dialogs),
      platform(platform),
      frame(frame),
      chip(comandos, link),
      leido(chip.leido) {}

std::int32_t Workbench::readNumber(const QLineEdit* field) const {
    return formato.read(field->text());
}

void Workbench::write(std::uint32_t address, std::int32_t dato) {
    chip.write(address, dato);
    if (chip.lost()) frame.deviceLost();
}

std::uint8_t Workbench::read(std::uint32_t address) {
    const std::uint8_t byte = chip.read(address);
    // A byte that never came is not shown as read.
    if (chip.lost()) frame.deviceLost();
    return byte;
}

void Workbench::showByte(std::uint32_t address, std::uint8_t byte) {
    imagen.setCell(1, static_cast<int>(address) + 1, formato.show(byte));
}
