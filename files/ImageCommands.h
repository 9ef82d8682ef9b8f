#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "files/FileCommands.h"
#include "files/ImageFormats.h"

inline const FileDialogOptions kImageDialog{
    QStringLiteral(
        "Imagen binaria|*.bin|Intel HEX|*.hex;*.ihx|Motorola S-record|*.s19;*.s28;*.s37;*.srec"),
    QStringLiteral("*.bin"), QString()};

// The grid's texts as bytes of the memory, in the current number format, an
// empty cell as 0 (as when programming); or the first address whose text is
// no byte.
struct GridBytes {
    image::Bytes bytes;
    std::optional<std::size_t> notAByte;
};
GridBytes gridBytes(const std::vector<QString>& texts, std::size_t count,
                    const NumberFormat& format);

// "Archivo" > "Importar..." and "Exportar...": the memory image to and from
// the formats of other tools. A refused file leaves the grid as it was; a
// refused export writes nothing.
class ImageCommands {
  public:
    explicit ImageCommands(FileHost host) : host_(std::move(host)) {}

    void Importar1Click();
    void Exportar1Click();

  private:
    std::size_t memorySize() const;

    FileHost host_;
};
