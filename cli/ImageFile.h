#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

#include "cli/Arguments.h"
#include "files/ImageFormats.h"

// The files the command line reads and writes: the trade's three image
// formats and the window's memory files.
namespace cli {

// By the file's extension; nothing for one no format knows.
std::optional<FileFormat> formatOfPath(const QString& path);

struct LoadedImage {
    image::Bytes bytes;  // the whole memory, FF where the file says nothing
    std::optional<QString> fault;
    std::size_t given = 0;  // the bytes the file gave
};

// A binary file holds the bytes from address first on; the other formats
// say their own addresses. A memory file's empty line is 0, as programming
// it from the window makes it.
LoadedImage loadImage(const QByteArray& file, FileFormat format, std::size_t memorySize,
                      std::uint32_t first);

// The bytes of first..last of the memory as a file of the format.
QByteArray saveImage(FileFormat format, const image::Bytes& memory, std::uint32_t first,
                     std::uint32_t last);

}  // namespace cli
