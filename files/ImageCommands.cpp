#include "files/ImageCommands.h"

#include <QFileInfo>
#include <algorithm>
#include <iterator>

#include "device/CommandSet.h"
#include "files/GridBytes.h"
#include "files/MemoryFileIo.h"
#include "image/ImageIo.h"
#include "image/Parse.h"
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

std::optional<std::int64_t> offsetOf(const QString& text) {
    const auto offset = image::parseOffset(text);
    if (image::refusalOf(offset)) return std::nullopt;
    return std::get<std::int64_t>(offset);
}

namespace {
QString offsetRefusal(const QString& offset) {
    return QStringLiteral(
               "el desplazamiento %1 no es un número (decimal, o hexadecimal con 0x, "
               "$ o h, con signo si hace falta)")
        .arg(offset);
}

}  // namespace

FileDialogOptions withOffsetCheck(FileDialogOptions options) {
    options.offsetRefusal = [](const QString& offset) -> std::optional<QString> {
        if (offsetOf(offset)) return std::nullopt;
        QString refusal = offsetRefusal(offset);
        refusal[0] = refusal[0].toUpper();
        return refusal;
    };
    return options;
}

namespace {
bool mapping(const ChosenFile& chosen) {
    return chosen.offset != QLatin1String("0") || chosen.lane != 0 || chosen.swap;
}

// Lane k of n from the index of "Carril"; n = 1 is the whole image.
std::pair<unsigned, unsigned> laneOf(int index) {
    if (index == 1 || index == 2) return {unsigned(index - 1), 2};
    if (index >= 3) return {unsigned(index - 3), 4};
    return {0, 1};
}
}  // namespace

std::optional<image::Placement> placementOf(const ChosenFile& chosen) {
    const auto offset = offsetOf(chosen.offset);
    if (!offset) return std::nullopt;
    const auto [k, n] = laneOf(chosen.lane);
    image::Placement placement{*offset, std::nullopt, chosen.swap, std::nullopt};
    if (n > 1) placement.lane = image::Lane{k, n};
    return placement;
}

std::optional<image::Map> ImageCommands::mapped(const image::Map& map, const ChosenFile& chosen,
                                                bool exporting,
                                                const std::function<void(const QString&)>& refuse) {
    const auto offset = offsetOf(chosen.offset);
    if (!offset) {
        refuse(offsetRefusal(chosen.offset));
        return std::nullopt;
    }
    // The offset is the file's: an import moves first and takes the lane,
    // an export takes the lane and then moves it into the file.
    const auto [k, n] = laneOf(chosen.lane);
    const auto laned = [k = k, n = n](const image::Map& m) {
        return n == 1 ? m : image::lane(m, k, n);
    };
    const image::Map board = chosen.swap ? image::swapped(map) : map;
    auto moved = image::shifted(exporting ? laned(board) : board, *offset);
    if (!moved) {
        refuse(QStringLiteral("el desplazamiento %1 lleva la imagen fuera de las direcciones")
                   .arg(chosen.offset));
        return std::nullopt;
    }
    return exporting ? std::move(*moved) : laned(*moved);
}

void ImageCommands::Importar1Click() {
    const auto chosen = host_.dialogs.openFile(withOffsetCheck(kImportDialog));
    if (!chosen) return;
    // Addresses as the grid shows them.
    const auto gridAddress = [this](std::uint64_t address) {
        return host_.formato.show(static_cast<std::uint32_t>(address));
    };
    const auto loaded = load(*chosen, memorySize(), {}, gridAddress);
    if (const auto* refusal = std::get_if<QString>(&loaded)) return host_.dialogs.message(*refusal);
    show(*chosen, std::get<Imported>(loaded));
}

std::variant<Imported, QString> ImageCommands::load(const ChosenFile& chosen, std::size_t size,
                                                    std::optional<image::Format> format,
                                                    const AddressText& gridAddress) {
    const QString& path = chosen.path;
    const QByteArray file = memory_file::readBytes(path);
    const auto refused = [&](const QString& why) {
        return QStringLiteral("No se puede importar %1:\n%2").arg(memory_file::nameOf(path), why);
    };
    if (!format) format = image::formatOfName(path);
    if (!format) format = image::formatOfContents(file);
    if (!format) return refused(kNotAnImage);
    if (!mapping(chosen) && !chosen.keepRest) {
        image::ReadResult result = image::read(*format, file, size);
        if (result.fault) return refused(result.fault->text(gridAddress));
        const image::Map given = image::readMap(*format, file).map;
        return Imported{std::move(result.bytes),
                        *format,
                        std::nullopt,
                        result.given,
                        given.empty() ? 0 : given.lowest(),
                        given.empty() ? 0 : std::min<std::uint64_t>(given.highest(), size - 1)};
    }
    // What the file gives, placed at the chip's addresses as the command
    // line places it.
    const auto placement = placementOf(chosen);
    if (!placement) return refused(offsetRefusal(chosen.offset));
    auto loaded = image::load(file, *format, *placement, {0, size - 1}, size - 1);
    if (const auto* refusal = image::refusalOf(loaded))
        return refused(refusal->wording(gridAddress));
    const image::Loaded& placed = std::get<image::Loaded>(loaded);
    if (!placed.warnings.isEmpty()) return refused(placed.warnings.constFirst());
    if (placed.outside > 0)
        return refused(QStringLiteral("%1 bytes del archivo quedan fuera de la memoria (la última "
                                      "dirección es %2)")
                           .arg(placed.outside)
                           .arg(gridAddress(size - 1)));
    Imported imported{image::Bytes(size, image::kBlank),
                      *format,
                      std::nullopt,
                      placed.map.size(),
                      placed.map.empty() ? 0 : placed.map.lowest(),
                      placed.map.empty() ? 0 : placed.map.highest()};
    placed.map.forEach([&](std::uint64_t a, std::uint8_t byte) { imported.bytes[a] = byte; });
    if (chosen.keepRest) imported.only = placed.map;
    return imported;
}

