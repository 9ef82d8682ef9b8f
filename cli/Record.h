#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace cli {

// The record a bench keeps with --registro: one CSV line per run, appended
// whole under the file's lock, with the header once at the top, however
// many runs end at the same moment.
class Record {
  public:
    Record() = default;
    ~Record();
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;

    static const QString kCabecera;

    // Opened at the start, so that a record that cannot be kept refuses the
    // run before the programmer is touched. The refusal, or nothing.
    std::optional<QString> open(const QString& path);
    bool isOpen() const { return fd_ >= 0; }
    // The line, ended here; the refusal, or nothing. cancelled ends a wait
    // for the lock or for a reader.
    std::optional<QString> append(const QString& line, const std::function<bool()>& cancelled);

  private:
    int lock(const std::function<bool()>& cancelled);
    QString failure(int error) const;

    int fd_ = -1;
    QString path_;
};

}  // namespace cli
