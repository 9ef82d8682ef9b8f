#include "image/ImageFormats.h"

#include <QFileInfo>
#include <algorithm>
#include <array>

namespace image {

namespace {
const QByteArray kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::uint32_t kSegmentMask = 0xFFFF;

ReadResult refused(int line, const QString& what) {
    return {{}, Fault{line, what}};
}

QByteArrayView withoutByteOrderMark(const QByteArray& file) {
    const QByteArrayView view(file);
    return view.startsWith(kByteOrderMark) ? view.sliced(kByteOrderMark.size()) : view;
}

// The file's lines one at a time, without their ends and trailing blanks;
// blank lines come as empty. Nothing is copied: a file of nothing but
// line breaks costs no memory.
class Lines {
  public:
    explicit Lines(const QByteArray& file) : rest_(withoutByteOrderMark(file)) {}

    bool next(QByteArrayView& line) {
        if (done_) return false;
        const qsizetype end = rest_.indexOf('\n');
        done_ = end < 0;
        line = done_ ? rest_ : rest_.first(end);
        if (!done_) rest_ = rest_.sliced(end + 1);
        while (line.endsWith('\r') || line.endsWith(' ') || line.endsWith('\t')) line.chop(1);
        ++number_;
        return true;
    }
    int number() const { return number_; }

  private:
    QByteArrayView rest_;
    bool done_ = false;
    int number_ = 0;
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The bytes written as hexadecimal pairs from position from on.
std::optional<QString> decodePairs(QByteArrayView line, int from, Bytes& out) {
    const int digits = static_cast<int>(line.size()) - from;
    if (digits % 2 != 0) return QStringLiteral("cantidad impar de dígitos");
    out.clear();
    for (int i = from; i < line.size(); i += 2) {
        const int high = hexDigit(line[i]);
        const int low = hexDigit(line[i + 1]);
        if (high < 0 || low < 0) return QStringLiteral("carácter que no es hexadecimal");
        out.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return std::nullopt;
}

std::uint32_t bigEndian(const Bytes& bytes, std::size_t from, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) value = (value << 8) | bytes[from + i];
    return value;
}

Fault pastMemory(int line, std::uint64_t address, std::size_t memorySize) {
    return Fault{line,
                 QStringLiteral("la dirección %1 está fuera de la memoria (la última es %2)"),
                 {address, memorySize - 1}};
}

// Text that a person could have written: printable ASCII, tabs and line
// ends, or UTF-8.
bool isText(QByteArrayView file) {
    for (char c : file) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0x7F ||
            (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f'))
            return false;
    }
    return QUtf8StringView(file.data(), file.size()).isValidUtf8();
}

}  // namespace

QString Fault::text(const std::function<QString(std::uint64_t)>& address) const {
    QString said = what;
    for (const std::uint64_t a : addresses) said = said.arg(address(a));
    return line > 0 ? QStringLiteral("línea %1: %2").arg(line).arg(said) : said;
}

ReadResult readBinary(const QByteArray& file, std::size_t memorySize) {
    const auto size = static_cast<std::size_t>(file.size());
    if (size > memorySize)
        return refused(
            0,
            QStringLiteral("el archivo tiene %1 bytes y la memoria %2").arg(size).arg(memorySize));
    Bytes bytes(memorySize, kBlank);
    std::copy(file.begin(), file.end(), bytes.begin());
    return {std::move(bytes), std::nullopt, size};
}

namespace {
MapRead refusedMap(int line, const QString& what) {
    MapRead read;
    read.fault = Fault{line, what};
    return read;
}

// Gives a file's bytes to its map, minding which line gave which, so that
// two lines that disagree on an address are both named.
class Giver {
  public:
    explicit Giver(MapRead& read) : read_(read) {}

    bool give(std::uint64_t address, std::uint8_t byte, int line) {
        if (!read_.map.put(address, byte)) {
            read_.fault = Fault{line, QStringLiteral("da a la dirección %1 un byte distinto del "
                                                     "de la línea %2")
                                          .arg(hexAddressText(address))
                                          .arg(read_.lineOf(address))};
            return false;
        }
        auto& records = read_.records;
        if (!records.empty() && records.back().line == line &&
            records.back().first + records.back().count == address)
            ++records.back().count;
        else
            records.push_back({address, 1, line});
        return true;
    }