void ImageCommands::show(const ChosenFile& chosen, const Imported& imported) {
    const NumberFormat& number = host_.formato;
    host_.imagen.updateColumn(kDataColumn, [&](std::vector<QString>& texts) {
        if (imported.only)
            return imported.only->forEach(
                [&](std::uint64_t a, std::uint8_t byte) { texts[a] = number.show(byte); });
        for (std::size_t a = 0; a < imported.bytes.size(); ++a)
            texts[a] = number.show(imported.bytes[a]);
    });
    host_.cameFrom({chosen.path, image::formatKey(imported.format),
                    offsetOf(chosen.offset).value_or(0), chosen.lane, chosen.swap});
    // The title names where the image came from, as after Abrir.
    host_.setCaption(kCaptionAbierto + memory_file::nameOf(chosen.path));
    host_.note(importSummary(chosen, imported));
}

QString ImageCommands::importSummary(const ChosenFile& chosen, const Imported& imported) const {
    QString summary = QStringLiteral("Importado %1: %2 bytes")
                          .arg(memory_file::nameOf(chosen.path))
                          .arg(imported.given);
    if (chosen.lane > 0) summary += QStringLiteral(", carril ") + kCarriles.value(chosen.lane);
    if (chosen.swap) summary += QStringLiteral(", bytes intercambiados");
    if (imported.given > 0)
        summary +=
            QStringLiteral(", %1–%2").arg(host_.formato.show(std::uint32_t(imported.lowest)),
                                          host_.formato.show(std::uint32_t(imported.highest)));
    return summary;
}

void ImageCommands::Exportar1Click() {
    exportImage(withOffsetCheck(kExportDialog));
}

std::optional<image::Bytes> ImageCommands::exportableBytes() {
    GridBytes image = gridBytes(host_.imagen.column(kDataColumn), memorySize(), host_.formato);
    if (!image.notAByte) return std::move(image.bytes);
    host_.dialogs.message(
        QStringLiteral("No se puede exportar: la dirección %1 no tiene un byte (%2)")
            .arg(host_.formato.show(static_cast<std::uint32_t>(*image.notAByte)),
                 host_.imagen.cell(kDataColumn, static_cast<int>(*image.notAByte) + 1)));
    return std::nullopt;
}

std::optional<ImageSource> ImageCommands::exportForJob(const ImageSource& job,
                                                       const FileDialogOptions& options) {
    const auto chosen = host_.dialogs.saveFile(options);
    if (!chosen) return std::nullopt;
    const auto bytes = exportableBytes();
    if (!bytes) return std::nullopt;
    const ChosenFile placed{job.path, 0, QString::number(job.offset), job.lane, job.swap, false};
    const auto placement = placementOf(placed);
    if (!placement) {
        host_.dialogs.message(
            QStringLiteral("No se puede exportar: %1").arg(offsetRefusal(placed.offset)));
        return std::nullopt;
    }
    // The job's file as it is, the chip's addresses replaced by the grid's
    // bytes: the other lanes of a board stay as they were.
    const image::Format jobFormat =
        image::valueOf(image::parseFormat(job.formato)).value_or(image::Format::Binary);
    const image::Format format =
        image::formatOfName(chosen->path)
            .value_or(jobFormat == image::Format::Memory ? image::Format::Binary : jobFormat);
    image::Map file;
    if (jobFormat != image::Format::Memory && QFileInfo::exists(job.path))
        file = image::readMap(jobFormat, memory_file::readBytes(job.path)).map;
    image::Map chip;
    for (std::size_t a = 0; a < bytes->size(); ++a) chip.put(a, (*bytes)[a]);
    image::toFile(chip, *placement).forEach([&](std::uint64_t a, std::uint8_t byte) {
        file.set(a, byte);
    });
    memory_file::write(chosen->path, image::writeMap(format, file));
    return ImageSource{chosen->path, image::formatKey(format), job.offset, job.lane, job.swap};
}

std::optional<ImageSource> ImageCommands::exportImage(const FileDialogOptions& options) {
    const auto chosen = host_.dialogs.saveFile(options);
    bool refused = false;
    const auto refuse = [&](const QString& why) {
        refused = true;
        host_.dialogs.message(QStringLiteral("No se puede exportar: %1").arg(why));
    };
    if (!chosen) return std::nullopt;
    const QString& path = chosen->path;
    const auto bytes = exportableBytes();
    if (!bytes) return std::nullopt;
    // A name the formats do not know takes the chosen filter's format.
    const int filter =
        std::clamp(chosen->filter, 0, static_cast<int>(std::size(kExportFormats)) - 1);
    const image::Format format = image::formatOfName(path).value_or(kExportFormats[filter]);
    const ImageSource written{path, image::formatKey(format), offsetOf(chosen->offset).value_or(0),
                              chosen->lane, chosen->swap};
    if (!mapping(*chosen)) {
        memory_file::write(path, image::write(format, *bytes));
        return written;
    }
    // A lane writes the chip's bytes; the offset moves them in the file.
    image::Map whole;
    for (std::size_t a = 0; a < bytes->size(); ++a) whole.put(a, (*bytes)[a]);
    const auto chip = mapped(whole, *chosen, true, refuse);
    if (!chip || refused) return std::nullopt;
    memory_file::write(path, image::writeMap(format, *chip));
    return written;
}
