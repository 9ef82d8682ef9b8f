#include "app/StatisticsWindow.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include "image/SafeIo.h"
#include "image/Texts.h"

namespace {
// A record of a year of chips is a few megabytes; more is no record.
constexpr qint64 kMaxRecordBytes = 512LL << 20;
// A chart of more days than this shows the last ones.
constexpr int kChartDays = 31;

QString percentText(double percent) {
    return QString::number(percent, 'f', 1).replace(u'.', u',') + QStringLiteral(" %");
}

QTableWidget* table(const QStringList& headers, const QString& name) {
    auto* t = new QTableWidget(0, int(headers.size()));
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    t->setTabKeyNavigation(false);
    t->setAccessibleName(name);
    return t;
}

void addRow(QTableWidget* t, const QStringList& cells) {
    const int row = t->rowCount();
    t->insertRow(row);
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        // The first two columns name the group; the others are figures.
        if (column >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        t->setItem(row, column, item);
    }
}

// The view's chart with no series and no axes left from the last record.
QChart* emptied(QChartView* view) {
    QChart* chart = view->chart();
    chart->removeAllSeries();
    // Taken off the chart, an axis is ours to delete.
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    return chart;
}

QChartView* chartView(const QString& name) {
    auto* view = new QChartView(new QChart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setAccessibleName(name);
    view->setFocusPolicy(Qt::StrongFocus);
    view->chart()->setTitle(name);
    view->chart()->legend()->setAlignment(Qt::AlignBottom);
    return view;
}
}  // namespace

StatisticsWindow::StatisticsWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      summary_(new QLabel),
      tabs_(new QTabWidget),
      yields_(table({"Por", "Clave", "Memorias", "Correctas", "Rendimiento"}, "Rendimiento")),
      failures_(table({"Por", "Causa", "Fallos", "Acumulado"}, "Fallos")),
      pareto_(chartView(QStringLiteral("Fallos por diagnóstico"))),
      daily_(chartView(QStringLiteral("Rendimiento por día"))) {
    setWindowTitle(QStringLiteral("Estadísticas del registro"));
    resize(900, 640);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto* charts = new QWidget;
    auto* chartLayout = new QVBoxLayout(charts);
    chartLayout->addWidget(pareto_);
    chartLayout->addWidget(daily_);
    tabs_->addTab(charts, QStringLiteral("&Gráficos"));
    tabs_->addTab(yields_, QStringLiteral("&Rendimiento"));
    tabs_->addTab(failures_, QStringLiteral("&Fallos"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(tabs_);
}

std::optional<QString> StatisticsWindow::readRecord(const QString& path,
                                                    std::vector<engine::RecordRow>& rows) {
    const QString name = QFileInfo(path).fileName();
    if (engine::isSqliteFile(path)) return engine::rowsOfSqlite(path, name, rows);
    const safe_io::Read read = safe_io::readPath(path, kMaxRecordBytes);
    if (read.end == safe_io::Read::End::Failed)
        return QStringLiteral("No se puede leer %1: %2").arg(name, safe_io::reason(read.error));
    if (read.end != safe_io::Read::End::Complete)
        return QStringLiteral("%1 es demasiado grande para ser un registro").arg(name);
    return engine::rowsOfCsv(read.bytes, name, rows);
}

std::optional<QString> StatisticsWindow::open(const QString& path) {
    std::vector<engine::RecordRow> rows;
    if (const auto refusal = readRecord(path, rows)) return refusal;
    if (rows.empty())
        return QStringLiteral("%1 no tiene ninguna memoria").arg(QFileInfo(path).fileName());
    present(path, engine::statisticsOf(rows));
    return std::nullopt;
}

void StatisticsWindow::present(const QString& path, const engine::RecordStatistics& statistics) {
    const double percent = 100.0 * statistics.correct / statistics.chips;
    summary_->setText(QStringLiteral("%1: %2 memorias, %3 correctas; rendimiento %4")
                          .arg(QFileInfo(path).fileName(), QString::number(statistics.chips),
                               QString::number(statistics.correct), percentText(percent)));
    summary_->setAccessibleName(summary_->text());
    setWindowTitle(QStringLiteral("Estadísticas del registro: ") + QFileInfo(path).fileName());
    fillYields(statistics);
    fillFailures(statistics);
    chartPareto(statistics.paretos.front());
    for (const engine::YieldTable& table : statistics.yields)
        if (table.by == QLatin1String("dia")) chartDays(table);
}

void StatisticsWindow::fillYields(const engine::RecordStatistics& statistics) {
    yields_->setRowCount(0);
    for (const engine::YieldTable& table : statistics.yields)
        for (const engine::Yield& group : table.groups)
            addRow(yields_, {table.by == QLatin1String("dia") ? QStringLiteral("día") : table.by,
                             engine::shortSeal(group.key), QString::number(group.chips),
                             QString::number(group.correct), percentText(group.percent())});
    yields_->resizeColumnsToContents();
}

void StatisticsWindow::fillFailures(const engine::RecordStatistics& statistics) {
    failures_->setRowCount(0);
    for (const engine::Pareto& pareto : statistics.paretos)
        for (const engine::ParetoCause& cause : pareto.causes)
            addRow(failures_, {pareto.by, cause.cause, QString::number(cause.failures),
                               percentText(cause.cumulativePercent)});
    failures_->resizeColumnsToContents();
}

void StatisticsWindow::chartPareto(const engine::Pareto& pareto) {
    QChart* chart = emptied(pareto_);
    auto* bars = new QBarSet(QStringLiteral("Fallos"));
    auto* cumulative = new QLineSeries;
    cumulative->setName(QStringLiteral("Acumulado (%)"));
    QStringList causes, spoken;
    int most = 0;
    for (const engine::ParetoCause& cause : pareto.causes) {
        *bars << cause.failures;
        cumulative->append(double(causes.size()), cause.cumulativePercent);
        causes << cause.cause;
        most = std::max(most, cause.failures);
        spoken << QStringLiteral("%1: %2 (%3)")
                      .arg(cause.cause, QString::number(cause.failures),
                           percentText(cause.cumulativePercent));
    }
    auto* series = new QBarSeries;
    series->append(bars);
    chart->addSeries(series);
    chart->addSeries(cumulative);
    auto* x = new QBarCategoryAxis;
    x->append(causes);
    auto* count = new QValueAxis;
    count->setRange(0, std::max(most, 1));
    count->setLabelFormat(QStringLiteral("%d"));
    // Whole failures on the axis: 0, 5, 10, 15, not 3.5.
    count->applyNiceNumbers();
    auto* share = new QValueAxis;
    share->setRange(0, 100);
    share->setLabelFormat(QStringLiteral("%d %%"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(count, Qt::AlignLeft);
    chart->addAxis(share, Qt::AlignRight);
    series->attachAxis(x);
    series->attachAxis(count);
    cumulative->attachAxis(x);
    cumulative->attachAxis(share);
    pareto_->setAccessibleDescription(spoken.isEmpty() ? QStringLiteral("ningún fallo")
                                                       : spoken.join(QStringLiteral("; ")));
}

void StatisticsWindow::chartDays(const engine::YieldTable& days) {
    QChart* chart = emptied(daily_);
    auto* bars = new QBarSet(QStringLiteral("Rendimiento (%)"));
    QStringList labels, spoken;
    const std::size_t first = days.groups.size() > kChartDays ? days.groups.size() - kChartDays : 0;
    for (std::size_t i = first; i < days.groups.size(); ++i) {
        const engine::Yield& day = days.groups[i];
        *bars << day.percent();
        labels << day.key;
        spoken << QStringLiteral("%1: %2 de %3 (%4)")
                      .arg(day.key, QString::number(day.correct), QString::number(day.chips),
                           percentText(day.percent()));
    }
    auto* series = new QBarSeries;
    series->append(bars);
    chart->addSeries(series);
    auto* x = new QBarCategoryAxis;
    x->append(labels);
    auto* y = new QValueAxis;
    y->setRange(0, 100);
    y->setLabelFormat(QStringLiteral("%d %%"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    daily_->setAccessibleDescription(spoken.join(QStringLiteral("; ")));
}
