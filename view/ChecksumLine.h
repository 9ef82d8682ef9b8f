#pragma once

#include <QLabel>
#include <QTimer>
#include <functional>

#include "view/ImageSums.h"

class QAbstractItemModel;
struct NumberFormat;

// The checksums of the memory image, in hexadecimal, with the range they
// cover and a word on empty cells (they count as FF). Worked out a moment
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
