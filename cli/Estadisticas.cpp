#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <map>

#include "cli/Command.h"
#include "cli/LineDatabase.h"
#include "cli/Messages.h"
#include "cli/Session.h"
#include "image/SafeIo.h"

namespace cli {

namespace {
using Row = std::map<QString, QString>;
constexpr int kParetoLines = 10;

// The fields of one CSV line: commas apart, quotes around a field with a
// comma or a quote, a quote inside written twice.
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

bool correct(const Row& row) {
    return row.at(QStringLiteral("resultado")) == QLatin1String("correcto");
}

QString value(const Row& row, const char* column) {
    const auto found = row.find(QLatin1String(column));
    return found == row.end() ? QString() : found->second;
}

// A job's seal is two SHA-256 sums; its first twelve digits tell jobs apart
// in a table, as a short commit name does.
QString shortSeal(const QString& key) {
    return key.size() == 129 && key[64] == u':' ? key.left(12) + QStringLiteral("…") : key;
}

// estadisticas [--base DESTINO | REGISTRO.csv]: yield per job, batch,
// operator, programmer and day, and the failures' Pareto by diagnosis and
// by first differing address; a table, or JSON Lines with --json.
class Estadisticas : public Command {
  public:
    QString name() const override { return QStringLiteral("estadisticas"); }
    int arguments() const override { return 0; }
    int optionalArguments() const override { return 1; }
    bool needsType() const override { return false; }
    bool touchesProgrammer() const override { return false; }
    QStringList inputs(const QStringList& arguments) const override { return arguments; }

    int execute(Session& s, const QStringList& arguments) override {
        const std::vector<Row> rows = readRows(s, arguments.value(0));
        if (rows.empty())
            s.fail(kUsoInvalido, QStringLiteral("El registro no tiene ninguna memoria"));
        const std::pair<const char*, const char*> groups[] = {{"trabajo", "trabajo"},
                                                              {"lote", "lote"},
                                                              {"operario", "operario"},
                                                              {"programador", "programador"},
                                                              {"dia", "fecha"}};
        for (const auto& [group, column] : groups) yieldBy(s, rows, group, column);
        paretoBy(s, rows, "diagnostico", [](const Row& row) {
            const QString why = value(row, "diagnostico");
            return why.isEmpty() ? value(row, "resultado") : why;
        });
        paretoBy(s, rows, "primera_diferencia", [](const Row& row) {
            const QString first = value(row, "primera_diferencia").section(u':', 0, 0);
            return first.isEmpty() ? QStringLiteral("(ninguna)") : first;
        });
        return kCorrecto;
    }

  private:
    static std::vector<Row> readRows(Session& s, const QString& record) {
        std::vector<Row> rows;
        if (!s.options().base.isEmpty()) {
            LineDatabase base;
            if (const auto failure = base.readRows(s.options().base, rows))
                s.fail(kSinProgramador, *failure);
            return rows;
        }
        if (record.isEmpty())
            s.fail(kUsoInvalido, QStringLiteral("estadisticas necesita un registro CSV o --base"));
        const QStringList lines =
            QString::fromUtf8(s.readInput(record)).split(u'\n', Qt::SkipEmptyParts);
        const QStringList header = csvFields(lines.value(0).trimmed());
        if (!header.contains(QStringLiteral("resultado")))
            s.fail(kUsoInvalido,
                   QStringLiteral("%1 no es un registro: no tiene la columna resultado")
                       .arg(shown(record)));
        for (const QString& line : lines.mid(1)) {
            const QStringList fields = csvFields(line.trimmed());
            Row row;
            for (qsizetype i = 0; i < header.size(); ++i) row[header[i]] = fields.value(i);
            rows.push_back(std::move(row));
        }
        return rows;
    }

    static void show(Session& s, const QJsonObject& object, const QString& text) {
        if (!s.options().json) return s.print(text);
        QJsonObject line = object;
        line.insert(QStringLiteral("esquema"), 1);
        s.print(QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)));
    }

    static void yieldBy(Session& s, const std::vector<Row>& rows, const char* group,
                        const char* column) {
        std::map<QString, std::pair<int, int>> counts;
        for (const Row& row : rows) {
            QString key = value(row, column);
            if (QLatin1String(group) == QLatin1String("dia")) key = key.left(10);
            auto& [all, good] = counts[key.isEmpty() ? QStringLiteral("(sin)") : key];
            ++all;
            good += correct(row);
        }
        if (!s.options().json)
            s.print(QStringLiteral("Rendimiento por %1:")
                        .arg(QLatin1String(group) == QLatin1String("dia") ? QStringLiteral("día")
                                                                          : QLatin1String(group)));
        for (const auto& [key, count] : counts) {
            const double share = 100.0 * count.second / count.first;
            show(s,
                 {{"evento", "rendimiento"},
                  {"por", group},
                  {"clave", key},
                  {"memorias", count.first},
                  {"correctas", count.second},
                  {"rendimiento", share}},
                 QStringLiteral("  %1  %2 de %3  %4 %")
                     .arg(shortSeal(key).leftJustified(24), QString::number(count.second),
                          QString::number(count.first),
                          QString::number(share, 'f', 1).replace(u'.', u',')));
        }
    }

    template <typename Cause>
    static void paretoBy(Session& s, const std::vector<Row>& rows, const char* by, Cause cause) {
        std::map<QString, int> counts;
        int failures = 0;
        for (const Row& row : rows)
            if (!correct(row) && value(row, "resultado") != QLatin1String("sin verificar")) {
                ++counts[cause(row)];
                ++failures;
            }
        std::vector<std::pair<QString, int>> sorted(counts.begin(), counts.end());
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const auto& a, const auto& b) { return a.second > b.second; });
        if (!s.options().json)
            s.print(QStringLiteral("Fallos por %1 (%2):")
                        .arg(QLatin1String(by), QString::number(failures)));
        int cumulative = 0;
        // The causes that make most of the failures; the rest are counted, not listed.
        const std::size_t listed = std::min<std::size_t>(sorted.size(), kParetoLines);
        for (std::size_t i = 0; i < listed; ++i) {
            const auto& [key, count] = sorted[i];
            cumulative += count;
            const double share = 100.0 * cumulative / failures;
            show(s,
                 {{"evento", "pareto"},
                  {"por", by},
                  {"clave", key},
                  {"fallos", count},
                  {"acumulado", share}},
                 QStringLiteral("  %1  %2  %3 %")
                     .arg(key.left(60).leftJustified(40), QString::number(count),
                          QString::number(share, 'f', 1).replace(u'.', u',')));
        }
    }
};
}  // namespace

std::unique_ptr<Command> makeEstadisticas() {
    return std::make_unique<Estadisticas>();
}

}  // namespace cli
