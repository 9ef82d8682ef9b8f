#pragma once

#include <QLabel>
#include <QTimer>

class AddressGridModel;
class CommandSet;
class OperationFrame;
struct NumberFormat;

// The checksums of the memory image beside the progress line: the 16-bit sum
// of the bytes and their CRC-32, in hexadecimal. Worked out a moment after the
// image last changed, and never while an operation fills it cell by cell.
class ChecksumLine : public QLabel {
    Q_OBJECT
  public:
    static constexpr int kSettleMs = 200;

    ChecksumLine(const AddressGridModel& imagen, const NumberFormat& formato,
                 const CommandSet& comandos, const OperationFrame& marco,
                 QWidget* parent = nullptr);

    // How many times the sums were worked out.
    int computations() const { return computations_; }

  private:
    void schedule();
    void recompute();

    const AddressGridModel& imagen_;
    const NumberFormat& formato_;
    const CommandSet& comandos_;
    const OperationFrame& marco_;
    QTimer settle_;
    int computations_ = 0;
};
