#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

class OperationFrame;
class QLabel;
class QProgressBar;
class QPushButton;
struct NumberFormat;

// The line under the main window's controls: what the running operation is
// doing and where, how far it is, the time spent and left, and a button that
// cancels it as ESC does. Afterwards, how it ended, or a note on the last
// thing done; and, whenever nothing runs, the memory type, its size and the
// number format.
class ProgressLine : public QWidget {
    Q_OBJECT
  public:
    ProgressLine(OperationFrame& frame, const NumberFormat& format, QWidget* parent = nullptr);

    // The texts as shown.
    QString stateText() const;
    QString timeText() const;
    QString memoryText() const;

    // "Prom 27c512 · 65536 bytes · Decimal".
    void setMemory(const QString& caption, std::uint32_t bytes, bool hexadecimal);
    // Shown instead of the last outcome until the next operation starts.
    void setNote(const QString& note);
    // What keeps the programmer from being used, shown whenever nothing runs
    // until it is cleared.
    void setDeviceNote(const QString& note);
    // Told while the operation runs, instead of a box that would take its
    // ESC: what was refused meanwhile. Gone when the operation ends.
    void setRunningNote(const QString& note);
    QString runningNoteText() const;
    // "Análisis: 2 avisos" after a read, until the next operation starts.
    void setAnalysis(const QString& summary);
    QString analysisText() const;

    QProgressBar* bar;
    QPushButton* cancelar;

  private:
    void refresh();
    QString address(std::int64_t value) const;

    OperationFrame& frame_;
    const NumberFormat& format_;
    QLabel* state_;
    QLabel* times_;
    QLabel* memory_;
    QLabel* runningNote_;
    QLabel* analysis_;
    QString note_;
    QString deviceNote_;
};
