#include "files/ImageCommands.h"

#include <algorithm>
#include <iterator>

#include "device/CommandSet.h"
#include "files/GridBytes.h"
#include "files/MemoryFile.h"
#include "view/AddressGridModel.h"
#include "view/Errors.h"
#include "view/NumberFormat.h"

namespace {
const QString kNotAnImage = QStringLiteral(
    "es un archivo de texto, pero no Intel HEX ni S-record.\n"
    "Si es una imagen binaria, dele la extensión .bin.");
}  // namespace

std::size_t ImageCommands::memorySize() const {
    return std::size_t{host_.comandos.type().maxdir} + 1;
}

void ImageCommands::Importar1Click() {
    const auto path = host_.dialogs.openFileName(kImportDialog);
    if (!path) return;
    const QByteArray file = memory_file::readBytes(*path);
    const auto refuse = [&](const QString& why) {
        host_.dialogs.message(
            QStringLiteral("No se puede importar %1:\n%2").arg(memory_file::nameOf(*path), why));
    };
    auto format = image::formatOfName(*path);
    if (!format) format = image::formatOfContents(file);
    if (!format) return refuse(kNotAnImage);
    const image::ReadResult result = image::read(*format, file, memorySize());
    if (result.fault) return refuse(result.fault->text());
    const NumberFormat& number = host_.formato;
    host_.imagen.updateColumn(kDataColumn, [&](std::vector<QString>& texts) {
        for (std::size_t a = 0; a < result.bytes.size(); ++a)
            texts[a] = number.show(result.bytes[a]);
    });
}

void ImageCommands::Exportar1Click() {
    const auto chosen = host_.dialogs.saveFile(kExportDialog);
    if (!chosen) return;
    const QString& path = chosen->path;
    const GridBytes image =
        gridBytes(host_.imagen.column(kDataColumn), memorySize(), host_.formato);
    if (image.notAByte) {
        host_.dialogs.message(
            QStringLiteral("No se puede exportar: la dirección %1 no tiene un byte (%2)")
                .arg(host_.formato.show(static_cast<std::uint32_t>(*image.notAByte)),
                     host_.imagen.cell(kDataColumn, static_cast<int>(*image.notAByte) + 1)));
        return;
    }
    // A name the formats do not know takes the chosen filter's format.
    const int filter =
        std::clamp(chosen->filter, 0, static_cast<int>(std::size(kExportFormats)) - 1);
    const image::Format format = image::formatOfName(path).value_or(kExportFormats[filter]);
    memory_file::write(path, image::write(format, image.bytes));
}
