#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "image/ImageMap.h"

// Memory images as the trade exchanges them: raw binary, Intel HEX and
// Motorola S-records. Readers take a file's bytes and the memory's size and
// give the whole memory, FF where the file says nothing (a blank EPROM's
// value), or the line and the fault that refuse the file.
namespace image {

using Bytes = std::vector<std::uint8_t>;

// A memory file is the window's own: a marker line, then a line per address.
enum class Format { Binary, IntelHex, SRecord, Memory };

struct Fault {
    int line = 0;  // 0: the file as a whole
    QString what;
    // The addresses what names as %1, %2...: each front end writes them its way.
    std::vector<std::uint64_t> addresses = {};
    // "línea 12: suma de comprobación errónea", or the fault alone; the
    // addresses as 0x0FFF unless told otherwise.
    QString text(const std::function<QString(std::uint64_t)>& address = hexAddressText) const;
};

struct ReadResult {
    Bytes bytes;
    std::optional<Fault> fault;
    // How many bytes the file gave (a byte given twice counts twice).
    std::size_t given = 0;
};

constexpr std::uint8_t kBlank = 0xFF;

// A file read as a map: the bytes it gives at the addresses it gives, where
// each came from, and what was taken with a warning (a missing end record).
struct MapRead {
    Map map;
    std::optional<Fault> fault;
    QStringList warnings;
    // Consecutive bytes of one line, in the file's order; a binary file's
    // bytes are one record of line 0.
    struct Record {
        std::uint64_t first;
        std::uint64_t count;
        int line;
    };
    std::vector<Record> records;
    int lineOf(std::uint64_t address) const;
};
MapRead readMap(Format format, const QByteArray& file);

ReadResult readBinary(const QByteArray& file, std::size_t memorySize);
ReadResult readIntelHex(const QByteArray& file, std::size_t memorySize);
ReadResult readSRecord(const QByteArray& file, std::size_t memorySize);
ReadResult read(Format format, const QByteArray& file, std::size_t memorySize);

constexpr int kHexBytesPerLine = 16;
constexpr int kSRecordBytesPerLine = 16;

// The writers take the bytes of consecutive addresses from base on.
QByteArray writeBinary(const Bytes& bytes);
// Data records of kHexBytesPerLine, extended linear addresses above 64 KiB.
QByteArray writeIntelHex(const Bytes& bytes, std::uint32_t base = 0);
// S0 header, then S1 up to 64 KiB, S2 up to 16 MiB, S3 beyond; the record
// count (S5 or S6) and the matching end record (S9, S8 or S7).
QByteArray writeSRecord(const Bytes& bytes, std::uint32_t base = 0);
QByteArray write(Format format, const Bytes& bytes, std::uint32_t base = 0);
// A map's runs at their addresses, with one end; a binary file from 0, FF in
// its gaps.
QByteArray writeMap(Format format, const Map& map);

// By the name's extension; nothing for a name the formats do not know.
std::optional<Format> formatOfName(const QString& path);
// By the first bytes after a byte-order mark and blank lines: ':' Intel HEX,
// 'S' and a digit S-records; nothing for other text, which no memory image
// is; else binary.
std::optional<Format> formatOfContents(const QByteArray& file);

// The low byte of the sum of a record's bytes: what both text formats check.
std::uint8_t recordSum(const Bytes& fields);

// The 16-bit sum of all bytes, as EPROM programmers print it, and the CRC-32
// as zlib computes it.
std::uint16_t sum16(const Bytes& bytes);
std::uint32_t crc32(const Bytes& bytes);

}  // namespace image
