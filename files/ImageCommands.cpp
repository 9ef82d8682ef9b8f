#include "files/ImageCommands.h"

#include <algorithm>
#include <iterator>

#include "device/CommandSet.h"
#include "files/GridBytes.h"
#include "files/MemoryFileIo.h"
#include "view/AddressGridModel.h"
#include "view/Errors.h"
#include "view/NumberFormat.h"

namespace {
const QString kNotAnImage = QStringLiteral(
    "es un archivo de texto, pero no Intel HEX ni S-record.\n"
    "Si es una imagen binaria, dele la extensión .bin.");
}  // namespace

QString formatoName(image::Format format) {
    switch (format) {
        case image::Format::Binary:
            return QStringLiteral("bin");
        case image::Format::IntelHex:
            return QStringLiteral("hex");
        case image::Format::SRecord:
            break;
    }
    return QStringLiteral("srec");
}

std::optional<image::Format> formatoNamed(const QString& name) {
    for (const image::Format format :
         {image::Format::Binary, image::Format::IntelHex, image::Format::SRecord})
        if (name.compare(formatoName(format), Qt::CaseInsensitive) == 0) return format;
    return std::nullopt;
}

std::size_t ImageCommands::memorySize() const {
    return std::size_t{host_.comandos.type().maxdir} + 1;
}

std::optional<std::int64_t> offsetOf(const QString& text) {
    const bool negative = text.startsWith(u'-');
    QString digits = negative || text.startsWith(u'+') ? text.mid(1) : text;
    const bool hexadecimal = digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    if (hexadecimal) digits = digits.mid(2);
    bool ok = !digits.isEmpty() && !digits.contains(u' ') && !digits.startsWith(u'+');
    const qulonglong value = ok ? digits.toULongLong(&ok, hexadecimal ? 16 : 10) : 0;
    if (!ok || value > image::kLastAddress) return std::nullopt;
    return negative ? -std::int64_t(value) : std::int64_t(value);
}

namespace {
bool mapping(const ChosenFile& chosen) {
    return chosen.offset != QLatin1String("0") || chosen.lane != 0;
}

// Lane k of n from the index of "Carril"; n = 1 is the whole image.
std::pair<unsigned, unsigned> laneOf(int index) {
    if (index == 1 || index == 2) return {unsigned(index - 1), 2};
    if (index >= 3) return {unsigned(index - 3), 4};
    return {0, 1};
}
}  // namespace

std::optional<image::Map> ImageCommands::mapped(const image::Map& map, const ChosenFile& chosen,
                                                bool exporting,
                                                const std::function<void(const QString&)>& refuse) {
    const auto offset = offsetOf(chosen.offset);
    if (!offset) {
        refuse(QStringLiteral("el desplazamiento %1 no es un número (decimal, o hexadecimal con "
                              "0x, con signo si hace falta)")
                   .arg(chosen.offset));
        return std::nullopt;
    }
    // The offset is the file's: an import moves first and takes the lane,
    // an export takes the lane and then moves it into the file.
    const auto [k, n] = laneOf(chosen.lane);
    const auto laned = [k = k, n = n](const image::Map& m) {
        return n == 1 ? m : image::lane(m, k, n);
    };
    auto moved = image::shifted(exporting ? laned(map) : map, *offset);
    if (!moved) {
        refuse(QStringLiteral("el desplazamiento %1 lleva la imagen fuera de las direcciones")
                   .arg(chosen.offset));
        return std::nullopt;
    }
    return exporting ? std::move(*moved) : laned(*moved);
}

void ImageCommands::Importar1Click() {
    const auto chosen = host_.dialogs.openFile(kImportDialog);
    if (!chosen) return;
    const auto loaded = load(*chosen, memorySize());
    if (const auto* refusal = std::get_if<QString>(&loaded)) return host_.dialogs.message(*refusal);
    show(*chosen, std::get<Imported>(loaded));
}

std::variant<Imported, QString> ImageCommands::load(const ChosenFile& chosen, std::size_t size,
                                                    std::optional<image::Format> format) {
    const QString& path = chosen.path;
    const QByteArray file = memory_file::readBytes(path);
    const auto refused = [&](const QString& why) {
        return QStringLiteral("No se puede importar %1:\n%2").arg(memory_file::nameOf(path), why);
    };
    if (!format) format = image::formatOfName(path);
    if (!format) format = image::formatOfContents(file);
    if (!format) return refused(kNotAnImage);
    image::ReadResult result =
        mapping(chosen) ? image::ReadResult{} : image::read(*format, file, size);
    if (result.fault) return refused(result.fault->text());
    if (mapping(chosen)) {
        // What the file gives, moved and laned to the chip's addresses; FF
        // where it says nothing.
        image::MapRead read = image::readMap(*format, file);
        if (read.fault) return refused(read.fault->text());
        if (!read.warnings.isEmpty()) return refused(read.warnings.constFirst());
        QString refusal;
        const auto chip =
            mapped(read.map, chosen, false, [&](const QString& why) { refusal = refused(why); });
        if (!chip) return refusal;
        if (!chip->empty() && chip->highest() >= size)
            return refused(QStringLiteral("la dirección 0x%1 está fuera de la memoria (la última "
                                          "es 0x%2)")
                               .arg(QString::number(chip->highest(), 16).toUpper(),
                                    QString::number(size - 1, 16).toUpper()));
        result = {image::Bytes(size, image::kBlank), std::nullopt, 0};
        chip->forEach([&](std::uint64_t a, std::uint8_t byte) { result.bytes[a] = byte; });
    }
    return Imported{std::move(result.bytes), *format};
}

void ImageCommands::show(const ChosenFile& chosen, const Imported& imported) {
    const NumberFormat& number = host_.formato;
    host_.imagen.updateColumn(kDataColumn, [&](std::vector<QString>& texts) {
        for (std::size_t a = 0; a < imported.bytes.size(); ++a)
            texts[a] = number.show(imported.bytes[a]);
    });
    host_.cameFrom({chosen.path, formatoName(imported.format), offsetOf(chosen.offset).value_or(0),
                    chosen.lane});
}

void ImageCommands::Exportar1Click() {
    const auto chosen = host_.dialogs.saveFile(kExportDialog);
    const auto refuse = [&](const QString& why) {
        host_.dialogs.message(QStringLiteral("No se puede exportar: %1").arg(why));
    };
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
    if (!mapping(*chosen)) return memory_file::write(path, image::write(format, image.bytes));
    // A lane writes the chip's bytes; the offset moves them in the file.
    image::Map whole;
    for (std::size_t a = 0; a < image.bytes.size(); ++a) whole.put(a, image.bytes[a]);
    const auto chip = mapped(whole, *chosen, true, refuse);
    if (chip) memory_file::write(path, image::writeMap(format, *chip));
}
