#include "cli/LineDatabase.h"

#include <fcntl.h>
#include <libpq-fe.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QThread>
#include <QUuid>
#include <QVariant>
#include <limits>

#include "cli/LineSql.h"
#include "cli/Messages.h"

namespace cli {

using namespace line_sql;

namespace {
constexpr int kSchemaVersion = 1;
constexpr int kSinProgramador = 3;
constexpr int kUsoInvalido = 2;
constexpr int kBusyTimeoutMs = 10000;
}  // namespace

std::variant<LineDatabase::Server, QString> LineDatabase::serverOf(const QString& uri) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(uri.toUtf8().constData(), &error);
    if (!options) {
        const QString why = error ? QString::fromUtf8(error).trimmed() : QString();
        PQfreemem(error);
        return QStringLiteral("--base: %1 no es un destino de PostgreSQL válido%2")
            .arg(shown(uri), why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(shown(why)));
    }
    Server server;
    QStringList rest;
    std::optional<QString> refusal;
    for (PQconninfoOption* option = options; option->keyword; ++option) {
        if (!option->val || !*option->val) continue;
        const QString key = QString::fromUtf8(option->keyword);
        const QString value = QString::fromUtf8(option->val);
        if (key == QLatin1String("password"))
            refusal = QStringLiteral(
                "--base: la contraseña no va en el destino (la vería "
                "cualquiera): use PGPASSWORD o ~/.pgpass");
        else if (key == QLatin1String("host"))
            server.host = value;
        else if (key == QLatin1String("port"))
            server.port = value.toInt();
        else if (key == QLatin1String("dbname"))
            server.database = value;
        else if (key == QLatin1String("user"))
            server.user = value;
        else if (value.contains(u';') || value.contains(u' '))
            refusal = QStringLiteral("--base: el controlador de Qt no puede llevar %1=%2")
                          .arg(key, shown(value));
        else
            rest << key + u'=' + value;
    }
    PQconninfoFree(options);
    if (refusal) return *refusal;
    server.options = rest.join(u';');
    server.shown = QStringLiteral("postgresql://%1%2%3/%4")
                       .arg(server.user.isEmpty() ? QString() : server.user + u'@',
                            server.host.startsWith(u'/') ? QString() : server.host,
                            server.port > 0 ? QStringLiteral(":%1").arg(server.port) : QString(),
                            server.database);
    return server;
}

LineDatabase::LineDatabase() = default;

LineDatabase::~LineDatabase() {
    const QStringList names = QSqlDatabase::connectionNames();
    for (const QString& name : names)
        if (name.startsWith(QStringLiteral("linea-") + session_)) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
    if (lockFd_ >= 0) {
        QFile::remove(sessionsFolder(path_) + u'/' + session_ + QStringLiteral(".lock"));
        ::close(lockFd_);
    }
}

bool LineDatabase::postgres() const {
    return !destination_.isEmpty() && !isSqliteFile(destination_);
}

std::optional<QString> LineDatabase::begin(QSqlDatabase& db) {
    if (!postgres()) return run(db, QStringLiteral("BEGIN IMMEDIATE"));
    if (const auto failed = run(db, QStringLiteral("BEGIN"))) return failed;
    // One writer of numbers at a time, in every bench of the line.
    return run(db, QStringLiteral("LOCK TABLE numeros_serie IN SHARE ROW EXCLUSIVE MODE"));
}

// A session's lock is free when the run that held it is gone: a file lock
// beside an SQLite base, an advisory lock held by a PostgreSQL connection.
bool LineDatabase::sessionDead(const QString& session) {
    if (postgres()) {
        QSqlQuery probe(connection());
        probe.prepare(QStringLiteral("SELECT pg_try_advisory_lock(?)"));
        probe.addBindValue(session.toLongLong());
        if (!probe.exec() || !probe.next() || !probe.value(0).toBool()) return false;
        QSqlQuery release(connection());
        release.prepare(QStringLiteral("SELECT pg_advisory_unlock(?)"));
        release.addBindValue(session.toLongLong());
        (void)release.exec();
        return true;
    }
    const QString lock = sessionsFolder(path_) + u'/' + session + QStringLiteral(".lock");
    const int fd =
        ::open(QFile::encodeName(lock).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    // No lock file: the session never ran here, or was settled; dead.
    if (fd < 0) return true;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    if (free) QFile::remove(lock);
    return free;
}

QString LineDatabase::failure(const QString& what) const {
    return QStringLiteral("La base %1 no responde: %2").arg(shown(path_), shown(what));
}

QSqlDatabase LineDatabase::connection() {
    // A connection of Qt's belongs to the thread that made it: a gang's
    // workers each have their own.
    const QString name =
        QStringLiteral("linea-%1-%2").arg(session_).arg(quintptr(QThread::currentThreadId()));
    if (QSqlDatabase::contains(name)) return QSqlDatabase::database(name);
    if (postgres()) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(server_.host);
        if (server_.port > 0) db.setPort(server_.port);
        db.setDatabaseName(server_.database);
        db.setUserName(server_.user);
        db.setConnectOptions(server_.options);
        // The server's notices are English and for its administrator.
        if (db.open()) (void)run(db, QStringLiteral("SET client_min_messages TO WARNING"));
        return db;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path_);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (db.open()) {
        // Durable: WAL, and every commit on the disk before it returns.
        (void)run(db, QStringLiteral("PRAGMA journal_mode=WAL"));
        (void)run(db, QStringLiteral("PRAGMA synchronous=FULL"));
    }
    return db;
}

