#include "view/HexRowModel.h"

#include <QBrush>
#include <QColor>
#include <algorithm>

#include "view/AddressGridModel.h"
#include "view/ImageHistory.h"
#include "view/NumberFormat.h"
#include "view/Unit2.h"

namespace {
constexpr std::size_t kFourDigits = 0x10000;
// Above this many bytes one change of the column costs the views less.
constexpr std::size_t kCellByCell = 256;
constexpr char16_t kFirstPrintable = 0x20;
constexpr char16_t kLastPrintable = 0x7E;
// Colour is never the only sign: the tooltip and the spoken name say it too.
const QColor kDiffers(0xFF, 0xC4, 0xC4);
const QColor kChanged(0xFF, 0xEE, 0xA8);

QString hex(std::size_t value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

QChar shown(std::uint8_t value) {
    return value >= kFirstPrintable && value <= kLastPrintable ? QChar(value) : QChar(u'.');
}
}  // namespace

HexRowModel::HexRowModel(AddressGridModel& image, const NumberFormat& format, QObject* parent)
    : QAbstractTableModel(parent), image_(image), format_(format) {
    connect(&image_, &QAbstractItemModel::dataChanged, this, &HexRowModel::sourceChanged);
    connect(&image_, &QAbstractItemModel::modelAboutToBeReset, this, &HexRowModel::beginResetModel);
    connect(&image_, &QAbstractItemModel::modelReset, this, &HexRowModel::endResetModel);
}

void HexRowModel::setBytesPerRow(int count) {
    if (count == bytesPerRow_ || (count != kWideRow && count != kNarrowRow)) return;
    beginResetModel();
    bytesPerRow_ = count;
    endResetModel();
}

std::size_t HexRowModel::addressCount() const {
    return static_cast<std::size_t>(image_.rowCount());
}

std::optional<std::size_t> HexRowModel::addressOf(const QModelIndex& index) const {
    if (!index.isValid() || index.column() < 1 || index.column() > bytesPerRow_) return {};
    const std::size_t address =
        std::size_t(index.row()) * std::size_t(bytesPerRow_) + std::size_t(index.column() - 1);
    if (address >= addressCount()) return {};
    return address;
}

QModelIndex HexRowModel::indexOf(std::size_t address) const {
    if (address >= addressCount()) return {};
    return index(static_cast<int>(address / bytesPerRow_),
                 static_cast<int>(address % bytesPerRow_) + 1);
}

QString HexRowModel::addressText(std::size_t address) const {
    return QStringLiteral("0x") + hex(address, addressCount() > kFourDigits ? 5 : 4);
}

QString HexRowModel::gridAddressText(std::size_t address) const {
    return format_.show(static_cast<std::uint32_t>(address));
}

void HexRowModel::writeByte(std::size_t address, std::uint8_t value) {
    image_.setCell(kDataColumn, static_cast<int>(address) + 1, format_.show(value));
}

void HexRowModel::writeBytes(std::size_t first, const std::vector<std::uint8_t>& values) {
    if (values.size() <= kCellByCell) {
        for (std::size_t i = 0; i < values.size(); ++i) writeByte(first + i, values[i]);
        return;
    }
    image_.updateColumn(kDataColumn, [&](std::vector<QString>& texts) {
        if (texts.size() < first + values.size()) texts.resize(first + values.size());
        for (std::size_t i = 0; i < values.size(); ++i) texts[first + i] = format_.show(values[i]);
    });
}

HexRowModel::Cell HexRowModel::cellAt(std::size_t address) const {
    const QString text = image_.cell(kDataColumn, static_cast<int>(address) + 1);
    if (text.isEmpty()) return {Kind::Empty, 0};
    const auto byte = format_.readByte(text);
    return byte ? Cell{Kind::Byte, *byte} : Cell{Kind::NotAByte, 0};
}

QString HexRowModel::byteText(std::size_t address) const {
    const Cell cell = cellAt(address);
    switch (cell.kind) {
        case Kind::Empty:
            return {};
        case Kind::NotAByte:
            return kNotAByte;
        case Kind::Byte:
            break;
    }
    return hex(cell.value, 2);
}

QString HexRowModel::spokenByte(std::size_t address) const {
    const Cell cell = cellAt(address);
    const QString where = addressText(address) + QStringLiteral(": ");
    switch (cell.kind) {
        case Kind::Empty:
            return where + QStringLiteral("vacía");
        case Kind::NotAByte:
            return where + kNotAByte;
        case Kind::Byte:
            break;
    }
    // A screen reader would say "." as a full stop.
    const bool printable = cell.value >= kFirstPrintable && cell.value <= kLastPrintable;
    return where + hex(cell.value, 2) +
           (printable ? QStringLiteral(" '") + QChar(cell.value) + u'\''
                      : QStringLiteral(" no imprimible"));
}

QString HexRowModel::rowText(int row) const {
    const std::size_t first = std::size_t(row) * std::size_t(bytesPerRow_);
    const std::size_t end = std::min(first + std::size_t(bytesPerRow_), addressCount());
    QString text;
    text.reserve(bytesPerRow_);
    for (std::size_t a = first; a < end; ++a) {
        const Cell cell = cellAt(a);
        text += cell.kind == Kind::Empty  ? QChar(u' ')
                : cell.kind == Kind::Byte ? shown(cell.value)
                                          : QChar(u'.');
    }
    return text;
}

void HexRowModel::setDifferences(const TForm2* differences) {
    if (differences_) disconnect(differences_, nullptr, this, nullptr);
    differences_ = differences;
    if (differences_)
        connect(differences_, &TForm2::differencesChanged, this, &HexRowModel::marksChanged);
    marksChanged();
}

void HexRowModel::setHistory(const ImageHistory* history) {
    if (history_) disconnect(history_, nullptr, this, nullptr);
    history_ = history;
    if (history_) connect(history_, &ImageHistory::changed, this, &HexRowModel::marksChanged);
    marksChanged();
}

void HexRowModel::marksChanged() {
    changed_.reset();
    if (rowCount() > 0) emit dataChanged(index(0, 1), index(rowCount() - 1, bytesPerRow_));
}

bool HexRowModel::differs(std::size_t address) const {
    const QString* other = differences_ ? differences_->otherText(address) : nullptr;
    return other && image_.cell(kDataColumn, static_cast<int>(address) + 1) != *other;
}

bool HexRowModel::changed(std::size_t address) const {
    if (!history_) return false;
    if (!changed_) {
        changed_.emplace(addressCount(), false);
        for (const std::uint32_t a : history_->changedSinceReference())
            if (a < changed_->size()) (*changed_)[a] = true;
    }
    return address < changed_->size() && (*changed_)[address];
}

QString HexRowModel::otherSideText(std::size_t address) const {
    const QString* other = differences_ ? differences_->otherText(address) : nullptr;
    if (!other) return {};
    const auto byte = format_.readByte(*other);
    const QString value = other->isEmpty() ? QStringLiteral("vacía")
                          : byte           ? hex(*byte, 2)
                                           : *other;
    return differences_->otherSide() + u' ' + value;
}

std::optional<HexRowModel::Found> HexRowModel::nextDifference(std::size_t from,
                                                              bool forward) const {
    if (!differences_) return std::nullopt;
    const std::vector<std::int32_t>& listed = differences_->lista;
    const auto still = [&](std::int32_t a) { return a >= 0 && differs(std::size_t(a)); };
    const auto at = static_cast<std::int32_t>(from);
    if (forward) {
        for (auto it = std::upper_bound(listed.begin(), listed.end(), at); it != listed.end(); ++it)
            if (still(*it)) return Found{std::size_t(*it), false};
        for (auto it = listed.begin(); it != listed.end() && *it <= at; ++it)
            if (still(*it)) return Found{std::size_t(*it), true};
    } else {
        const auto first = std::lower_bound(listed.begin(), listed.end(), at);
        for (auto it = first; it != listed.begin();)
            if (still(*--it)) return Found{std::size_t(*it), false};
        for (auto it = listed.end(); it != first;)
            if (still(*--it)) return Found{std::size_t(*it), true};
    }
    return std::nullopt;
}

QVariant HexRowModel::markRole(std::size_t address, int role) const {
    const bool differing = differs(address);
    if (!differing && !changed(address)) return {};
    switch (role) {
        case Qt::BackgroundRole:
            return QBrush(differing ? kDiffers : kChanged);
        case Qt::ToolTipRole:
            return differing ? QStringLiteral("Difiere: ") + otherSideText(address)
                             : QStringLiteral("Cambiado desde la última lectura o guardado");
        case Qt::AccessibleTextRole:
            return differing ? QStringLiteral(", difiere: ") + otherSideText(address)
                             : QStringLiteral(", cambiado");
        default:
            return {};
    }
}

void HexRowModel::sourceChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight) {
    // A changed text, or a new number format (the address column): either
    // way the bytes of those rows may read otherwise now. What changed since
    // the last read is worked out again when the history closes a step.
    if (!topLeft.isValid() || !bottomRight.isValid() || rowCount() == 0) return;
    const int first = topLeft.row() / bytesPerRow_;
    const int last = std::min(bottomRight.row() / bytesPerRow_, rowCount() - 1);
    if (first > last) return;
    emit dataChanged(index(first, 1), index(last, textColumn()));
}

int HexRowModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>((addressCount() + bytesPerRow_ - 1) / bytesPerRow_);
}

int HexRowModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : bytesPerRow_ + 2;
}

QVariant HexRowModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const std::size_t first = std::size_t(index.row()) * std::size_t(bytesPerRow_);
    if (index.column() == kAddressColumn) {
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return addressText(first);
        if (role == Qt::BackgroundRole) return QBrush(QColor(0xF0, 0xF0, 0xF0));
        return {};
    }
    if (index.column() == textColumn()) {
        if (role == Qt::DisplayRole) return rowText(index.row());
        if (role == Qt::AccessibleTextRole)
            return QStringLiteral("Texto de ") + addressText(first) + QStringLiteral(": ") +
                   rowText(index.row());
        return {};
    }
    const auto address = addressOf(index);
    if (!address) return {};
    switch (role) {
        case Qt::DisplayRole:
            return byteText(*address);
        case Qt::AccessibleTextRole:
            return spokenByte(*address) + markRole(*address, role).toString();
        case Qt::BackgroundRole:
        case Qt::ToolTipRole:
            return markRole(*address, role);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        default:
            return {};
    }
}

QVariant HexRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical && section >= 0 && section < rowCount() &&
        (role == Qt::DisplayRole || role == Qt::AccessibleTextRole))
        return addressText(std::size_t(section) * std::size_t(bytesPerRow_));
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == kAddressColumn) return QStringLiteral("Dirección");
    if (section == textColumn()) return QStringLiteral("Texto");
    return hex(std::size_t(section - 1), 2);
}

Qt::ItemFlags HexRowModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    if (index.column() == kAddressColumn || index.column() == textColumn())
        return Qt::ItemIsEnabled;
    return addressOf(index) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
