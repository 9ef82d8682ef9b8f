// A text reader behind "Importar..." (IMAGE_FORMAT: IntelHex or SRecord): any
// bytes are taken or refused without harm, and an image it takes exports and
// imports back unchanged.
#include <cstdint>
#include <cstdlib>

#include "image/ImageFormats.h"

namespace {
// The size of "Sram 24 Pines" keeps runs fast; the largest keeps 24-bit addresses in play.
constexpr std::size_t kSizes[] = {1024, 131072};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (std::size_t memory : kSizes) {
        const image::ReadResult read = image::read(image::Format::IMAGE_FORMAT, file, memory);
        if (read.fault) {
            if (!read.fault->text().size()) std::abort();
            continue;
        }
        if (read.bytes.size() != memory) std::abort();
        const QByteArray written = image::write(image::Format::IMAGE_FORMAT, read.bytes);
        const image::ReadResult again = image::read(image::Format::IMAGE_FORMAT, written, memory);
        if (again.fault || again.bytes != read.bytes) std::abort();
    }
    return 0;
}
