// The memory file reader (open and compare read through it): any bytes are
// taken or refused without harm, and what it takes writes back to itself.
#include <cstdint>
#include <cstdlib>

#include "image/MemoryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const memory_file::Contents file = memory_file::parse(bytes);
    if (file.marker == memory_file::Marker::None) {
        if (!file.lines.isEmpty() || !bytes.isEmpty()) std::abort();
        return 0;
    }
    std::vector<QString> data_lines;
    for (std::size_t a = 0; a < file.dataLines(); ++a) data_lines.push_back(file.data(a));
    const QByteArray written =
        memory_file::format(file.lines.first(), data_lines, data_lines.size());
    if (memory_file::parse(written).lines != file.lines) std::abort();
    return 0;
}
