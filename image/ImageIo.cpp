#include "image/ImageIo.h"

#include <QFileInfo>
#include <algorithm>

#include "image/MemoryFile.h"
#include "image/Parse.h"
#include "image/SafeIo.h"
#include "image/Texts.h"

namespace image {

namespace {
constexpr std::int64_t kLargestByte = 255;
constexpr int kShownCharacters = 40;
// A memory file's line of address a.
constexpr std::uint64_t kFirstDataLine = 2;
constexpr std::uint64_t kLastMemoryFileAddress = memory_file::kMaxKeptLines - 2;

Refusal lineFault(std::uint64_t line, const QString& what) {
    return refused(QStringLiteral("línea %1: %2").arg(line).arg(what));
}

Result<MapRead> readMemoryMap(const QByteArray& bytes) {
    const memory_file::Contents contents = memory_file::parse(bytes);
    if (contents.marker == memory_file::Marker::Other)
        return refused(QStringLiteral("la primera línea es \"%1\" y debe ser \"d\" o \"h\"")
                           .arg(shownText(contents.lines.constFirst().left(kShownCharacters))));
    if (contents.lineTooLong)
        return refused(QStringLiteral("tiene una línea de más de %1 caracteres")
                           .arg(memory_file::kMaxLineLength));
    const bool hexadecimal = contents.marker == memory_file::Marker::Hexadecimal;
    MapRead read;
    for (std::size_t a = 0; a < contents.keptDataLines(); ++a) {
        const QString& text = contents.data(a);
        if (text.isEmpty()) continue;
        const std::uint64_t line = a + kFirstDataLine;
        const auto value = memory_file::numberOfText(text, hexadecimal);
        if (!value)
            return lineFault(line, QStringLiteral("\"%1\" no es un número %2")
                                       .arg(shownText(text.left(kShownCharacters)),
                                            hexadecimal ? QStringLiteral("hexadecimal")
                                                        : QStringLiteral("decimal")));
        if (*value < 0 || *value > kLargestByte)
            return lineFault(line, QStringLiteral("%1 no es un byte").arg(shownText(text)));
        read.map.put(a, static_cast<std::uint8_t>(*value));
    }
    if (contents.firstFilledBeyondKept)
        return lineFault(contents.firstFilledBeyondKept,
                         QStringLiteral("un dato más allá de la línea %1, la última que se lee "
                                        "de un archivo de memoria")
                             .arg(memory_file::kMaxKeptLines));
    return read;
}

// The first chip address past last that a map gives, if any.
std::optional<std::uint64_t> firstPast(const Map& map, std::uint64_t last) {
    if (map.empty() || map.highest() <= last) return std::nullopt;
    for (const auto& [first, bytes] : map.runs())
        if (first + bytes.size() - 1 > last) return std::max(first, last + 1);
    return std::nullopt;
}

QByteArray memoryFileOf(const Map& file, std::uint64_t chipSize) {
    const std::size_t count =
        std::max<std::uint64_t>(chipSize, file.empty() ? 0 : file.highest() + 1);
    std::vector<QString> texts(count);
    file.forEach(
        [&](std::uint64_t address, std::uint8_t byte) { texts[address] = QString::number(byte); });
    return memory_file::format(kMarcaDecimal, texts, count);
}
}  // namespace

std::optional<Format> formatOfPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("mem") || suffix == QLatin1String("txt")) return Format::Memory;
    return formatOfName(path);
}

std::optional<Format> formatOfBytes(const QByteArray& bytes) {
    if (const auto format = formatOfContents(bytes)) return format;
    const memory_file::Marker marker = memory_file::parse(bytes.left(4)).marker;
    if (marker == memory_file::Marker::Decimal || marker == memory_file::Marker::Hexadecimal)
        return Format::Memory;
    return std::nullopt;
}

std::optional<Format> formatOf(const QString& path, const QByteArray& bytes) {
    if (const auto format = formatOfPath(path)) return format;
    return formatOfBytes(bytes);
}

Result<MapRead> readFileMap(Format format, const QByteArray& bytes) {
    if (format == Format::Memory) return readMemoryMap(bytes);
    MapRead read = readMap(format, bytes);
    if (read.fault) return refused(read.fault->text());
    return read;
}

Result<Loaded> load(const QByteArray& bytes, Format format, const Placement& placement, Range range,
                    std::uint64_t chipLast) {
    auto read = readFileMap(format, bytes);
    if (const Refusal* refusal = refusalOf(read)) return *refusal;
    Loaded loaded;
    loaded.warnings = std::get<MapRead>(read).warnings;
    loaded.given = std::get<MapRead>(read).map.size();
    const Map chip = toChip(std::get<MapRead>(read).map, placement, &loaded.outside);
    // A memory file speaks of the memory's own lines: one past its end is a fault.
    if (format == Format::Memory)
        if (const auto past = firstPast(chip, chipLast)) {
            const std::uint64_t line = std::uint64_t(placement.fileAddress(*past)) + kFirstDataLine;
            return Refusal{Refusal::Kind::Usage,
                           QStringLiteral("línea %1: un dato más allá de la última dirección %2")
                               .arg(line)
                               .arg(QStringLiteral("%1")),
                           {chipLast}};
        }
    std::uint64_t pastRange = 0;
    loaded.map = cropped(chip, range.first, range.last, &pastRange);
    loaded.outside += pastRange;
    if (placement.fill)
        for (std::uint64_t a = range.first; a <= range.last; ++a)
            loaded.map.put(a, *placement.fill);
    return loaded;
}

std::optional<Refusal> saveRefusal(Format format, const Placement& placement, Range range) {
    const auto [low, high] = placement.fileSpan(range.first, range.last);
    if (low < 0)
        return Refusal{Refusal::Kind::Usage,
                       QStringLiteral("con el desplazamiento ") + offsetKey(placement.offset) +
                           QStringLiteral(", la dirección %1 de la memoria queda ") +
                           QString::number(-low) +
                           QStringLiteral(" bytes antes del comienzo del archivo"),
                       {range.first}};
    if (format == Format::Binary && high >= safe_io::kMaxInputBytes)
        return refused(QStringLiteral("un archivo binario hasta la dirección %1 pasa de 64 MiB, "
                                      "lo más que se lee de un archivo"),
                       {std::uint64_t(high)});
    if (format == Format::Memory && std::uint64_t(high) > kLastMemoryFileAddress)
        return refused(QStringLiteral("un archivo de memoria hasta la dirección %1 pasa de %2, "
                                      "su última dirección")
                           .arg(QStringLiteral("%1"), hexAddressText(kLastMemoryFileAddress)),
                       {std::uint64_t(high)});
    if (std::uint64_t(high) > kLastAddress)
        return refused(QStringLiteral("la dirección %1 del archivo pasa de 0xFFFFFFFF"),
                       {std::uint64_t(high)});
    return std::nullopt;
}

QByteArray save(const Map& chip, Format format, const Placement& placement, std::uint64_t chipSize,
                const Map* base) {
    Map file = toFile(chip, placement);
    if (base) {
        Map merged = *base;
        file.forEach([&](std::uint64_t address, std::uint8_t byte) { merged.set(address, byte); });
        file = std::move(merged);
    }
    if (format == Format::Memory) return memoryFileOf(file, chipSize);
    return writeMap(format, file);
}

}  // namespace image