std::optional<LineDatabase::Refusal> LineDatabase::open(
    const QString& path, const QString& sequence, const std::optional<engine::SerialLayout>& layout,
    const std::function<void(const QString&)>& tell) {
    destination_ = path;
    sequence_ = sequence;
    layout_ = layout;
    bench_ = QSysInfo::machineHostName();
    if (postgres()) {
        auto server = serverOf(path);
        if (const auto* refusal = std::get_if<QString>(&server))
            return Refusal{kUsoInvalido, *refusal};
        server_ = std::get<Server>(server);
        path_ = server_.shown;
        // A random 63-bit key: the session's advisory lock and its name in the rows.
        session_ = QString::number(QRandomGenerator::system()->generate64() >> 1);
    } else {
        path_ = QFileInfo(path).absoluteFilePath();
        session_ = QUuid::createUuid().toString(QUuid::WithoutBraces);
    }
    const QString driver = postgres() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
    if (!QSqlDatabase::isDriverAvailable(driver))
        return Refusal{kSinProgramador,
                       QStringLiteral("No se puede usar la base %1: falta el controlador %2 de Qt "
                                      "(paquete %3)")
                           .arg(shown(path_), driver,
                                postgres() ? QStringLiteral("libqt6sql6-psql")
                                           : QStringLiteral("libqt6sql6-sqlite"))};
    QSqlDatabase db = connection();
    if (!db.isOpen()) return Refusal{kSinProgramador, failure(db.lastError().databaseText())};
    if (const auto failed = makeSchema()) return Refusal{kSinProgramador, *failed};
    if (postgres()) {
        QSqlQuery hold(db);
        hold.prepare(QStringLiteral("SELECT pg_advisory_lock(?)"));
        hold.addBindValue(session_.toLongLong());
        if (const auto failed = run(hold)) return Refusal{kSinProgramador, failure(*failed)};
        replaySpool(tell);
        settleDeadSessions(tell);
        return std::nullopt;
    }
    if (!QDir().mkpath(sessionsFolder(path_)))
        return Refusal{
            kUsoInvalido,
            QStringLiteral("No se puede crear la carpeta %1").arg(shown(sessionsFolder(path_)))};
    const QString lock = sessionsFolder(path_) + u'/' + session_ + QStringLiteral(".lock");
    lockFd_ = ::open(QFile::encodeName(lock).constData(),
                     O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (lockFd_ < 0 || ::flock(lockFd_, LOCK_EX | LOCK_NB) != 0)
        return Refusal{kUsoInvalido,
                       QStringLiteral("No se puede crear el bloqueo %1").arg(shown(lock))};
    replaySpool(tell);
    settleDeadSessions(tell);
    return std::nullopt;
}

std::optional<QString> LineDatabase::insertRow(QSqlDatabase& db, const QStringList& fields) {
    QSqlQuery row(db);
    row.prepare(QStringLiteral("INSERT INTO memorias (%1) VALUES (%2)")
                    .arg(kColumns.mid(0, fields.size()).join(u','),
                         QStringList(fields.size(), QStringLiteral("?")).join(u',')));
    for (const QString& field : fields) row.addBindValue(field);
    return run(row);
}

std::optional<QString> LineDatabase::spool(const RecordEntry& entry, QString& spoolPath) {
    spoolPath = path_ + QStringLiteral(".pendiente");
    QStringList fields = entry.fields();
    fields << entry.trabajo << bench_ + u'/' + entry.programador;
    QJsonArray array;
    for (const QString& field : fields) array.append(field);
    const QByteArray line = QJsonDocument(array).toJson(QJsonDocument::Compact) + '\n';
    QFile file(spoolPath);
    if (!file.open(QIODevice::Append) || file.write(line) != line.size() || !file.flush() ||
        ::fdatasync(file.handle()) != 0)
        return QStringLiteral("No se puede guardar la línea en %1").arg(shown(spoolPath));
    return std::nullopt;
}

void LineDatabase::replaySpool(const std::function<void(const QString&)>& tell) {
    const QString spoolPath = path_ + QStringLiteral(".pendiente");
    QFile file(spoolPath);
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) return;
    const QList<QByteArray> lines = file.readAll().split('\n');
    QSqlDatabase db = connection();
    if (begin(db)) return;
    int replayed = 0;
    for (const QByteArray& line : lines) {
        const QJsonArray array = QJsonDocument::fromJson(line).array();
        if (array.isEmpty()) continue;
        QStringList fields;
        for (const QJsonValue& value : array) fields << value.toString();
        if (insertRow(db, fields.mid(0, kColumns.size()))) {
            (void)run(db, QStringLiteral("ROLLBACK"));
            return;
        }
        ++replayed;
    }
    if (run(db, QStringLiteral("COMMIT"))) return;
    file.remove();
    if (replayed > 0)
        tell(QStringLiteral("%1 de %2 pasaron a la base")
                 .arg(counted(replayed, "línea pendiente", "líneas pendientes"), shown(spoolPath)));
}

