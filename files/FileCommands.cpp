#include "files/FileCommands.h"

#include <QStringList>

#include "device/CommandSet.h"
#include "files/MemoryFile.h"
#include "view/AddressGridModel.h"
#include "view/NumberFormat.h"

namespace {
constexpr int kDataColumn = 1;
}

void FileCommands::Abrir1Click() {
    const auto path = host_.dialogs.openFileName(kOpenDialog);
    if (!path) return;
    const QStringList lines = memory_file::read(*path);
    if (!lines.isEmpty()) {
        if (lines[0] == kMarcaDecimal) {
            host_.selectFormat(false);
        } else if (lines[0] == kMarcaHexadecimal) {
            host_.selectFormat(true);
        } else {
            host_.dialogs.message(kErrorEnElArchivo);
            return;
        }
    }
    const std::size_t addresses = host_.comandos.type().maxdir + 1;
    const std::size_t dataLines = lines.isEmpty() ? 0 : static_cast<std::size_t>(lines.size()) - 1;
    host_.imagen.updateColumn(kDataColumn, [&](std::vector<QString>& texts) {
        for (std::size_t a = 0; a < addresses; ++a) texts[a].clear();
        // Lines past the last address keep rows a larger memory type shows.
        if (texts.size() < dataLines) texts.resize(dataLines);
        for (std::size_t a = 0; a < dataLines; ++a) texts[a] = lines[static_cast<qsizetype>(a) + 1];
    });
    host_.setCaption(kCaptionAbierto + memory_file::nameOf(*path));
    host_.organiza();
}

void FileCommands::Guardar1Click() {
    const auto path = host_.dialogs.saveFileName(kSaveDialog);
    if (!path) return;
    const QString marker = host_.formato.hexadecimal() ? kMarcaHexadecimal : kMarcaDecimal;
    const std::size_t addresses = host_.comandos.type().maxdir + 1;
    memory_file::write(*path, memory_file::format(marker, host_.imagen.column(kDataColumn), addresses));
    host_.setCaption(kCaptionGuardado + *path + u')');
}
