#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

// A job file of a production bench: a small UTF-8 INI file naming the chip
// type, the image and the options of a programming job. The texts are the
// command line's own; the reader checks only the key names and the booleans,
// the rest is checked by whoever uses them.
namespace job {

// The keys a job holds, in the order they are written.
inline const QStringList kKeys = {"tipo",         "imagen",       "formato",  "desplazamiento",
                                  "carril",       "intercambiar", "rellenar", "rango",
                                  "verificacion", "reintentos",   "rapida",   "comprobacion",
                                  "serie",        "contador",     "registro", "sello"};

struct Job {
    // The keys the file gives, each with its text, in the order of kKeys. The
    // paths (imagen, contador, registro) are absolute once read: a relative
    // one is taken from the job file's folder.
    std::vector<std::pair<QString, QString>> values;
    std::optional<QString> value(const QString& key) const;
    void set(const QString& key, const QString& text);  // replaces or appends in kKeys order
};

// The job, or a Spanish refusal naming the file (and the key when one is at fault).
std::variant<Job, QString> read(const QString& path);
// Why a job may not be written at path: it is the job's image, or an
// existing file that is no job (an image, a record). Nothing when it may.
std::optional<QString> overwriteRefusal(const QString& path, const QString& image);
// Writes the whole file anew (atomically: a temporary file renamed over it,
// as files/SafeIo's writePath does), paths written relative to the job's
// folder when they lie beneath it. The refusal, or nothing.
std::optional<QString> write(const QString& path, const Job& job);

}  // namespace job
