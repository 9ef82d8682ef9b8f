#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "image/ImageFormats.h"
#include "image/ImageMap.h"
#include "image/Placement.h"
#include "image/Refusal.h"

// From a file's bytes to a chip's and back, the one way both front ends use:
//
//   file bytes -> reader (Format) -> map at the file's addresses
//              -> Placement (offset, swap, lane) -> map at the chip's addresses
//              -> range (and fill) -> what is programmed or compared
//
// and, for a read, the same chain backwards. A file's addresses are the
// image's addresses both ways: a binary file's byte i is address i.
namespace image {

struct Range {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::uint64_t size() const { return last - first + 1; }
};

// By the name's extension (".mem" and ".txt" are memory files); nothing for
// one no format knows.
std::optional<Format> formatOfPath(const QString& path);
// By the first bytes: Intel HEX, S-records, a memory file's marker, or
// binary; nothing for other text, which no image is.
std::optional<Format> formatOfBytes(const QByteArray& bytes);
// The name first, then the contents.
std::optional<Format> formatOf(const QString& path, const QByteArray& bytes);

// A file read as a map at its own addresses. A memory file gives the
// addresses of its lines that are not empty.
Result<MapRead> readFileMap(Format format, const QByteArray& bytes);

struct Loaded {
    // At the chip's addresses, inside the range; with a fill byte, every
    // address of the range.
    Map map;
    QStringList warnings;
    // The bytes the file gave, wherever they landed.
    std::uint64_t given = 0;
    // The file's bytes that landed outside the range.
    std::uint64_t outside = 0;
};
// A file's bytes placed on a chip whose last address is chipLast. A memory
// file may not give a byte past the chip's last address once placed.
Result<Loaded> load(const QByteArray& bytes, Format format, const Placement& placement, Range range,
                    std::uint64_t chipLast);

// Why the range cannot be written with the placement, before any byte is
// read: a file address below 0, a binary file past the readers' bound, a
// memory file past the lines a reader keeps.
std::optional<Refusal> saveRefusal(Format format, const Placement& placement, Range range);
// The chip's bytes as a file: at the addresses the placement gives them,
// over base (the file's other addresses, kept) when there is one. A binary
// file starts at address 0, FF before and between; a memory file has a line
// for every address of the chip at least.
QByteArray save(const Map& chip, Format format, const Placement& placement, std::uint64_t chipSize,
                const Map* base = nullptr);

}  // namespace image
