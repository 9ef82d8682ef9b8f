#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

namespace engine {

// One chip's line of a record, by column name.
using RecordRow = std::map<QString, QString>;

// The fields of one CSV line: commas apart, quotes around a field with a
// comma or a quote, a quote inside written twice.
QStringList csvFields(const QString& line);

// A CSV record's lines under its header's names; the refusal, or nothing.
std::optional<QString> rowsOfCsv(const QByteArray& bytes, const QString& shownName,
                                 std::vector<RecordRow>& rows);
// The rows of a SQLite base the benches write (table memorias).
std::optional<QString> rowsOfSqlite(const QString& path, const QString& shownName,
                                    std::vector<RecordRow>& rows);
// A file whose first bytes say it is a SQLite base.
bool isSqliteFile(const QString& path);

struct Yield {
    QString key;
    int chips = 0;
    int correct = 0;
    double percent() const { return chips ? 100.0 * correct / chips : 0.0; }
};

struct YieldTable {
    QString by;      // trabajo, lote, operario, programador or dia
    QString column;  // the record's column it groups by
    std::vector<Yield> groups;
};

struct ParetoCause {
    QString cause;
    int failures = 0;
    double cumulativePercent = 0;
};

// The failures' causes, most frequent first; only the first few are listed.
struct Pareto {
    QString by;  // diagnostico or primera_diferencia
    int failures = 0;
    std::vector<ParetoCause> causes;
};

struct RecordStatistics {
    int chips = 0;
    int correct = 0;
    std::vector<YieldTable> yields;
    std::vector<Pareto> paretos;
};

RecordStatistics statisticsOf(const std::vector<RecordRow>& rows);

// A job's seal is two SHA-256 sums; its first twelve digits tell jobs apart
// in a table, as a short commit name does.
QString shortSeal(const QString& key);

}  // namespace engine
