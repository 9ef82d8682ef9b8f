#pragma once

#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <variant>
#include <vector>

#include "cli/Record.h"
#include "engine/SerialNumber.h"

class QSqlDatabase;

namespace cli {

// --base ARCHIVO.sqlite: the record and the serial numbers of a bench in an
// embedded database (SQLite, WAL, synchronous writes). A number lives in
// the table numeros_serie with its sequence, its state, the bench and the
// session that holds it:
//   reservado -> grabando -> grabado (in one transaction with the chip's row)
//                         -> anulado (a row interrumpido, difiere or error)
//   reservado -> devuelto (no byte of it was sent; the next chip takes it)
// A session holds a lock file beside the database for its whole run; the
// reservations of a session whose lock is free are settled at the next
// start: reserved numbers given back, burning ones voided with a row.
class LineDatabase {
  public:
    LineDatabase();
    ~LineDatabase();
    LineDatabase(const LineDatabase&) = delete;
    LineDatabase& operator=(const LineDatabase&) = delete;

    struct Refusal {
        int exitCode;
        QString message;
    };
    // Opens or makes the database, takes this session's lock and settles
    // the dead sessions' numbers; what it settled goes to tell.
    std::optional<Refusal> open(const QString& path, const QString& sequence,
                                const std::optional<engine::SerialLayout>& layout,
                                const std::function<void(const QString&)>& tell);

    // Numbers for the next chips, each reserved in one transaction.
    std::optional<QString> take(std::size_t chips,
                                std::vector<std::optional<std::uint64_t>>& numbers);
    std::optional<QString> burning(std::uint64_t number);
    // The chip's row, and its number burned, voided or given back, in one
    // transaction. Safe from any thread: each has its own connection.
    std::optional<QString> commit(const RecordEntry& entry, std::optional<std::uint64_t> number,
                                  bool correct);

    // Every chip's row, as column name to text, for the statistics; nothing
    // is made or settled. The failure, or nothing.
    std::optional<QString> readRows(const QString& destination,
                                    std::vector<std::map<QString, QString>>& rows);

    // A chip's row that could not reach the database, kept in a local file
    // replayed at the next start; the file's name, or the failure.
    std::optional<QString> spool(const RecordEntry& entry, QString& spoolPath);

    static bool isSqliteFile(const QString& destination) {
        return destination.endsWith(QLatin1String(".sqlite"), Qt::CaseInsensitive);
    }
    static bool isDatabase(const QString& destination) {
        return isSqliteFile(destination) ||
               destination.startsWith(QLatin1String("postgresql://")) ||
               destination.startsWith(QLatin1String("postgres://"));
    }

    // A PostgreSQL URI as Qt's driver takes it: host (or socket folder),
    // port, database, user, and the other keywords as connection options.
    struct Server {
        QString host;
        int port = 0;
        QString database;
        QString user;
        QString options;
        QString shown;  // the destination without what it must not say
    };
    static std::variant<Server, QString> serverOf(const QString& uri);

  private:
    QSqlDatabase connection();
    bool postgres() const;
    std::optional<QString> begin(QSqlDatabase& db);
    bool sessionDead(const QString& session);
    std::optional<QString> makeSchema();
    void settleDeadSessions(const std::function<void(const QString&)>& tell);
    std::optional<QString> insertRow(QSqlDatabase& db, const QStringList& fields);
    void replaySpool(const std::function<void(const QString&)>& tell);
    QString failure(const QString& what) const;

    QString destination_;
    QString path_;
    Server server_;
    QString sequence_;
    QString session_;
    QString bench_;
    std::optional<engine::SerialLayout> layout_;
    int lockFd_ = -1;
    std::mutex mutex_;
    std::vector<std::uint64_t> burning_;
};

}  // namespace cli
