// The serial numbers of a line database: reserved, burning, and ended with
// their chip's row; and the numbers of dead sessions settled.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <limits>
#include <tuple>

#include "cli/LineDatabase.h"
#include "cli/LineSql.h"

namespace cli {

using namespace line_sql;

void LineDatabase::settleDeadSessions(const std::function<void(const QString&)>& tell) {
    QSqlDatabase db = connection();
    QSqlQuery sessions(db);
    sessions.prepare(
        QStringLiteral("SELECT DISTINCT sesion FROM numeros_serie WHERE estado IN "
                       "('reservado', 'grabando') AND sesion <> ?"));
    sessions.addBindValue(session_);
    if (!sessions.exec()) return;
    QStringList dead;
    while (sessions.next())
        if (sessionDead(sessions.value(0).toString())) dead << sessions.value(0).toString();
    sessions.finish();
    for (const QString& session : dead) {
        if (begin(db)) return;
        QSqlQuery pending(db);
        pending.prepare(
            QStringLiteral("SELECT secuencia, numero, estado FROM numeros_serie WHERE "
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
            settle.prepare(
                QStringLiteral("UPDATE numeros_serie SET estado = ?, fecha = ?, "
                               "sesion = ? WHERE secuencia = ? AND numero = ?"));
            settle.addBindValue(wasBurning ? QStringLiteral("anulado")
                                           : QStringLiteral("devuelto"));
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
    if (const auto failed = begin(db)) return failure(*failed);
    const auto rollback = [&](const QString& why) {
        (void)run(db, QStringLiteral("ROLLBACK"));
        return failure(why);
    };
    for (std::size_t i = 0; i < chips; ++i) {
        QSqlQuery back(db);
        back.prepare(
            QStringLiteral("SELECT numero FROM numeros_serie WHERE secuencia = ? AND "
                           "estado = 'devuelto' ORDER BY numero LIMIT 1"));
        back.addBindValue(sequence_);
        if (const auto failed = run(back)) return rollback(*failed);
        QSqlQuery mark(db);
        if (back.next()) {
            const qint64 number = back.value(0).toLongLong();
            back.finish();
            mark.prepare(
                QStringLiteral("UPDATE numeros_serie SET estado = 'reservado', puesto = "
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
        advance.prepare(known
                            ? QStringLiteral("UPDATE secuencias SET siguiente = ? WHERE nombre = ?")
                            : QStringLiteral("INSERT INTO secuencias (siguiente, nombre) VALUES "
                                             "(?, ?)"));
        advance.addBindValue(after);
        advance.addBindValue(sequence_);
        if (const auto failed = run(advance)) return rollback(*failed);
        mark.prepare(
            QStringLiteral("INSERT INTO numeros_serie (secuencia, numero, estado, puesto, "
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
    mark.prepare(
        QStringLiteral("UPDATE numeros_serie SET estado = 'grabando', fecha = ? WHERE "
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
    if (const auto failed = begin(db)) return failure(*failed);
    const auto rollback = [&](const QString& why) {
        (void)run(db, QStringLiteral("ROLLBACK"));
        return failure(why);
    };
    QStringList fields = entry.fields();
    fields << entry.trabajo << bench_ + u'/' + entry.programador;
    if (const auto failed = insertRow(db, fields)) return rollback(*failed);
    if (number) {
        QSqlQuery state(db);
        state.prepare(
            QStringLiteral("SELECT estado FROM numeros_serie WHERE secuencia = ? AND "
                           "numero = ?"));
        state.addBindValue(sequence_);
        state.addBindValue(qint64(*number));
        if (const auto failed = run(state)) return rollback(*failed);
        const bool wasBurning =
            state.next() && state.value(0).toString() == QLatin1String("grabando");
        state.finish();
        QSqlQuery settle(db);
        settle.prepare(
            QStringLiteral("UPDATE numeros_serie SET estado = ?, fecha = ? WHERE "
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
