#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "image/ImageFormats.h"
#include "view/ImageSums.h"

struct NumberFormat;

// The grid's texts as bytes of the memory, in the current number format, an
// empty cell as FF (as import fills what a file leaves out, and as a blank
// EPROM reads); or the first address whose text is no byte.
struct GridBytes {
    image::Bytes bytes;
    std::optional<std::size_t> notAByte;
};
GridBytes gridBytes(const std::vector<QString>& texts, std::size_t count,
                    const NumberFormat& format);

// The sums the checksum line shows, of the first count texts (addresses 0 to
// count - 1).
ImageSums imageSums(const std::vector<QString>& texts, std::size_t count,
                    const NumberFormat& format);
