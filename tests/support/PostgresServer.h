#pragma once

#include <unistd.h>

#include <QProcess>
#include <QTemporaryDir>

// A real PostgreSQL server for a test: a fresh cluster in a temporary
// folder, made and run as the postgres user (initdb refuses root), reached
// through a Unix socket only, and stopped at the end.
class PostgresServer {
  public:
    PostgresServer() {
        if (::geteuid() != 0 || !QFile::exists(bin("initdb"))) return;
        folder_.setAutoRemove(true);
        QProcess::execute(QStringLiteral("chown"), {QStringLiteral("postgres"), folder_.path()});
        ready_ = as({bin("initdb"), "-D", data(), "-A", "trust", "-U", "postgres"}) &&
                 as({bin("pg_ctl"), "-D", data(), "-o",
                     "-k " + folder_.path() + " -c listen_addresses=''", "-l",
                     folder_.filePath("log"), "-w", "start"}) &&
                 as({bin("createdb"), "-h", folder_.path(), "linea"});
    }
    ~PostgresServer() {
        if (ready_) as({bin("pg_ctl"), "-D", data(), "-m", "immediate", "-w", "stop"});
    }
    bool ready() const { return ready_; }
    QString uri(const QString& database = QStringLiteral("linea")) const {
        return QStringLiteral("postgresql:///%1?host=%2&user=postgres")
            .arg(database, folder_.path());
    }
    // psql's answer to a query, unaligned and without headers.
    QString query(const QString& sql, const QString& database = QStringLiteral("linea")) const {
        QProcess psql;
        psql.start(bin("psql"),
                   {"-h", folder_.path(), "-U", "postgres", "-At", "-c", sql, database});
        psql.waitForFinished();
        return QString::fromUtf8(psql.readAllStandardOutput()).trimmed();
    }

  private:
    static QString bin(const char* name) {
        return QStringLiteral("/usr/lib/postgresql/15/bin/") + QLatin1String(name);
    }
    QString data() const { return folder_.filePath(QStringLiteral("datos")); }
    bool as(const QStringList& command) const {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(QStringLiteral("runuser"), QStringList{"-u", "postgres", "--"} + command);
        return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    QTemporaryDir folder_{QStringLiteral("/tmp/programador-pg-XXXXXX")};
    bool ready_ = false;
};
