#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "engine/Settings.h"
#include "files/FileCommands.h"
#include "image/JobFile.h"

class CommandSet;
class Dialogs;
class ImageChanges;
class ImageCommands;
class QAction;
class QCheckBox;
class QLineEdit;

// What a job reads from the window and sets in it: the memory type and the
// options the window has a place for.
struct NumberFormat;

struct JobWindow {
    const CommandSet& comandos;
    const NumberFormat& formato;
    std::function<void(std::uint8_t tipo)> selectMemoryType;
    QCheckBox& verificar;
    QLineEdit& reintentos;
    QAction& rapida;
    QAction& comprobar;
};

inline const FileDialogOptions kJobDialog{
    QStringLiteral("Trabajos|*.trabajo"), QStringLiteral("*.trabajo"), QString(), false, false,
    QStringLiteral("Abrir trabajo")};
inline const FileDialogOptions kSaveJobDialog{
    QStringLiteral("Trabajos|*.trabajo"), QStringLiteral("*.trabajo"), QString(), false, false,
    QStringLiteral("Guardar trabajo")};
// %1: the job's image file.
inline const QString kTrabajoSinLosCambios = QStringLiteral(
    "La imagen tiene cambios sin guardar que %1 no tiene: el trabajo nombraría un archivo sin "
    "ellos.\n¿Exportar la imagen a un archivo nuevo, con la misma colocación, y que el trabajo "
    "lo nombre?");
inline const QString kGuardeLaImagen = QStringLiteral(
    "Guarde antes la imagen de memoria en un archivo: el trabajo nombra el archivo de su imagen.");

// "Archivo" > "Abrir trabajo…" and "Guardar trabajo…": the memory type, the
// window's options and the image a production job names. What the window
// has no place for (range, serial, counter, record) is kept from the job
// last opened and written back with the next one saved.
class JobCommands {
  public:
    JobCommands(JobWindow window, Dialogs& dialogs, FileCommands& archivos, ImageCommands& imagenes,
                ImageChanges& cambios)
        : form_(std::move(window)),
          dialogs_(dialogs),
          archivos_(archivos),
          imagenes_(imagenes),
          cambios_(cambios) {}

    // A refused job, or one whose image cannot be read, changes nothing.
    // The job is read and checked first; only a job that can be opened asks
    // about the unsaved changes.
    void AbrirTrabajo1Click(const std::function<bool()>& mayDiscardChanges);
    // Nothing is written while the image comes from no file.
    void GuardarTrabajo1Click();

    // The image now comes from this file, or from none.
    void cameFrom(const ImageSource& source) { image_ = source; }
    void forgetImage() { image_.reset(); }

  private:
    struct Plan;
    // What the job changes, every value checked and its image read; nothing
    // when it is refused, the refusal told.
    std::optional<Plan> planOf(const QString& path, const job::Job& job);
    // The job's image read for the memory type it selects; false, the
    // refusal told, when it cannot be.
    bool planImage(const QString& path, Plan& plan);
    void apply(const Plan& plan);

    JobWindow form_;
    Dialogs& dialogs_;
    FileCommands& archivos_;
    ImageCommands& imagenes_;
    ImageChanges& cambios_;
    std::optional<ImageSource> image_;
    // With unsaved edits, the job's image file lacks them: offers to export
    // them first. False when the job is not to be saved now.
    bool imageHoldsTheEdits();
    engine::Settings kept_;
};
