#include "view/ChecksumLine.h"

#include <QAbstractItemModel>

#include "view/NumberFormat.h"

ChecksumLine::ChecksumLine(const NumberFormat& formato, QWidget* parent)
    : QLabel(parent), formato_(formato) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &ChecksumLine::recompute);
}

void ChecksumLine::follow(const QAbstractItemModel& image, std::function<ImageSums()> sums) {
    sums_ = std::move(sums);
    connect(&image, &QAbstractItemModel::dataChanged, this, &ChecksumLine::schedule);
    connect(&image, &QAbstractItemModel::modelReset, this, &ChecksumLine::schedule);
    recompute();
}

void ChecksumLine::setBusy(bool busy) {
    busy_ = busy;
    // The operation's end asks again.
    if (busy_)
        settle_.stop();
    else
        settle_.start();
}

void ChecksumLine::schedule() {
    if (!busy_) settle_.start();
}

void ChecksumLine::recompute() {
    if (!sums_) return;
    ++computations_;
    const ImageSums sums = sums_();
    if (sums.notAByte) {
        setText(QStringLiteral("Suma y CRC-32: la dirección %1\nno tiene un byte")
                    .arg(formato_.show(*sums.notAByte)));
        return;
    }
    const auto hex = [](std::uint32_t value, int digits) {
        return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
    };
    // What the sums cover, and how they count a cell left empty.
    setText(
        QStringLiteral("Suma %1 · CRC-32 %2\n%3–%4, vacías = FF")
            .arg(hex(sums.sum, 4), hex(sums.crc, 8), formato_.show(0), formato_.show(sums.last)));
}
