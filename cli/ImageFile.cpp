#include "cli/ImageFile.h"

#include <QFileInfo>

#include "cli/Messages.h"
#include "files/MemoryFile.h"
#include "view/Errors.h"
#include "view/NumberFormat.h"

namespace cli {

namespace {
constexpr std::int32_t kLargestByte = 255;

LoadedMap refused(const QString& fault) {
    LoadedMap loaded;
    loaded.fault = fault;
    return loaded;
}

// A memory file gives the addresses of its lines that are not empty.
LoadedMap loadMemoryFile(const QByteArray& file, std::size_t memorySize) {
    const memory_file::Contents contents = memory_file::parse(file);
    if (contents.marker == memory_file::Marker::Other)
        return refused(QStringLiteral("la primera línea es \"%1\" y debe ser \"d\" o \"h\"")
                           .arg(shown(contents.lines.constFirst().left(40))));
    if (contents.lineTooLong)
        return refused(QStringLiteral("tiene una línea de más de %1 caracteres")
                           .arg(memory_file::kMaxLineLength));
    NumberFormat format;
    format.hexa = contents.marker == memory_file::Marker::Hexadecimal ? 1 : 0;
    const QString base = format.hexa ? QStringLiteral("hexadecimal") : QStringLiteral("decimal");
    const auto past = [&](std::size_t line) {
        return refused(
            QStringLiteral("línea %1: un dato más allá de la última dirección %2")
                .arg(line)
                .arg(hexAddress(memorySize - 1, static_cast<std::uint32_t>(memorySize - 1))));
    };
    LoadedMap loaded;
    for (std::size_t a = 0; a < contents.keptDataLines(); ++a) {
        const QString& text = contents.data(a);
        if (text.isEmpty()) continue;
        const std::size_t line = a + 2;
        if (a >= memorySize) return past(line);
        std::int32_t value = 0;
        try {
            value = format.read(text);
        } catch (const ConversionError&) {
            return refused(QStringLiteral("línea %1: \"%2\" no es un número %3")
                               .arg(line)
                               .arg(shown(text.left(40)), base));
        }
        if (value < 0 || value > kLargestByte)
            return refused(QStringLiteral("línea %1: %2 no es un byte").arg(line).arg(shown(text)));
        loaded.map.put(a, static_cast<std::uint8_t>(value));
    }
    if (contents.firstFilledBeyondKept) return past(contents.firstFilledBeyondKept);
    return loaded;
}

QByteArray saveMemoryFile(const image::Bytes& memory, std::uint32_t first, std::uint32_t last) {
    std::vector<QString> texts(memory.size());
    for (std::size_t a = first; a <= last; ++a) texts[a] = QString::number(memory[a]);
    return memory_file::format(kMarcaDecimal, texts, memory.size());
}
}  // namespace

std::optional<FileFormat> formatOfPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("mem") || suffix == QLatin1String("txt")) return FileFormat::Memory;
    switch (image::formatOfName(path).value_or(image::Format::Binary)) {
        case image::Format::IntelHex:
            return FileFormat::IntelHex;
        case image::Format::SRecord:
            return FileFormat::SRecord;
        case image::Format::Binary:
            break;
    }
    if (image::formatOfName(path)) return FileFormat::Binary;
    return std::nullopt;
}

LoadedMap loadMap(const QByteArray& file, FileFormat format, std::size_t memorySize) {
    if (format == FileFormat::Memory) return loadMemoryFile(file, memorySize);
    const auto kind = format == FileFormat::IntelHex  ? image::Format::IntelHex
                      : format == FileFormat::SRecord ? image::Format::SRecord
                                                      : image::Format::Binary;
    image::MapRead read = image::readMap(kind, file);
    if (read.fault) return refused(read.fault->text());
    LoadedMap loaded;
    loaded.map = std::move(read.map);
    loaded.warnings = read.warnings;
    return loaded;
}

QByteArray saveMap(FileFormat format, const image::Map& map, std::size_t memorySize) {
    switch (format) {
        case FileFormat::Memory: {
            const std::size_t count =
                std::max<std::size_t>(memorySize, map.empty() ? 0 : map.highest() + 1);
            std::vector<QString> texts(count);
            map.forEach([&](std::uint64_t address, std::uint8_t byte) {
                texts[address] = QString::number(byte);
            });
            return memory_file::format(kMarcaDecimal, texts, count);
        }
        case FileFormat::IntelHex:
            return image::writeMap(image::Format::IntelHex, map);
        case FileFormat::SRecord:
            return image::writeMap(image::Format::SRecord, map);
        case FileFormat::Binary:
            break;
    }
    if (map.empty()) return {};
    // The bytes from the lowest address given on, FF in the gaps.
    image::Bytes dense(map.highest() - map.lowest() + 1, image::kBlank);
    map.forEach(
        [&](std::uint64_t address, std::uint8_t byte) { dense[address - map.lowest()] = byte; });
    return image::writeBinary(dense);
}

QByteArray saveImage(FileFormat format, const image::Bytes& memory, std::uint32_t first,
                     std::uint32_t last) {
    if (format == FileFormat::Memory) return saveMemoryFile(memory, first, last);
    const image::Bytes range(memory.begin() + first, memory.begin() + last + 1);
    switch (format) {
        case FileFormat::IntelHex:
            return image::writeIntelHex(range, first);
        case FileFormat::SRecord:
            return image::writeSRecord(range, first);
        default:
            break;
    }
    return image::writeBinary(range);
}

}  // namespace cli
