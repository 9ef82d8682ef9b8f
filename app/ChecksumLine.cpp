#include "app/ChecksumLine.h"

#include "device/CommandSet.h"
#include "files/ImageCommands.h"
#include "operations/OperationFrame.h"
#include "view/AddressGridModel.h"
#include "view/NumberFormat.h"

ChecksumLine::ChecksumLine(const AddressGridModel& imagen, const NumberFormat& formato,
                           const CommandSet& comandos, const OperationFrame& marco, QWidget* parent)
    : QLabel(parent), imagen_(imagen), formato_(formato), comandos_(comandos), marco_(marco) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &ChecksumLine::recompute);
    connect(&imagen_, &QAbstractItemModel::dataChanged, this, &ChecksumLine::schedule);
    connect(&imagen_, &QAbstractItemModel::modelReset, this, &ChecksumLine::schedule);
    connect(&marco_, &OperationFrame::runningChanged, this, &ChecksumLine::schedule);
    recompute();
}

void ChecksumLine::schedule() {
    // The operation's end asks again.
    if (!marco_.running()) settle_.start();
}

void ChecksumLine::recompute() {
    ++computations_;
    const std::size_t size = std::size_t{comandos_.type().maxdir} + 1;
    const GridBytes image = gridBytes(imagen_.column(kDataColumn), size, formato_);
    if (image.notAByte) {
        setText(QStringLiteral("Suma y CRC-32: la dirección %1\nno tiene un byte")
                    .arg(formato_.show(static_cast<std::uint32_t>(*image.notAByte))));
        return;
    }
    const auto hex = [](std::uint32_t value, int digits) {
        return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
    };
    setText(QStringLiteral("Suma %1\nCRC-32 %2")
                .arg(hex(image::sum16(image.bytes), 4), hex(image::crc32(image.bytes), 8)));
}
