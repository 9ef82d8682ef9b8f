#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <variant>

#include "files/FileCommands.h"
#include "image/ImageFormats.h"
#include "image/Placement.h"

// Every importable file shown at first; then one format at a time, and any file.
inline const FileDialogOptions kImportDialog{
    QStringLiteral("Imágenes de memoria|*.bin;*.rom;*.img;*.hex;*.ihx;*.s19;*.s28;*.s37;*.srec|"
                   "Imagen binaria|*.bin;*.rom;*.img|Intel HEX|*.hex;*.ihx|"
                   "Motorola S-record|*.s19;*.s28;*.s37;*.srec|Todos los archivos|*"),
    QString(),
    QString(),
    true,
    true,
    QStringLiteral("Importar")};
// One filter per format, in the order of kExportFormats.
inline const FileDialogOptions kExportDialog{
    QStringLiteral("Imagen binaria|*.bin;*.rom;*.img|Intel HEX|*.hex;*.ihx|"
                   "Motorola S-record|*.s19;*.s28;*.s37;*.srec"),
    QStringLiteral("*.bin"),
    QString(),
    true,
    false,
    QStringLiteral("Exportar")};
inline constexpr image::Format kExportFormats[] = {image::Format::Binary, image::Format::IntelHex,
                                                   image::Format::SRecord};

// "0", "4096", "-0xE000": an offset as typed in the dialog or a job file
// gives it; nothing when it is no number or leaves the addresses.
std::optional<std::int64_t> offsetOf(const QString& text);
// The dialog's options, with "Desplazamiento" refused before it closes
// when it is no number.
FileDialogOptions withOffsetCheck(FileDialogOptions options);
// The chosen file's placement on the chip; nothing for an offset that is no number.
std::optional<image::Placement> placementOf(const ChosenFile& chosen);

// A file's bytes at the chip's addresses, and the format they were read in:
// the whole memory (FF where the file says nothing), or with "Conservar el
// resto de la imagen" only the addresses the file gives.
struct Imported {
    image::Bytes bytes;
    image::Format format;
    std::optional<image::Map> only;
    // What the file gave, for the status line: its bytes and their span.
    std::uint64_t given = 0;
    std::uint64_t lowest = 0, highest = 0;
};

// "Archivo" > "Importar..." and "Exportar...": the memory image to and from
// the formats of other tools. A refused file leaves the grid as it was; a
// refused export writes nothing.
class ImageCommands {
  public:
    explicit ImageCommands(FileHost host) : host_(std::move(host)) {}

    void Importar1Click();
    void Exportar1Click();
    // The grid's image written where and as the dialog chooses; what was
    // written, or nothing when nothing was.
    std::optional<ImageSource> exportImage(const FileDialogOptions& options);
    // The grid's image put back through a job's placement into a copy of
    // the job's file, under the name chosen: read with the same placement,
    // it gives the grid again.
    std::optional<ImageSource> exportForJob(const ImageSource& job,
                                            const FileDialogOptions& options);
    // The chosen file's bytes for a memory of size bytes, read in format or
    // in the one its name or contents tell; or the refusal to show, its
    // addresses written by address. Throws IoError when the file cannot be read.
    using AddressText = std::function<QString(std::uint64_t)>;
    static std::variant<Imported, QString> load(const ChosenFile& chosen, std::size_t size,
                                                std::optional<image::Format> format = {},
                                                const AddressText& address = image::hexAddressText);
    // The bytes as the image, in the current number format.
    void show(const ChosenFile& chosen, const Imported& imported);
    // "Importado placa.hex: 1024 bytes, carril par, 0–1023", addresses in
    // the grid's number format.
    QString importSummary(const ChosenFile& chosen, const Imported& imported) const;

  private:
    // The grid's bytes to export, or nothing after saying which address has none.
    std::optional<image::Bytes> exportableBytes();
    std::size_t memorySize() const;
    // The file's bytes at the chip's addresses, as "Desplazamiento" and
    // "Carril" say; nothing, the refusal told, when they cannot be.
    static std::optional<image::Map> mapped(const image::Map& map, const ChosenFile& chosen,
                                            bool exporting,
                                            const std::function<void(const QString&)>& refuse);

    FileHost host_;
};
