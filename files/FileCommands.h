#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "image/MemoryFile.h"
#include "view/Dialogs.h"

class AddressGridModel;
class CommandSet;
struct NumberFormat;

inline const QString kErrorEnElArchivo = QStringLiteral("Error en el archivo");
inline const QString kCaptionAbierto = QStringLiteral("Programador de Memorias: T.VELAR -: ");
inline const QString kCaptionGuardado = QStringLiteral("ProgramAdor de Memorias: T.VELAR  (");

// A memory file's format as job files name it.
inline const QString kFormatoMemoria = QStringLiteral("mem");

inline const FileDialogOptions kOpenDialog{
    QStringLiteral("Archivos de Memoria|*.mem|Archivos de texto|*.txt"), QStringLiteral("*.mem"),
    QString()};
inline const FileDialogOptions kSaveDialog{QStringLiteral("Archivos de Memoria|*.mem"),
                                           QStringLiteral("*.mem"), QStringLiteral("*.mem")};

// The file the image in the grid came from, its format ("mem", "bin", "hex"
// or "srec") and how its bytes were moved to the chip's addresses.
struct ImageSource {
    QString path;
    QString formato;
    std::int64_t offset = 0;
    int lane = 0;  // an index into kCarriles
    bool swap = false;
};

// What opening and saving change in the main window.
struct FileHost {
    AddressGridModel& imagen;
    const NumberFormat& formato;
    const CommandSet& comandos;
    Dialogs& dialogs;
    std::function<void(bool hexadecimal)> selectFormat;
    std::function<void(const QString&)> setCaption;
    std::function<void()> organiza;
    // A word on the status line about what was just done ("" for none).
    std::function<void(const QString&)> note;
    // The image now comes from a file: opened, imported or saved.
    std::function<void(const ImageSource&)> cameFrom;
};

// The status line's note after opening a file with more data lines than
// the memory type has addresses ("" when it has none more).
QString linesBeyondNote(std::size_t dataLines, std::size_t addresses);

// "Archivo" > "Abrir" and "Guardar": the memory image to and from a file.
// A refused or unreadable file leaves the image as it was, and a failed save
// leaves the old file as it was.
class FileCommands {
  public:
    explicit FileCommands(FileHost host) : host_(std::move(host)) {}

    // True when the file became the image, or the image the file.
    bool Abrir1Click();
    bool Guardar1Click();
    // A memory file's lines; nothing, "Error en el archivo" told, when the
    // file is no memory file. Throws IoError when it cannot be read.
    std::optional<memory_file::Contents> load(const QString& path);
    // The file's lines as the image, and the caption naming the file.
    void show(const QString& path, const memory_file::Contents& file);

  private:
    FileHost host_;
};
