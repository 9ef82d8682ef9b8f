#pragma once

#include <QString>

#include "files/FileCommands.h"
#include "files/ImageFormats.h"

inline const FileDialogOptions kImageDialog{
    QStringLiteral(
        "Imagen binaria|*.bin|Intel HEX|*.hex;*.ihx|Motorola S-record|*.s19;*.s28;*.s37;*.srec"),
    QStringLiteral("*.bin"), QString()};

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
