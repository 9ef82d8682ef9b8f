#include "operations/BlankCheck.h"

#include <algorithm>
#include <vector>

#include "device/CommandSet.h"
#include "device/Platform.h"
#include "operations/OperationFrame.h"
#include "operations/Workbench.h"
#include "view/Dialogs.h"
#include "view/NumberFormat.h"
#include "view/Unit2.h"

namespace {
constexpr std::uint8_t kErased = 0xFF;
}  // namespace

QString notErasedMessage(std::int64_t addresses) {
    if (addresses == 1) return QStringLiteral("La memoria no está borrada: 1 dirección no vale FF");
    return QStringLiteral("La memoria no está borrada: %1 direcciones no valen FF").arg(addresses);
}

bool BlankCheck::applies(std::uint8_t tipo) {
    return hasErasedState(tipo);
}

void BlankCheck::VerificarBorrado1Click() {
    Workbench& b = bench_;
    if (!applies(b.comandos.tipo) || b.frame.running() || b.frame.conexion()) return;
    OperationScope scope(b.frame);
    const auto last = static_cast<std::int32_t>(b.comandos.type().maxdir);
    std::vector<std::uint8_t> onChip(static_cast<std::size_t>(last) + 1);
    b.frame.progress.start({{Progress::Activity::VerificandoBorrado, 0, last}}, b.platform.nowNs());
    if (!b.socketAnswers(0, static_cast<std::uint32_t>(last))) return;
    const chip::ReadHooks hooks{
        [&](std::uint32_t address) { return b.frame.poll(address); },
        [&](std::uint32_t address, std::uint8_t byte) { onChip[address] = byte; }};
    b.frame.conclude(chip::readRange(b.chip, 0, static_cast<std::uint32_t>(last), hooks));
    b.frame.completed();
    if (std::all_of(onChip.begin(), onChip.end(),
                    [](std::uint8_t byte) { return byte == kErased; })) {
        // Asked to look at the socket: it says what an all-FF read cannot tell.
        b.dialogs.message(b.socketNote.isEmpty() ? kMemoriaBorrada
                                                 : kMemoriaBorrada + QStringLiteral("\n\n") +
                                                       b.socketNote + u'.');
        return;
    }
    TForm2& window = *b.Form2;
    const QString erased = b.formato.show(kErased);
    const auto fill = [&](int column, auto text) {
        window.grid.updateColumn(column, [&](std::vector<QString>& texts) {
            for (std::size_t a = 0; a < onChip.size(); ++a) texts[a] = text(onChip[a]);
        });
    };
    fill(TForm2::kFirstColumn, [&](std::uint8_t byte) { return b.formato.show(byte); });
    fill(TForm2::kSecondColumn, [&](std::uint8_t) { return erased; });
    window.setHeaders(kHeaderLeido, kHeaderBorrado);
    window.listMismatches();
    b.dialogs.message(notErasedMessage(static_cast<std::int64_t>(window.lista.size())));
    window.explain(TForm2::kFirstColumn);
    window.show();
    window.raise();
}
