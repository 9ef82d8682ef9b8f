#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace cli {

// One chip's line of the record, as its columns' texts.
struct RecordEntry {
    // The first eight columns, as the record has always had them.
    QString fecha, tipo, orden, rango, crc32, resultado, diferencias, segundos;
    // What tells chips and benches apart.
    QString lote, secuencia, serie, operario, equipo, version, programador, imagen;
    QString modo, verificacion, reintentos, comprobacion;
    QString primeraDiferencia, diagnostico;
    // The result as a record of the first eight columns named it.
    QString resultadoAntiguo;
    // The seal of the job the chip was made under: a CSV column only in a
    // record begun with it.
    QString trabajo;

    QStringList fields() const;
};

// The record a bench keeps with --registro: one CSV line per chip, appended
// whole under the file's lock, with the header once at the top, however
// many runs end at the same moment. A record goes on with the columns it
// was begun with (the first eight, those before the seal, or all), so
// that the scripts reading it keep working.
class Record {
  public:
    Record() = default;
    ~Record();
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;

    static const QString kCabecera;
    static const QString kCabeceraAntigua;
    // What a new record begins with: every column and the job's seal.
    static const QString kCabeceraSellada;

    // Opened at the start, so that a record that cannot be kept refuses the
    // run before the programmer is touched. The refusal, or nothing.
    std::optional<QString> open(const QString& path);
    bool isOpen() const { return fd_ >= 0; }
    // The line, ended here; the refusal, or nothing. cancelled ends a wait
    // for the lock or for a reader.
    std::optional<QString> append(const RecordEntry& entry, const std::function<bool()>& cancelled);
    // Told once when an append must wait for another program's lock.
    void onWaiting(std::function<void(const QString&)> tell) { waiting_ = std::move(tell); }

  private:
    int lock(const std::function<bool()>& cancelled);
    int columnsOfHeader() const;
    bool endsLine(qint64 size) const;
    QString failure(int error) const;

    int fd_ = -1;
    QString path_;
    std::function<void(const QString&)> waiting_;
};

}  // namespace cli
