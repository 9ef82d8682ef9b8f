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
// cancels it as ESC does. Afterwards, how it ended.
class ProgressLine : public QWidget {
    Q_OBJECT
  public:
    ProgressLine(OperationFrame& frame, const NumberFormat& format, QWidget* parent = nullptr);

    // The texts as shown.
    QString stateText() const;
    QString timeText() const;

    QProgressBar* bar;
    QPushButton* cancelar;

  private:
    void refresh();
    QString address(std::int64_t value) const;

    OperationFrame& frame_;
    const NumberFormat& format_;
    QLabel* state_;
    QLabel* times_;
};
