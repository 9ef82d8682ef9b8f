#include "engine/RecordStatistics.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <algorithm>

namespace engine {

namespace {
constexpr int kParetoCauses = 10;

QString value(const RecordRow& row, const char* column) {
    const auto found = row.find(QLatin1String(column));
    return found == row.end() ? QString() : found->second;
}

bool correct(const RecordRow& row) {
    return value(row, "resultado") == QLatin1String("correcto");
}

// A chip left unverified neither passed nor failed.
bool failed(const RecordRow& row) {
    return !correct(row) && value(row, "resultado") != QLatin1String("sin verificar");
}

YieldTable yieldBy(const std::vector<RecordRow>& rows, const char* by, const char* column) {
    std::map<QString, Yield> groups;
    for (const RecordRow& row : rows) {
        QString key = value(row, column);
        if (QLatin1String(by) == QLatin1String("dia")) key = key.left(10);
        if (key.isEmpty()) key = QStringLiteral("(sin)");
        Yield& group = groups[key];
        group.key = key;
        ++group.chips;
        group.correct += correct(row);
    }
    YieldTable table{QLatin1String(by), QLatin1String(column), {}};
    for (auto& [key, group] : groups) table.groups.push_back(group);
    return table;
}

template <typename Cause>
Pareto paretoBy(const std::vector<RecordRow>& rows, const char* by, Cause cause) {
    std::map<QString, int> counts;
    Pareto pareto{QLatin1String(by), 0, {}};
    for (const RecordRow& row : rows)
        if (failed(row)) {
            ++counts[cause(row)];
            ++pareto.failures;
        }
    std::vector<std::pair<QString, int>> sorted(counts.begin(), counts.end());
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    int cumulative = 0;
    for (std::size_t i = 0; i < sorted.size() && i < kParetoCauses; ++i) {
        cumulative += sorted[i].second;
        pareto.causes.push_back(
            {sorted[i].first, sorted[i].second, 100.0 * cumulative / pareto.failures});
    }
    return pareto;
}
}  // namespace

QStringList csvFields(const QString& line) {
    QStringList fields{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
            fields.last() += u'"';
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (c == u',' && !quoted) {
            fields << QString();
        } else {
            fields.last() += c;
        }
    }
    return fields;
}

std::optional<QString> rowsOfCsv(const QByteArray& bytes, const QString& shownName,
                                 std::vector<RecordRow>& rows) {
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n', Qt::SkipEmptyParts);
    const QStringList header = csvFields(lines.value(0).trimmed());
    if (!header.contains(QStringLiteral("resultado")))
        return QStringLiteral("%1 no es un registro: no tiene la columna resultado").arg(shownName);
    for (const QString& line : lines.mid(1)) {
        const QStringList fields = csvFields(line.trimmed());
        RecordRow row;
        for (qsizetype i = 0; i < header.size(); ++i) row[header[i]] = fields.value(i);
        rows.push_back(std::move(row));
    }
    return std::nullopt;
}

bool isSqliteFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3", 16);
}

std::optional<QString> rowsOfSqlite(const QString& path, const QString& shownName,
                                    std::vector<RecordRow>& rows) {
    const QString name = QUuid::createUuid().toString();
    std::optional<QString> failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        // Read only: looking at a record never changes it.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlQuery query(db);
        if (!db.open() || !query.exec(QStringLiteral("SELECT * FROM memorias ORDER BY id")))
            failure = QStringLiteral("No se puede leer la base %1: %2")
                          .arg(shownName, db.isOpen() ? query.lastError().databaseText()
                                                      : db.lastError().databaseText());
        while (!failure && query.next()) {
            RecordRow row;
            const QSqlRecord columns = query.record();
            for (int i = 0; i < columns.count(); ++i)
                row[columns.fieldName(i)] = query.value(i).toString();
            rows.push_back(std::move(row));
        }
    }
    QSqlDatabase::removeDatabase(name);
    return failure;
}

RecordStatistics statisticsOf(const std::vector<RecordRow>& rows) {
    RecordStatistics statistics;
    statistics.chips = int(rows.size());
    for (const RecordRow& row : rows) statistics.correct += correct(row);
    const std::pair<const char*, const char*> groups[] = {{"trabajo", "trabajo"},
                                                          {"lote", "lote"},
                                                          {"operario", "operario"},
                                                          {"programador", "programador"},
                                                          {"dia", "fecha"}};
    for (const auto& [by, column] : groups) statistics.yields.push_back(yieldBy(rows, by, column));
    statistics.paretos.push_back(paretoBy(rows, "diagnostico", [](const RecordRow& row) {
        const QString why = value(row, "diagnostico");
        return why.isEmpty() ? value(row, "resultado") : why;
    }));
    statistics.paretos.push_back(paretoBy(rows, "primera_diferencia", [](const RecordRow& row) {
        const QString first = value(row, "primera_diferencia").section(u':', 0, 0);
        return first.isEmpty() ? QStringLiteral("(ninguna)") : first;
    }));
    return statistics;
}

QString shortSeal(const QString& key) {
    return key.size() == 129 && key[64] == u':' ? key.left(12) + QStringLiteral("…") : key;
}

}  // namespace engine
