#include "cli/LineDatabase.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QThread>
#include <QUuid>
#include <QVariant>
#include <limits>

#include "cli/Messages.h"

namespace cli {

namespace {
constexpr int kSchemaVersion = 1;
constexpr int kSinProgramador = 3;
constexpr int kUsoInvalido = 2;
constexpr int kBusyTimeoutMs = 10000;
const QString kDriver = QStringLiteral("QSQLITE");

const QStringList kColumns = {
    "fecha",     "tipo",         "orden",       "rango",        "crc32",     "resultado",
    "diferencias", "segundos",   "lote",        "secuencia",    "serie",     "operario",
    "equipo",    "version",      "programador", "imagen",       "modo",      "verificacion",
    "reintentos", "comprobacion", "primera_diferencia", "diagnostico", "trabajo", "puesto"};

QString now() {
    return QDateTime::currentDateTime().toOffsetFromUtc(QDateTime::currentDateTime().offsetFromUtc())
        .toString(Qt::ISODateWithMs);
}

// A statement run, or the reason it failed.
std::optional<QString> run(QSqlQuery& query) {
    if (query.exec()) return std::nullopt;
    return query.lastError().databaseText();
}

std::optional<QString> run(QSqlDatabase db, const QString& statement) {
    QSqlQuery query(db);
    if (query.exec(statement)) return std::nullopt;
    return query.lastError().databaseText();
}

QString sessionsFolder(const QString& path) {
    return path + QStringLiteral("-sesiones");
}

// A session's lock is free when the run that held it is gone.
bool sessionDead(const QString& path, const QString& session) {
    const QString lock = sessionsFolder(path) + u'/' + session + QStringLiteral(".lock");
    const int fd = ::open(QFile::encodeName(lock).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC |
                                                                     O_NONBLOCK);
    // No lock file: the session never ran here, or was settled; dead.
    if (fd < 0) return true;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    if (free) QFile::remove(lock);
    return free;
}
}  // namespace

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

QString LineDatabase::failure(const QString& what) const {
    return QStringLiteral("La base %1 no responde: %2").arg(shown(path_), shown(what));
}

QSqlDatabase LineDatabase::connection() {
    // A connection of Qt's belongs to the thread that made it: a gang's
    // workers each have their own.
    const QString name = QStringLiteral("linea-%1-%2")
                             .arg(session_)
                             .arg(quintptr(QThread::currentThreadId()));
    if (QSqlDatabase::contains(name)) return QSqlDatabase::database(name);
    QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, name);
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
    path_ = QFileInfo(path).absoluteFilePath();
    sequence_ = sequence;
    layout_ = layout;
    session_ = QUuid::createUuid().toString(QUuid::WithoutBraces);
    bench_ = QSysInfo::machineHostName();
    if (!QSqlDatabase::isDriverAvailable(kDriver))
        return Refusal{kSinProgramador,
                       QStringLiteral("No se puede usar la base %1: falta el controlador de "
                                      "SQLite de Qt (paquete libqt6sql6-sqlite)")
                           .arg(shown(path))};
    QSqlDatabase db = connection();
    if (!db.isOpen())
        return Refusal{kSinProgramador, failure(db.lastError().databaseText())};
    if (const auto failed = makeSchema()) return Refusal{kSinProgramador, *failed};
    if (!QDir().mkpath(sessionsFolder(path_)))
        return Refusal{kUsoInvalido, QStringLiteral("No se puede crear la carpeta %1")
                                         .arg(shown(sessionsFolder(path_)))};
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
    fields << QString() << bench_ + u'/' + entry.programador;
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
    if (run(db, QStringLiteral("BEGIN IMMEDIATE"))) return;
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

std::optional<QString> LineDatabase::makeSchema() {
    QSqlDatabase db = connection();
    if (const auto failed = run(db, QStringLiteral("BEGIN IMMEDIATE"))) return failure(*failed);
    QStringList columns;
    for (const QString& column : kColumns) columns << column + QStringLiteral(" TEXT");
    const QStringList statements = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS esquema (version INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS memorias (id INTEGER PRIMARY KEY "
                       "AUTOINCREMENT, %1)")
            .arg(columns.join(QStringLiteral(", "))),
        QStringLiteral("CREATE TABLE IF NOT EXISTS secuencias (nombre TEXT PRIMARY KEY, "
                       "siguiente INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS numeros_serie (secuencia TEXT NOT NULL, numero "
                       "INTEGER NOT NULL, estado TEXT NOT NULL, puesto TEXT, sesion TEXT, fecha "
                       "TEXT, UNIQUE (secuencia, numero))")};
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
        return QStringLiteral("La base %1 es de una versión más nueva del programa (esquema %2; "
                              "este conoce hasta el %3)")
            .arg(shown(path_))
            .arg(found)
            .arg(kSchemaVersion);
    }
    if (found == 0)
        (void)run(db, QStringLiteral("INSERT INTO esquema (version) VALUES (%1)").arg(kSchemaVersion));
    if (const auto failed = run(db, QStringLiteral("COMMIT"))) return failure(*failed);
    return std::nullopt;
}