std::optional<QString> LineDatabase::readRows(const QString& destination,
                                              std::vector<std::map<QString, QString>>& rows) {
    destination_ = destination;
    session_ = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (postgres()) {
        auto server = serverOf(destination);
        if (const auto* refusal = std::get_if<QString>(&server)) return *refusal;
        server_ = std::get<Server>(server);
        path_ = server_.shown;
    } else {
        path_ = QFileInfo(destination).absoluteFilePath();
        if (!QFileInfo(path_).isFile())
            return QStringLiteral("No existe la base %1").arg(shown(destination));
    }
    QSqlDatabase db = connection();
    if (!db.isOpen()) return failure(db.lastError().databaseText());
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT %1 FROM memorias ORDER BY id").arg(kColumns.join(u','))))
        return failure(query.lastError().databaseText());
    while (query.next()) {
        std::map<QString, QString> row;
        for (qsizetype i = 0; i < kColumns.size(); ++i)
            row[kColumns[i]] = query.value(int(i)).toString();
        rows.push_back(std::move(row));
    }
    return std::nullopt;
}

std::optional<QString> LineDatabase::makeSchema() {
    QSqlDatabase db = connection();
    if (const auto failed = postgres() ? run(db, QStringLiteral("BEGIN")) : begin(db))
        return failure(*failed);
    QStringList columns;
    for (const QString& column : kColumns) columns << column + QStringLiteral(" TEXT");
    const QString id = postgres() ? QStringLiteral("BIGSERIAL PRIMARY KEY")
                                  : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    const QString number = postgres() ? QStringLiteral("BIGINT") : QStringLiteral("INTEGER");
    QStringList statements = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS esquema (version INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS memorias (id %1, %2)")
            .arg(id, columns.join(QStringLiteral(", "))),
        QStringLiteral("CREATE TABLE IF NOT EXISTS secuencias (nombre TEXT PRIMARY KEY, "
                       "siguiente %1 NOT NULL)")
            .arg(number),
        QStringLiteral("CREATE TABLE IF NOT EXISTS numeros_serie (secuencia TEXT NOT NULL, numero "
                       "%1 NOT NULL, estado TEXT NOT NULL, puesto TEXT, sesion TEXT, fecha "
                       "TEXT, UNIQUE (secuencia, numero))")
            .arg(number)};
    // Benches that start together make the tables once.
    if (postgres()) statements.prepend(QStringLiteral("SELECT pg_advisory_xact_lock(7210)"));
    for (const QString& statement : statements)
        if (const auto failed = run(db, statement)) {
            (void)run(db, QStringLiteral("ROLLBACK"));
            return failure(*failed);
        }
    QSqlQuery version(db);
    version.exec(QStringLiteral("SELECT MAX(version) FROM esquema"));
    const int found = version.next() && !version.value(0).isNull() ? version.value(0).toInt() : 0;
    version.finish();
    if (found > kSchemaVersion) {
        (void)run(db, QStringLiteral("ROLLBACK"));
        return QStringLiteral(
                   "La base %1 es de una versión más nueva del programa (esquema %2; "
                   "este conoce hasta el %3)")
            .arg(shown(path_))
            .arg(found)
            .arg(kSchemaVersion);
    }
    if (found == 0)
        (void)run(db,
                  QStringLiteral("INSERT INTO esquema (version) VALUES (%1)").arg(kSchemaVersion));
    if (const auto failed = run(db, QStringLiteral("COMMIT"))) return failure(*failed);
    return std::nullopt;
}

}  // namespace cli
