#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <optional>

// What the line database's units share: its columns and small SQL helpers.
namespace cli::line_sql {

inline const QStringList kColumns = {"fecha",       "tipo",         "orden",
                                     "rango",       "crc32",        "resultado",
                                     "diferencias", "segundos",     "lote",
                                     "secuencia",   "serie",        "operario",
                                     "equipo",      "version",      "programador",
                                     "imagen",      "modo",         "verificacion",
                                     "reintentos",  "comprobacion", "primera_diferencia",
                                     "diagnostico", "trabajo",      "puesto"};

inline QString now() {
    return QDateTime::currentDateTime()
        .toOffsetFromUtc(QDateTime::currentDateTime().offsetFromUtc())
        .toString(Qt::ISODateWithMs);
}

// A statement run, or the reason it failed.
inline std::optional<QString> run(QSqlQuery& query) {
    if (query.exec()) return std::nullopt;
    return query.lastError().databaseText();
}

inline std::optional<QString> run(QSqlDatabase db, const QString& statement) {
    QSqlQuery query(db);
    if (query.exec(statement)) return std::nullopt;
    return query.lastError().databaseText();
}

inline QString sessionsFolder(const QString& path) {
    return path + QStringLiteral("-sesiones");
}

}  // namespace cli::line_sql