void LineDatabase::settleDeadSessions(const std::function<void(const QString&)>& tell) {
    QSqlDatabase db = connection();
    QSqlQuery sessions(db);
    sessions.prepare(QStringLiteral("SELECT DISTINCT sesion FROM numeros_serie WHERE estado IN "
                                    "('reservado', 'grabando') AND sesion <> ?"));
    sessions.addBindValue(session_);
    if (!sessions.exec()) return;
    QStringList dead;
    while (sessions.next())
        if (sessionDead(path_, sessions.value(0).toString())) dead << sessions.value(0).toString();
    sessions.finish();
    for (const QString& session : dead) {
        if (run(db, QStringLiteral("BEGIN IMMEDIATE"))) return;
        QSqlQuery pending(db);
        pending.prepare(QStringLiteral("SELECT secuencia, numero, estado FROM numeros_serie WHERE "
                                       "sesion = ? AND estado IN ('reservado', 'grabando')"));
        pending.addBindValue(session);
        pending.exec();
        std::vector<std::tuple<QString, qint64, bool>> numbers;
        while (pending.next())
            numbers.emplace_back(pending.value(0).toString(), pending.value(1).toLongLong(),
                                 pending.value(2).toString() == QLatin1String("grabando"));
        pending.finish();
        for (const auto& [sequence, number, wasBurning] : numbers) {
            QSqlQuery settle(db);
            settle.prepare(QStringLiteral("UPDATE numeros_serie SET estado = ?, fecha = ?, "
                                          "sesion = ? WHERE secuencia = ? AND numero = ?"));
            settle.addBindValue(wasBurning ? QStringLiteral("anulado") : QStringLiteral("devuelto"));
            settle.addBindValue(now());
            settle.addBindValue(session_);
            settle.addBindValue(sequence);
            settle.addBindValue(number);
            settle.exec();
            if (wasBurning) {
                RecordEntry entry;
                entry.fecha = now();
                entry.orden = QStringLiteral("programar");
                entry.resultado = QStringLiteral("interrumpido");
                entry.serie = QString::number(number);
                entry.equipo = bench_;
                entry.diagnostico =
                    QStringLiteral("la ejecución se interrumpió mientras grababa el número");
                (void)insertRow(db, entry.fields());
            }
            tell(wasBurning
                     ? QStringLiteral("El número de serie %1 queda anulado: una ejecución se "
                                      "interrumpió mientras lo grababa, y la memoria puede "
                                      "llevarlo a medias")
                           .arg(number)
                     : QStringLiteral("El número de serie %1 vuelve a darse: una ejecución "
                                      "interrumpida lo reservó sin llegar a grabarlo")
                           .arg(number));
        }
        (void)run(db, QStringLiteral("COMMIT"));
    }
}

