#pragma once

#include <QLabel>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>

class QAbstractItemModel;
struct NumberFormat;

// What the checksum line shows of the image: its 16-bit byte sum and CRC-32,
// or the first address whose text is no byte.
struct ImageSums {
    std::uint16_t sum = 0;
    std::uint32_t crc = 0;
    std::optional<std::uint32_t> notAByte;
};

// The checksums of the memory image, in hexadecimal. Worked out a moment
// after the image last changed, and never while an operation fills it cell
// by cell. Its text is its accessible name, so a screen reader reads the sums.
class ChecksumLine : public QLabel {
    Q_OBJECT
  public:
    static constexpr int kSettleMs = 200;

    ChecksumLine(const NumberFormat& formato, QWidget* parent = nullptr);

    // The image to follow and how to sum it.
    void follow(const QAbstractItemModel& image, std::function<ImageSums()> sums);
    // While busy the image is being filled: the sums wait for the end.
    void setBusy(bool busy);

    // How many times the sums were worked out.
    int computations() const { return computations_; }

  private:
    void schedule();
    void recompute();

    const NumberFormat& formato_;
    std::function<ImageSums()> sums_;
    QTimer settle_;
    bool busy_ = false;
    int computations_ = 0;
};
