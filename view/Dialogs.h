#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// What a file dialog is set up with. The filter is written as pairs of
// "description|pattern" joined by "|".
struct FileDialogOptions {
    QString filter;
    QString defaultSuffix;
    QString fileName;
    // The fields "Desplazamiento", "Carril" and "Intercambiar bytes" under
    // the file's name.
    bool imageMapping = false;
    // And "Conservar el resto de la imagen", for an import.
    bool keepRestField = false;
    // The window's title; empty, the system's own ("Abrir", "Guardar como").
    QString title = QString();
    // Why "Desplazamiento" cannot be taken, told beside the field before the
    // dialog closes, so that nothing chosen must be chosen again.
    std::function<std::optional<QString>(const QString&)> offsetRefusal = {};
};

// The lanes "Carril" offers: all of the image, then par, impar, and 0 to 3 of 4.
inline const QStringList kCarriles = {QStringLiteral("todos"),  QStringLiteral("par"),
                                      QStringLiteral("impar"),  QStringLiteral("0 de 4"),
                                      QStringLiteral("1 de 4"), QStringLiteral("2 de 4"),
                                      QStringLiteral("3 de 4")};

// A file chosen in a dialog, which of the dialog's filters was chosen with
// it (0 the first), and with image mapping, the offset as typed and the
// lane (an index into kCarriles).
struct ChosenFile {
    QString path;
    int filter = 0;
    QString offset = QStringLiteral("0");
    int lane = 0;
    bool swap = false;
    // Only the file's addresses change; the rest of the image stays.
    bool keepRest = false;
};

// What the user does with changes that were not saved.
enum class Unsaved { Guardar, Descartar, Cancelar };

// Every modal message, the standard error box and every file dialog. The
// program shows Qt's; tests install a recorder.
class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // A modal box with an OK button.
    virtual void message(const QString& text) = 0;
    // The application's standard error box (the caller adds the full stop).
    virtual void errorBox(const QString& text) = 0;
    // Save, discard or cancel; Enter and ESC cancel.
    // Its first two buttons may say what they do here ("Exportar…").
    virtual Unsaved askUnsaved(const QString& text, const QString& keep = QStringLiteral("Guardar"),
                               const QString& drop = QStringLiteral("Descartar")) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> openFileName(const FileDialogOptions& options) = 0;
    // An open dialog that also tells what its fields say.
    virtual std::optional<ChosenFile> openFile(const FileDialogOptions& options) = 0;
    virtual std::optional<QString> saveFileName(const FileDialogOptions& options) = 0;
    // A save dialog that also tells the chosen filter.
    virtual std::optional<ChosenFile> saveFile(const FileDialogOptions& options) = 0;
};

class QtDialogs : public Dialogs {
  public:
    void message(const QString& text) override;
    void errorBox(const QString& text) override;
    Unsaved askUnsaved(const QString& text, const QString& keep = QStringLiteral("Guardar"),
                       const QString& drop = QStringLiteral("Descartar")) override;
    std::optional<QString> openFileName(const FileDialogOptions& options) override;
    std::optional<ChosenFile> openFile(const FileDialogOptions& options) override;
    std::optional<QString> saveFileName(const FileDialogOptions& options) override;
    std::optional<ChosenFile> saveFile(const FileDialogOptions& options) override;

  private:
    std::optional<ChosenFile> chooseFile(const FileDialogOptions& options, bool save);
    // Within a run, every file dialog starts where the last one ended.
    QString lastFolder_;
};

// "A|*.a|B|*.b" as Qt writes it: "A (*.a);;B (*.b)".
QString qtFilter(const QString& filter);

// The program writes no settings file: what Qt's file dialogs would keep
// between runs (history, last folder, view) goes nowhere.
void keepNoSettings();