std::optional<QString> LineDatabase::take(std::size_t chips,
                                          std::vector<std::optional<std::uint64_t>>& numbers) {
    numbers.assign(chips, std::nullopt);
    if (!layout_) return std::nullopt;
    QSqlDatabase db = connection();
    if (const auto failed = run(db, QStringLiteral("BEGIN IMMEDIATE"))) return failure(*failed);
    const auto rollback = [&](const QString& why) {
        (void)run(db, QStringLiteral("ROLLBACK"));
        return failure(why);
    };
    for (std::size_t i = 0; i < chips; ++i) {
        QSqlQuery back(db);
        back.prepare(QStringLiteral("SELECT numero FROM numeros_serie WHERE secuencia = ? AND "
                                    "estado = 'devuelto' ORDER BY numero LIMIT 1"));
        back.addBindValue(sequence_);
        if (const auto failed = run(back)) return rollback(*failed);
        QSqlQuery mark(db);
        if (back.next()) {
            const qint64 number = back.value(0).toLongLong();
            back.finish();
            mark.prepare(QStringLiteral("UPDATE numeros_serie SET estado = 'reservado', puesto = "
                                        "?, sesion = ?, fecha = ? WHERE secuencia = ? AND numero "
                                        "= ?"));
            mark.addBindValue(bench_);
            mark.addBindValue(session_);
            mark.addBindValue(now());
            mark.addBindValue(sequence_);
            mark.addBindValue(number);
            if (const auto failed = run(mark)) return rollback(*failed);
            numbers[i] = std::uint64_t(number);
            continue;
        }
        back.finish();
        QSqlQuery next(db);
        next.prepare(QStringLiteral("SELECT siguiente FROM secuencias WHERE nombre = ?"));
        next.addBindValue(sequence_);
        if (const auto failed = run(next)) return rollback(*failed);
        const bool known = next.next();
        const qint64 number = known ? next.value(0).toLongLong() : qint64(layout_->start);
        next.finish();
        // A number the database cannot hold is none: no wrap to 0.
        if (number < 0) break;
        const qint64 step = qint64(layout_->step);
        const qint64 after =
            number > std::numeric_limits<qint64>::max() - step ? -1 : number + step;
        QSqlQuery advance(db);
        advance.prepare(known ? QStringLiteral("UPDATE secuencias SET siguiente = ? WHERE nombre = ?")
                              : QStringLiteral("INSERT INTO secuencias (siguiente, nombre) VALUES "
                                               "(?, ?)"));
        advance.addBindValue(after);
        advance.addBindValue(sequence_);
        if (const auto failed = run(advance)) return rollback(*failed);
        mark.prepare(QStringLiteral("INSERT INTO numeros_serie (secuencia, numero, estado, puesto, "
                                    "sesion, fecha) VALUES (?, ?, 'reservado', ?, ?, ?)"));
        mark.addBindValue(sequence_);
        mark.addBindValue(number);
        mark.addBindValue(bench_);
        mark.addBindValue(session_);
        mark.addBindValue(now());
        // The unique (secuencia, numero) is the backstop: never one number twice.
        if (const auto failed = run(mark)) return rollback(*failed);
        numbers[i] = std::uint64_t(number);
    }
    if (const auto failed = run(db, QStringLiteral("COMMIT"))) return rollback(*failed);
    return std::nullopt;
}

std::optional<QString> LineDatabase::burning(std::uint64_t number) {
    QSqlQuery mark(connection());
    mark.prepare(QStringLiteral("UPDATE numeros_serie SET estado = 'grabando', fecha = ? WHERE "
                                "secuencia = ? AND numero = ? AND sesion = ?"));
    mark.addBindValue(now());
    mark.addBindValue(sequence_);
    mark.addBindValue(qint64(number));
    mark.addBindValue(session_);
    if (const auto failed = run(mark)) return failure(*failed);
    return std::nullopt;
}

std::optional<QString> LineDatabase::commit(const RecordEntry& entry,
                                            std::optional<std::uint64_t> number, bool correct) {
    QSqlDatabase db = connection();
    if (const auto failed = run(db, QStringLiteral("BEGIN IMMEDIATE"))) return failure(*failed);
    const auto rollback = [&](const QString& why) {
        (void)run(db, QStringLiteral("ROLLBACK"));
        return failure(why);
    };
    QStringList fields = entry.fields();
    fields << QString() << bench_ + u'/' + entry.programador;
    if (const auto failed = insertRow(db, fields)) return rollback(*failed);
    if (number) {
        QSqlQuery state(db);
        state.prepare(QStringLiteral("SELECT estado FROM numeros_serie WHERE secuencia = ? AND "
                                     "numero = ?"));
        state.addBindValue(sequence_);
        state.addBindValue(qint64(*number));
        if (const auto failed = run(state)) return rollback(*failed);
        const bool wasBurning = state.next() && state.value(0).toString() == QLatin1String("grabando");
        state.finish();
        QSqlQuery settle(db);
        settle.prepare(QStringLiteral("UPDATE numeros_serie SET estado = ?, fecha = ? WHERE "
                                      "secuencia = ? AND numero = ?"));
        settle.addBindValue(correct      ? QStringLiteral("grabado")
                            : wasBurning ? QStringLiteral("anulado")
                                         : QStringLiteral("devuelto"));
        settle.addBindValue(now());
        settle.addBindValue(sequence_);
        settle.addBindValue(qint64(*number));
        if (const auto failed = run(settle)) return rollback(*failed);
    }
    if (const auto failed = run(db, QStringLiteral("COMMIT"))) return rollback(*failed);
    return std::nullopt;
}

}  // namespace cli
