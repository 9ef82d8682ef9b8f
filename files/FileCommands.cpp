#include "files/FileCommands.h"

#include <QStringList>

#include "device/CommandSet.h"
#include "files/MemoryFileIo.h"
#include "view/AddressGridModel.h"
#include "view/NumberFormat.h"

bool FileCommands::Abrir1Click() {
    const auto path = host_.dialogs.openFileName(kOpenDialog);
    if (!path) return false;
    const auto file = load(*path);
    if (!file) return false;
    show(*path, *file);
    return true;
}

std::optional<memory_file::Contents> FileCommands::load(const QString& path) {
    memory_file::Contents file = memory_file::read(path);
    if (file.marker == memory_file::Marker::Other || file.lineTooLong) {
        host_.dialogs.message(kErrorEnElArchivo);
        return std::nullopt;
    }
    return file;
}

void FileCommands::show(const QString& path, const memory_file::Contents& file) {
    if (file.marker != memory_file::Marker::None)
        host_.selectFormat(file.marker == memory_file::Marker::Hexadecimal);
    const std::size_t addresses = host_.comandos.type().maxdir + 1;
    const std::size_t dataLines = file.dataLines();
    host_.imagen.updateColumn(kDataColumn, [&](std::vector<QString>& texts) {
        for (std::size_t a = 0; a < addresses; ++a) texts[a].clear();
        // Lines past the last address keep rows a larger memory type shows.
        if (texts.size() < file.keptDataLines()) texts.resize(file.keptDataLines());
        for (std::size_t a = 0; a < file.keptDataLines(); ++a) texts[a] = file.data(a);
    });
    host_.setCaption(kCaptionAbierto + memory_file::nameOf(path));
    host_.organiza();
    // The grid shows no more rows than the type has; say what is kept out of sight.
    host_.note(linesBeyondNote(dataLines, addresses));
    host_.cameFrom({path, kFormatoMemoria});
}

QString linesBeyondNote(std::size_t dataLines, std::size_t addresses) {
    if (dataLines <= addresses) return {};
    const std::size_t beyond = dataLines - addresses;
    if (beyond == 1) return QStringLiteral("1 dato más allá de la última dirección");
    return QStringLiteral("%1 datos más allá de la última dirección").arg(beyond);
}

bool FileCommands::Guardar1Click() {
    const auto path = host_.dialogs.saveFileName(kSaveDialog);
    if (!path) return false;
    const QString marker = host_.formato.hexadecimal() ? kMarcaHexadecimal : kMarcaDecimal;
    const std::size_t addresses = host_.comandos.type().maxdir + 1;
    memory_file::write(*path,
                       memory_file::format(marker, host_.imagen.column(kDataColumn), addresses));
    host_.setCaption(kCaptionGuardado + *path + u')');
    host_.cameFrom({*path, kFormatoMemoria});
    return true;
}
