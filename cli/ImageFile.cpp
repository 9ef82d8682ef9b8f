#include "cli/ImageFile.h"

#include <QFileInfo>

#include "cli/Messages.h"
#include "files/MemoryFile.h"
#include "view/Errors.h"
#include "view/NumberFormat.h"

namespace cli {

namespace {
constexpr std::int32_t kLargestByte = 255;

LoadedImage refused(const QString& fault) {
    return {{}, fault, 0};
}

LoadedImage loadBinary(const QByteArray& file, std::size_t memorySize, std::uint32_t first) {
    const auto size = static_cast<std::size_t>(file.size());
    if (first + size > memorySize)
        return refused(QStringLiteral("el archivo tiene %1 bytes y desde la dirección %2 caben %3")
                           .arg(size)
                           .arg(hexAddress(first, static_cast<std::uint32_t>(memorySize - 1)))
                           .arg(memorySize - first));
    image::Bytes bytes(memorySize, image::kBlank);
    std::copy(file.begin(), file.end(), bytes.begin() + first);
    return {std::move(bytes), std::nullopt, size};
}

LoadedImage loadMemoryFile(const QByteArray& file, std::size_t memorySize) {
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
    image::Bytes bytes(memorySize, image::kBlank);
    std::size_t given = 0;
    const std::size_t lines = std::min(contents.keptDataLines(), memorySize);
    for (std::size_t a = 0; a < lines; ++a) {
        const QString& text = contents.data(a);
        const int line = static_cast<int>(a) + 2;
        std::int32_t value = 0;
        try {
            value = text.isEmpty() ? 0 : format.read(text);
        } catch (const ConversionError&) {
            return refused(QStringLiteral("línea %1: \"%2\" no es un número %3")
                               .arg(line)
                               .arg(shown(text.left(40)), base));
        }
        if (value < 0 || value > kLargestByte)
            return refused(QStringLiteral("línea %1: %2 no es un byte").arg(line).arg(shown(text)));
        bytes[a] = static_cast<std::uint8_t>(value);
        given += !text.isEmpty();
    }
    return {std::move(bytes), std::nullopt, given};
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

LoadedImage loadImage(const QByteArray& file, FileFormat format, std::size_t memorySize,
                      std::uint32_t first) {
    switch (format) {
        case FileFormat::Binary:
            return loadBinary(file, memorySize, first);
        case FileFormat::Memory:
            return loadMemoryFile(file, memorySize);
        case FileFormat::IntelHex:
        case FileFormat::SRecord:
            break;
    }
    const auto kind =
        format == FileFormat::IntelHex ? image::Format::IntelHex : image::Format::SRecord;
    image::ReadResult read = image::read(kind, file, memorySize);
    if (read.fault) return refused(read.fault->text());
    return {std::move(read.bytes), std::nullopt, read.given};
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
