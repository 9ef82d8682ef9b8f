#pragma once

#include <QString>
#include <QWidget>
#include <optional>

#include "engine/RecordStatistics.h"
#include "view/Dialogs.h"

class QLabel;
class QTableWidget;
class QTabWidget;
class QChartView;

// A record of chips, as the command line keeps it in CSV or in SQLite.
inline const FileDialogOptions kRecordDialog{
    QStringLiteral("Registros de memorias|*.csv;*.sqlite;*.db|Todos los archivos|*"),
    QString(),
    QString(),
    false,
    false,
    QStringLiteral("Estadísticas del registro")};

// "Archivo" > "Estadísticas del registro…": the yield and the failures of
// a record of chips (CSV or SQLite), as tables and as two bar charts (the
// failures' Pareto by diagnosis and the yield per day). What a chart shows
// is also in its accessible description, in words.
class StatisticsWindow : public QWidget {
    Q_OBJECT

  public:
    explicit StatisticsWindow(QWidget* parent = nullptr);

    // The record's statistics shown; the refusal, or nothing.
    std::optional<QString> open(const QString& path);
    // The rows of a record, CSV or SQLite (by its first bytes); the refusal, or nothing.
    static std::optional<QString> readRecord(const QString& path,
                                             std::vector<engine::RecordRow>& rows);

    const QLabel* summary() const { return summary_; }
    const QTableWidget* yields() const { return yields_; }
    const QTableWidget* failures() const { return failures_; }
    QChartView* paretoChart() const { return pareto_; }
    QChartView* dailyChart() const { return daily_; }

  private:
    void present(const QString& path, const engine::RecordStatistics& statistics);
    void fillYields(const engine::RecordStatistics& statistics);
    void fillFailures(const engine::RecordStatistics& statistics);
    void chartPareto(const engine::Pareto& pareto);
    void chartDays(const engine::YieldTable& days);

    QLabel* summary_;
    QTabWidget* tabs_;
    QTableWidget* yields_;
    QTableWidget* failures_;
    QChartView* pareto_;
    QChartView* daily_;
};
