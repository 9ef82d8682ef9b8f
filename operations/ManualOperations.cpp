#include "operations/ManualOperations.h"

#include <QCheckBox>
#include <QLineEdit>

#include "device/CommandSet.h"
#include "operations/OperationFrame.h"
#include "operations/Workbench.h"
#include "view/AddressGridModel.h"
#include "view/DataGrid.h"
#include "view/Dialogs.h"
#include "view/NumberFormat.h"

namespace {

// The address in a field, or nothing (after the message) when it lies past
// the memory. Compared unsigned, so negative hexadecimal entries are refused.
bool addressWithinMemory(Workbench& bench, std::int32_t address) {
    if (static_cast<std::uint32_t>(address) <= bench.comandos.maxdir) return true;
    bench.dialogs.message(kSupera);
    return false;
}
}  // namespace

void ManualOperations::BitBtn4Click() {
    Workbench& b = bench_;
    if (b.frame.running() || b.frame.conexion()) return;
    OperationScope scope(b.frame);
    const std::int32_t address = b.readNumber(b.controls.Pdirm);
    if (!addressWithinMemory(b, address)) return;
    const std::int32_t dato = b.readNumber(b.controls.PDatm);
    b.write(static_cast<std::uint32_t>(address), dato);
    if (b.controls.ch->isChecked()) {
        b.read(static_cast<std::uint32_t>(address));
        b.controls.ldirm->setText(b.controls.Pdirm->text());
        b.controls.ldatm->setText(b.formato.show(static_cast<std::uint32_t>(b.leido)));
        b.imagen.setCell(kDataColumn, address + 1, b.controls.ldatm->text());
        if (b.leido != b.comandos.dato) b.dialogs.message(kErrorDeLectura);
    }
    b.controls.m->showCell(kDataColumn, address + 1);
}

void ManualOperations::BitBtn6Click() {
    Workbench& b = bench_;
    if (b.frame.running() || b.frame.conexion()) return;
    OperationScope scope(b.frame);
    const std::int32_t address = b.readNumber(b.controls.ldirm);
    if (!addressWithinMemory(b, address)) return;
    // The row is on screen before the device is asked.
    b.controls.m->showCell(kDataColumn, address + 1);
    b.controls.m->viewport()->repaint();
    b.read(static_cast<std::uint32_t>(address));
    b.controls.ldatm->setText(b.formato.show(static_cast<std::uint32_t>(b.leido)));
    b.imagen.setCell(kDataColumn, address + 1, b.controls.ldatm->text());
}
