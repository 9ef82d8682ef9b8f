#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "cli/Arguments.h"
#include "files/ImageFormats.h"

// The files the command line reads and writes: the trade's three image
// formats and the window's memory files.
namespace cli {

// By the file's extension; nothing for one no format knows.
std::optional<FileFormat> formatOfPath(const QString& path);

struct LoadedMap {
    image::Map map;
    std::optional<QString> fault;
    QStringList warnings;
};

// The bytes a file gives at the addresses it gives: a binary file from
// address 0 on, Intel HEX and S-records at their records' addresses, a
// memory file at its lines that are not empty (none past memorySize).
LoadedMap loadMap(const QByteArray& file, FileFormat format, std::size_t memorySize);

// A map as a file of the format: binary from its lowest address on.
QByteArray saveMap(FileFormat format, const image::Map& map, std::size_t memorySize);

// The bytes of first..last of the memory as a file of the format.
QByteArray saveImage(FileFormat format, const image::Bytes& memory, std::uint32_t first,
                     std::uint32_t last);

}  // namespace cli
