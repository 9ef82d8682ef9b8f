#pragma once

#include <QString>
#include <functional>

#include "view/Dialogs.h"

class AddressGridModel;
class CommandSet;
struct NumberFormat;

inline const QString kErrorEnElArchivo = QStringLiteral("Error en el archivo");
inline const QString kCaptionAbierto = QStringLiteral("Programador de Memorias: T.VELAR -: ");
inline const QString kCaptionGuardado = QStringLiteral("ProgramAdor de Memorias: T.VELAR  (");

inline const FileDialogOptions kOpenDialog{
    QStringLiteral("Archivos de Memoria|*.mem|Archivos de texto|*.txt"), QStringLiteral("*.mem"),
    QString()};
inline const FileDialogOptions kSaveDialog{QStringLiteral("Archivos de Memoria|*.mem"),
                                           QStringLiteral("*.mem"), QStringLiteral("*.mem")};

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

  private:
    FileHost host_;
};