  private:
    MapRead& read_;
};
}  // namespace

MapRead readIntelHexMap(const QByteArray& file) {
    MapRead read;
    Giver giver(read);
    std::uint32_t base = 0;
    bool segmented = false;
    Bytes fields;
    Lines lines(file);
    QByteArrayView line;
    while (lines.next(line)) {
        const int number = lines.number();
        if (line.isEmpty()) continue;
        if (line[0] != ':') return refusedMap(number, QStringLiteral("no empieza con \":\""));
        if (const auto fault = decodePairs(line, 1, fields)) return refusedMap(number, *fault);
        if (fields.size() < 5 || fields.size() != std::size_t{fields[0]} + 5)
            return refusedMap(number,
                              QStringLiteral("la longitud del registro no coincide con su cuenta"));
        const std::uint8_t sum = recordSum(fields);
        if (sum != 0) return refusedMap(number, QStringLiteral("suma de comprobación errónea"));
        const std::size_t count = fields[0];
        const std::uint32_t offset = bigEndian(fields, 1, 2);
        const std::uint8_t type = fields[3];
        const auto needs = [&](std::size_t wanted) { return count == wanted; };
        switch (type) {
            case 0x00:
                for (std::size_t k = 0; k < count; ++k) {
                    // Under an 02 segment the offset wraps inside its 64 KiB.
                    const std::uint64_t address =
                        segmented ? std::uint64_t{base} + ((offset + k) & kSegmentMask)
                                  : std::uint64_t{base} + offset + k;
                    if (!giver.give(address, fields[4 + k], number)) return read;
                }
                break;
            case 0x01:
                return read;
            case 0x02:
                if (!needs(2))
                    return refusedMap(number, QStringLiteral("registro 02 de longitud errónea"));
                base = bigEndian(fields, 4, 2) << 4;
                segmented = true;
                break;
            case 0x04:
                if (!needs(2))
                    return refusedMap(number, QStringLiteral("registro 04 de longitud errónea"));
                base = bigEndian(fields, 4, 2) << 16;
                segmented = false;
                break;
            case 0x03:
            case 0x05:  // start addresses: nothing to program
                break;
            default:
                return refusedMap(number, QStringLiteral("tipo de registro desconocido (%1)")
                                              .arg(type, 2, 16, QLatin1Char('0')));
        }
    }
    read.warnings << QStringLiteral("falta el registro de fin (01)");
    return read;
}

MapRead readSRecordMap(const QByteArray& file) {
    MapRead read;
    Giver giver(read);
    std::uint32_t dataRecords = 0;
    Bytes fields;
    Lines lines(file);
    QByteArrayView line;
    while (lines.next(line)) {
        const int number = lines.number();
        if (line.isEmpty()) continue;
        if (line.size() < 2 || line[0] != 'S' || line[1] < '0' || line[1] > '9')
            return refusedMap(number, QStringLiteral("no empieza con \"S\" y un dígito"));
        const char type = line[1];
        if (const auto fault = decodePairs(line, 2, fields)) return refusedMap(number, *fault);
        if (fields.size() < 3 || fields.size() != std::size_t{fields[0]} + 1)
            return refusedMap(number,
                              QStringLiteral("la longitud del registro no coincide con su cuenta"));
        const std::uint8_t sum = recordSum(fields);
        if (sum != 0xFF) return refusedMap(number, QStringLiteral("suma de comprobación errónea"));
        static constexpr std::array<int, 10> kAddressBytes{2, 2, 3, 4, 0, 2, 3, 4, 3, 2};
        const auto addressBytes = static_cast<std::size_t>(kAddressBytes[type - '0']);
        if (type == '4' || fields.size() < addressBytes + 2)
            return refusedMap(number,
                              QStringLiteral("tipo de registro desconocido (S%1)").arg(type));
        const std::uint32_t address = bigEndian(fields, 1, addressBytes);
        const std::size_t data = 1 + addressBytes;
        const std::size_t count = fields.size() - data - 1;
        switch (type) {
            case '0':
                break;
            case '1':
            case '2':
            case '3':
                ++dataRecords;
                for (std::size_t k = 0; k < count; ++k)
                    if (!giver.give(std::uint64_t{address} + k, fields[data + k], number))
                        return read;
                break;
            case '5':
            case '6':
                if (address != dataRecords)
                    return refusedMap(number,
                                      QStringLiteral("cuenta %1 registros de datos y hay %2")
                                          .arg(address)
                                          .arg(dataRecords));
                break;
            default:  // S7, S8, S9: the end
                return read;
        }
    }
    read.warnings << QStringLiteral("falta el registro de fin (S7, S8 o S9)");
    return read;
}

// The memory a map fills, FF where it says nothing; the line of the first
// record that reaches past it, and a warning, refuse it.
ReadResult placed(MapRead read, std::size_t memorySize) {
    if (read.fault) return {{}, read.fault, 0};
    if (!read.warnings.isEmpty()) return refused(0, read.warnings.constFirst());
    for (const MapRead::Record& record : read.records)
        if (record.first + record.count > memorySize)
            return {{},
                    pastMemory(record.line, std::max<std::uint64_t>(record.first, memorySize),
                               memorySize)};
    Bytes memory(memorySize, kBlank);
    read.map.forEach([&](std::uint64_t address, std::uint8_t byte) { memory[address] = byte; });
    return {std::move(memory), std::nullopt, static_cast<std::size_t>(read.map.size())};
}

ReadResult readIntelHex(const QByteArray& file, std::size_t memorySize) {
    return placed(readIntelHexMap(file), memorySize);
}

ReadResult readSRecord(const QByteArray& file, std::size_t memorySize) {
    return placed(readSRecordMap(file), memorySize);
}

int MapRead::lineOf(std::uint64_t address) const {
    for (const Record& record : records)
        if (address >= record.first && address < record.first + record.count) return record.line;
    return 0;
}

MapRead readMap(Format format, const QByteArray& file) {
    switch (format) {
        case Format::IntelHex:
            return readIntelHexMap(file);
        case Format::SRecord:
            return readSRecordMap(file);
        case Format::Binary:
        case Format::Memory:  // read and written by ImageIo
            break;
    }
    MapRead read;
    for (qsizetype a = 0; a < file.size(); ++a)
        read.map.put(static_cast<std::uint64_t>(a), static_cast<std::uint8_t>(file[a]));
    if (!file.isEmpty()) read.records.push_back({0, static_cast<std::uint64_t>(file.size()), 0});
    return read;
}

ReadResult read(Format format, const QByteArray& file, std::size_t memorySize) {
    switch (format) {
        case Format::IntelHex:
            return readIntelHex(file, memorySize);
        case Format::SRecord:
            return readSRecord(file, memorySize);
        case Format::Binary:
        case Format::Memory:  // read and written by ImageIo
            break;
    }
    return readBinary(file, memorySize);
}

std::optional<Format> formatOfName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const char* s : {"bin", "rom", "img", "dat"})
        if (suffix == QLatin1String(s)) return Format::Binary;
    for (const char* s : {"hex", "ihx", "ihex", "h86"})
        if (suffix == QLatin1String(s)) return Format::IntelHex;
    for (const char* s : {"s19", "s28", "s37", "srec", "mot", "s"})
        if (suffix == QLatin1String(s)) return Format::SRecord;
    return std::nullopt;
}

std::optional<Format> formatOfContents(const QByteArray& file) {
    const QByteArrayView text = withoutByteOrderMark(file);
    qsizetype at = 0;
    while (at < text.size() && QByteArrayView("\r\n \t").contains(text[at])) ++at;
    const QByteArrayView start = text.sliced(at).first(std::min<qsizetype>(2, text.size() - at));
    if (start.startsWith(':')) return Format::IntelHex;
    if (start.size() == 2 && start[0] == 'S' && start[1] >= '0' && start[1] <= '9')
        return Format::SRecord;
    if (!text.isEmpty() && isText(text)) return std::nullopt;
    return Format::Binary;
}

std::uint8_t recordSum(const Bytes& fields) {
    std::uint8_t sum = 0;
    for (std::uint8_t byte : fields) sum = static_cast<std::uint8_t>(sum + byte);
    return sum;
}

std::uint16_t sum16(const Bytes& bytes) {
    std::uint32_t sum = 0;
    for (std::uint8_t byte : bytes) sum += byte;
    return static_cast<std::uint16_t>(sum);
}

std::uint32_t crc32(const Bytes& bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t byte : bytes) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

}  // namespace image
