#pragma once

#include <QElapsedTimer>
#include <QJsonObject>
#include <QString>
#include <map>
#include <mutex>

#include "cli/Record.h"

class QIODevice;

namespace cli {

// --json: the run as JSON Lines on standard output, one object a line, each
// with "esquema": 1 and its "evento":
//   inicio    the order, the memory type and the programmers
//   progreso  a programmer's percent and state, at most ten a second each
//   memoria   one per chip, keyed by the record's column names
//   fin       "salida", the exit code
// Words for people stay on standard error. Safe from a gang's threads.
class JsonEvents {
  public:
    JsonEvents(QIODevice& out, bool closed) : out_(out), closed_(closed) {}

    void start(const QString& order, const QString& type, const QStringList& programmers);
    void progress(const QString& programmer, int percent, const QString& state);
    void memory(const RecordEntry& entry);
    void end(int exitCode);

  private:
    void write(QJsonObject object);

    QIODevice& out_;
    bool closed_;
    std::mutex mutex_;
    std::map<QString, QElapsedTimer> lastProgress_;
};

}  // namespace cli
