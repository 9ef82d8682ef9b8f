#include "operations/ReadOperations.h"

#include <QLineEdit>

#include "device/CommandSet.h"
#include "device/Platform.h"
#include "operations/OperationFrame.h"
#include "operations/Workbench.h"
#include "view/AddressGridModel.h"
#include "view/DataGrid.h"
#include "view/Dialogs.h"
#include "view/NumberFormat.h"

bool ReadOperations::readRange(std::int32_t first, std::int32_t last) {
    Workbench& b = bench_;
    b.frame.progress.start({{Progress::Activity::Leyendo, first, last}}, b.platform.nowNs());
    // Past the memory, the read's own refusal comes first.
    if (static_cast<std::uint32_t>(last) <= b.comandos.maxdir &&
        !b.socketAnswers(static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last)))
        return false;
    const chip::ReadHooks hooks{
        [&](std::uint32_t address) {
            const chip::Step step = b.frame.poll(address);
            if (step != chip::Step::Continue) return step;
            if (static_cast<std::uint32_t>(last) <= b.comandos.maxdir) return step;
            b.dialogs.message(kSupera);
            return chip::Step::Stop;
        },
        [&](std::uint32_t address, std::uint8_t byte) { b.showByte(address, byte); }};
    return b.frame.conclude(chip::readRange(b.chip, static_cast<std::uint32_t>(first),
                                            static_cast<std::uint32_t>(last), hooks));
}

void ReadOperations::analyse(std::int32_t first, std::int32_t last) {
    Workbench& b = bench_;
    // The bytes as read: an empty cell cannot come from a read, but counts as FF.
    std::vector<std::uint8_t> bytes;
    bytes.reserve(std::size_t(last - first + 1));
    for (std::int32_t a = first; a <= last; ++a)
        bytes.push_back(b.formato.readByte(b.imagen.cell(kDataColumn, a + 1)).value_or(0xFF));
    findings_ = chip::analyzeDump(bytes, QStringLiteral("0x"), static_cast<std::uint32_t>(first));
    if (analysed) analysed(findings_);
}

void ReadOperations::BitBtn7Click() {
    Workbench& b = bench_;
    if (b.frame.running() || b.frame.conexion()) return;
    OperationScope scope(b.frame);
    const std::int32_t first = b.readNumber(b.controls.LLOT1);
    b.formato.setLetraFromHexa();
    const std::int32_t last = b.readNumber(b.controls.LLOT2);
    // Eight hexadecimal digits from 80000000 read as negative: past any memory.
    if (first < 0 || last < 0) {
        b.dialogs.message(kSupera);
        return;
    }
    if (first > last) {
        b.dialogs.message(kOrden);
        return;
    }
    if (!readRange(first, last)) return;
    b.controls.m->showCell(kDataColumn, first + 1);
    b.frame.completed();
    analyse(first, last);
    b.dialogs.message(kLecturaTerminada);
}

void ReadOperations::BitBtn2Click() {
    Workbench& b = bench_;
    if (b.frame.running() || b.frame.conexion()) return;
    OperationScope scope(b.frame);
    const auto last = static_cast<std::int32_t>(b.comandos.type().maxdir);
    b.formato.setLetraFromHexa();
    if (!readRange(0, last)) return;
    b.controls.m->showCell(kDataColumn, 1);
    b.frame.completed();
    analyse(0, last);
    b.dialogs.message(kLecturaTerminada);
}
