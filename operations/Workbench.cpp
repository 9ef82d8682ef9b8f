#include "operations/Workbench.h"

#include <QLineEdit>

#include "chip/SocketCheck.h"
#include "device/CommandSet.h"
#include "device/Link.h"
#include "operations/OperationFrame.h"
#include "view/AddressGridModel.h"
#include "view/Dialogs.h"
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

bool Workbench::socketAnswers(std::uint32_t first, std::uint32_t last,
                              std::function<std::optional<std::uint8_t>(std::uint32_t)> wanted) {
    socketNote.clear();
    if (!zocalo) return true;
    const bool writes = bool(wanted);
    const chip::SocketRequest request{comandos.tipo, writes, first, last, {}, std::move(wanted),
                                      // Too short to move the progress bar.
                                      [this](std::uint32_t) { return frame.abortar(); },
                                      [this](std::uint32_t a) { return formato.show(a); }};
    const chip::SocketReport report = chip::checkSocket(chip, request);
    socketNote = report.verdict == chip::SocketReport::Verdict::CannotTell ? report.text : QString();
    if (!frame.conclude(report.outcome)) return false;
    if (!report.refused()) return true;
    frame.hidePrompt();
    dialogs.message(report.text + QStringLiteral("\n\nComprobación del zócalo: %1; la operación no "
                                                 "empezó.")
                                      .arg(chip::kMemoriaNoResponde));
    return false;
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
