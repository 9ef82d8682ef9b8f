#include "files/ImageCommands.h"

#include "device/CommandSet.h"
#include "files/GridBytes.h"
#include "files/MemoryFile.h"
#include "view/AddressGridModel.h"
#include "view/Errors.h"
#include "view/NumberFormat.h"

std::size_t ImageCommands::memorySize() const {
    return std::size_t{host_.comandos.type().maxdir} + 1;
}

void ImageCommands::Importar1Click() {
    const auto path = host_.dialogs.openFileName(kImageDialog);
    if (!path) return;
    const QByteArray file = memory_file::readBytes(*path);
    const image::Format format = image::formatOfName(*path).value_or(image::formatOfContents(file));
    const image::ReadResult result = image::read(format, file, memorySize());
    if (result.fault) {
        host_.dialogs.message(QStringLiteral("No se puede importar %1:\n%2")
                                  .arg(memory_file::nameOf(*path), result.fault->text()));
        return;
    }
    const NumberFormat& number = host_.formato;
    host_.imagen.updateColumn(kDataColumn, [&](std::vector<QString>& texts) {
        for (std::size_t a = 0; a < result.bytes.size(); ++a)
            texts[a] = number.show(result.bytes[a]);
    });
}

void ImageCommands::Exportar1Click() {
    const auto path = host_.dialogs.saveFileName(kImageDialog);
    if (!path) return;
    const GridBytes image =
        gridBytes(host_.imagen.column(kDataColumn), memorySize(), host_.formato);
    if (image.notAByte) {
        host_.dialogs.message(
            QStringLiteral("No se puede exportar: la dirección %1 no tiene un byte (%2)")
                .arg(host_.formato.show(static_cast<std::uint32_t>(*image.notAByte)),
                     host_.imagen.cell(kDataColumn, static_cast<int>(*image.notAByte) + 1)));
        return;
    }
    const image::Format format = image::formatOfName(*path).value_or(image::Format::Binary);
    memory_file::write(*path, image::write(format, image.bytes));
}
