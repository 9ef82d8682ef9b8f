#include <QJsonDocument>
#include <QJsonObject>

#include "cli/Command.h"
#include "cli/LineDatabase.h"
#include "cli/Messages.h"
#include "cli/Session.h"
#include "engine/RecordStatistics.h"

namespace cli {

namespace {
QString percentText(double percent) {
    return QString::number(percent, 'f', 1).replace(u'.', u',');
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
        const std::vector<engine::RecordRow> rows = readRows(s, arguments.value(0));
        if (rows.empty())
            s.fail(kUsoInvalido, QStringLiteral("El registro no tiene ninguna memoria"));
        const engine::RecordStatistics statistics = engine::statisticsOf(rows);
        for (const engine::YieldTable& table : statistics.yields) showYield(s, table);
        for (const engine::Pareto& pareto : statistics.paretos) showPareto(s, pareto);
        return kCorrecto;
    }

  private:
    static std::vector<engine::RecordRow> readRows(Session& s, const QString& record) {
        std::vector<engine::RecordRow> rows;
        if (!s.options().base.isEmpty()) {
            LineDatabase base;
            if (const auto failure = base.readRows(s.options().base, rows))
                s.fail(kSinProgramador, *failure);
            return rows;
        }
        if (record.isEmpty())
            s.fail(kUsoInvalido, QStringLiteral("estadisticas necesita un registro CSV o --base"));
        // A SQLite base named as the record is read as --base would read it.
        if (engine::isSqliteFile(record)) {
            if (const auto failure = engine::rowsOfSqlite(record, shown(record), rows))
                s.fail(kUsoInvalido, *failure);
            return rows;
        }
        if (const auto refusal = engine::rowsOfCsv(s.readInput(record), shown(record), rows))
            s.fail(kUsoInvalido, *refusal);
        return rows;
    }

    static void show(Session& s, const QJsonObject& object, const QString& text) {
        if (!s.options().json) return s.print(text);
        QJsonObject line = object;
        line.insert(QStringLiteral("esquema"), 1);
        s.print(QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)));
    }

    static void showYield(Session& s, const engine::YieldTable& table) {
        if (!s.options().json)
            s.print(QStringLiteral("Rendimiento por %1:")
                        .arg(table.by == QLatin1String("dia") ? QStringLiteral("día") : table.by));
        for (const engine::Yield& group : table.groups)
            show(s,
                 {{"evento", "rendimiento"},
                  {"por", table.by},
                  {"clave", group.key},
                  {"memorias", group.chips},
                  {"correctas", group.correct},
                  {"rendimiento", group.percent()}},
                 QStringLiteral("  %1  %2 de %3  %4 %")
                     .arg(engine::shortSeal(group.key).leftJustified(24),
                          QString::number(group.correct), QString::number(group.chips),
                          percentText(group.percent())));
    }

    static void showPareto(Session& s, const engine::Pareto& pareto) {
        if (!s.options().json)
            s.print(QStringLiteral("Fallos por %1 (%2):")
                        .arg(pareto.by, QString::number(pareto.failures)));
        for (const engine::ParetoCause& cause : pareto.causes)
            show(s,
                 {{"evento", "pareto"},
                  {"por", pareto.by},
                  {"clave", cause.cause},
                  {"fallos", cause.failures},
                  {"acumulado", cause.cumulativePercent}},
                 QStringLiteral("  %1  %2  %3 %")
                     .arg(cause.cause.left(60).leftJustified(40), QString::number(cause.failures),
                          percentText(cause.cumulativePercent)));
    }
};
}  // namespace

std::unique_ptr<Command> makeEstadisticas() {
    return std::make_unique<Estadisticas>();
}

}  // namespace cli
