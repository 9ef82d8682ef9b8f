// The writers of the trade's formats, over one block of bytes or a map.
#include <algorithm>

#include "image/ImageFormats.h"

namespace image {

namespace {
const QByteArray kLineEnd = "\r\n";
const QByteArray kSRecordHeader = "programador";

void appendHexByte(QByteArray& out, std::uint8_t byte) {
    static const char digits[] = "0123456789ABCDEF";
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

// A record's bytes as hexadecimal, after its start.
QByteArray record(const QByteArray& start, const Bytes& fields) {
    QByteArray line = start;
    line.reserve(start.size() + 2 * static_cast<qsizetype>(fields.size()) + 2);
    for (std::uint8_t byte : fields) appendHexByte(line, byte);
    return line + kLineEnd;
}

void appendBigEndian(Bytes& fields, std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i)
        fields.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Intel HEX: count, address, type, data, then the two's complement of the sum.
QByteArray hexRecord(std::uint8_t type, std::uint16_t address, const std::uint8_t* data,
                     std::size_t count) {
    Bytes fields{static_cast<std::uint8_t>(count)};
    appendBigEndian(fields, address, 2);
    fields.push_back(type);
    fields.insert(fields.end(), data, data + count);
    fields.push_back(static_cast<std::uint8_t>(-recordSum(fields)));
    return record(":", fields);
}

// S-record: count of the bytes that follow, address, data, then the ones'
// complement of their sum.
QByteArray sRecord(char type, std::uint32_t address, int addressBytes, const std::uint8_t* data,
                   std::size_t count) {
    Bytes fields{static_cast<std::uint8_t>(addressBytes + count + 1)};
    appendBigEndian(fields, address, addressBytes);
    fields.insert(fields.end(), data, data + count);
    fields.push_back(static_cast<std::uint8_t>(~recordSum(fields)));
    return record(QByteArray("S") + type, fields);
}
}  // namespace

QByteArray writeBinary(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

namespace {
QByteArray intelHexOfRuns(const Map::Runs& runs) {
    QByteArray out;
    std::size_t total = 0;
    for (const auto& [first, bytes] : runs) total += bytes.size();
    out.reserve(static_cast<qsizetype>(total / kHexBytesPerLine + 8 * runs.size() + 8) * 45);
    std::uint32_t segment = 0;
    for (const auto& [base, bytes] : runs) {
        for (std::size_t at = 0; at < bytes.size();) {
            const std::uint64_t address = base + at;
            const auto upper = static_cast<std::uint32_t>(address >> 16);
            if (upper != segment) {
                segment = upper;
                const std::uint8_t value[2] = {static_cast<std::uint8_t>(upper >> 8),
                                               static_cast<std::uint8_t>(upper)};
                out += hexRecord(0x04, 0, value, 2);
            }
            // A record never crosses a 64 KiB boundary.
            const std::size_t toBoundary = 0x10000 - (address & 0xFFFF);
            const std::size_t count =
                std::min({std::size_t{kHexBytesPerLine}, bytes.size() - at, toBoundary});
            out += hexRecord(0x00, static_cast<std::uint16_t>(address & 0xFFFF), bytes.data() + at,
                             count);
            at += count;
        }
    }
    out += hexRecord(0x01, 0, nullptr, 0);
    return out;
}

QByteArray sRecordsOfRuns(const Map::Runs& runs) {
    std::uint64_t end = 0;
    std::size_t total = 0;
    for (const auto& [first, bytes] : runs) {
        end = std::max<std::uint64_t>(end, first + bytes.size());
        total += bytes.size();
    }
    const int addressBytes = end <= 0x10000 ? 2 : end <= 0x1000000 ? 3 : 4;
    const char dataType = static_cast<char>('0' + addressBytes - 1);
    const char endType = static_cast<char>('0' + 11 - addressBytes);
    QByteArray out;
    out.reserve(static_cast<qsizetype>(total / kSRecordBytesPerLine + runs.size() + 8) * 48);
    out += sRecord('0', 0, 2, reinterpret_cast<const std::uint8_t*>(kSRecordHeader.constData()),
                   static_cast<std::size_t>(kSRecordHeader.size()));
    std::uint32_t records = 0;
    for (const auto& [base, bytes] : runs) {
        for (std::size_t at = 0; at < bytes.size(); at += kSRecordBytesPerLine, ++records) {
            const std::size_t count =
                std::min<std::size_t>(kSRecordBytesPerLine, bytes.size() - at);
            out += sRecord(dataType, static_cast<std::uint32_t>(base + at), addressBytes,
                           bytes.data() + at, count);
        }
    }
    if (records <= 0xFFFF)
        out += sRecord('5', records, 2, nullptr, 0);
    else
        out += sRecord('6', records, 3, nullptr, 0);
    out += sRecord(endType, 0, addressBytes, nullptr, 0);
    return out;
}

Map::Runs oneRun(const Bytes& bytes, std::uint32_t base) {
    Map::Runs runs;
    if (!bytes.empty()) runs.emplace(base, bytes);
    return runs;
}
}  // namespace

QByteArray writeIntelHex(const Bytes& bytes, std::uint32_t base) {
    return intelHexOfRuns(oneRun(bytes, base));
}

QByteArray writeSRecord(const Bytes& bytes, std::uint32_t base) {
    return sRecordsOfRuns(oneRun(bytes, base));
}

QByteArray writeMap(Format format, const Map& map) {
    switch (format) {
        case Format::IntelHex:
            return intelHexOfRuns(map.runs());
        case Format::SRecord:
            return sRecordsOfRuns(map.runs());
        case Format::Binary:
        case Format::Memory:  // read and written by ImageIo
            break;
    }
    // A binary file has no gaps: they are written as a blank chip holds them.
    Bytes dense(map.empty() ? 0 : map.highest() + 1, kBlank);
    map.forEach([&](std::uint64_t address, std::uint8_t byte) { dense[address] = byte; });
    return writeBinary(dense);
}

QByteArray write(Format format, const Bytes& bytes, std::uint32_t base) {
    switch (format) {
        case Format::IntelHex:
            return writeIntelHex(bytes, base);
        case Format::SRecord:
            return writeSRecord(bytes, base);
        case Format::Binary:
        case Format::Memory:  // read and written by ImageIo
            break;
    }
    return writeBinary(bytes);
}

}  // namespace image
