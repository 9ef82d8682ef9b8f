#include "view/AddressGridModel.h"

#include <QBrush>
#include <QColor>
#include <utility>

#include "view/NumberFormat.h"

AddressGridModel::AddressGridModel(const NumberFormat& format, int columns, std::size_t capacity,
                                   QObject* parent)
    : QAbstractTableModel(parent),
      format_(format),
      columns_(columns),
      header_(columns),
      texts_(columns) {
    for (int c = 1; c < columns_; ++c) texts_[c].resize(capacity);
}

QString& AddressGridModel::storage(int column, std::size_t address) {
    std::vector<QString>& texts = texts_.at(column);
    if (address >= texts.size()) texts.resize(address + 1);
    return texts[address];
}

namespace {
// Never typed: no key gives these characters. Allocated, not literals:
// only allocated strings tell that they are shared.
const QString kOwnAddressDecimal = QString::fromUtf16(u"\u0001d");
const QString kOwnAddressHexadecimal = QString::fromUtf16(u"\u0001h");
}  // namespace

const QString& AddressGridModel::ownAddress(const NumberFormat& format) {
    return format.hexadecimal() ? kOwnAddressHexadecimal : kOwnAddressDecimal;
}

QString AddressGridModel::cell(int column, int row) const {
    if (column < 0 || column >= columns_ || row < 0) return {};
    if (row == 0) return header_[column];
    if (column == 0) return row <= addressCount_ ? format_.show(row - 1) : QString();
    const std::vector<QString>& texts = texts_[column];
    if (static_cast<std::size_t>(row - 1) >= texts.size()) return {};
    const QString& text = texts[row - 1];
    const auto address = static_cast<std::uint32_t>(row - 1);
    if (text.isSharedWith(kOwnAddressDecimal)) return NumberFormat{}.show(address);
    if (text.isSharedWith(kOwnAddressHexadecimal)) return NumberFormat{1, u'h'}.show(address);
    return text;
}

void AddressGridModel::setCell(int column, int row, const QString& text) {
    if (column < 0 || column >= columns_ || row < 0) return;
    if (row == 0) {
        header_[column] = text;
        emit headerDataChanged(Qt::Horizontal, column, column);
        return;
    }
    if (column == 0) return;
    QString& stored = storage(column, row - 1);
    // Writing the text a cell has already is no change to remember.
    if (journaled(column) && stored != text) {
        const QString before = stored;
        journal_.begin();
        stored = text;
        journal_.cell(static_cast<std::size_t>(row - 1), before);
        journal_.end();
    } else {
        stored = text;
    }
    if (row <= addressCount_) {
        const QModelIndex changed = index(row - 1, column);
        emit dataChanged(changed, changed);
    }
}

void AddressGridModel::organiza(std::uint32_t maxdir) {
    const int wanted = static_cast<int>(maxdir) + 1;
    if (wanted != addressCount_) {
        // A reset costs the views far less than inserting 100000 rows.
        beginResetModel();
        addressCount_ = wanted;
        endResetModel();
        return;
    }
    if (addressCount_ > 0) emit dataChanged(index(0, 0), index(addressCount_ - 1, 0));
}

void AddressGridModel::clearColumn(int column, int firstRow, int lastRow) {
    if (column <= 0 || column >= columns_) return;
    if (firstRow == 0) setCell(column, 0, QString());
    std::vector<QString>& texts = texts_[column];
    const int last = std::min<int>(lastRow, static_cast<int>(texts.size()));
    if (journaled(column)) journal_.begin();
    for (int row = std::max(firstRow, 1); row <= last; ++row) {
        QString& text = texts[row - 1];
        if (text.isEmpty()) continue;
        const QString before = std::exchange(text, QString());
        if (journaled(column)) journal_.cell(static_cast<std::size_t>(row - 1), before);
    }
    if (journaled(column)) journal_.end();
    columnChanged(column);
}

void AddressGridModel::columnChanged(int column) {
    if (addressCount_ > 0) emit dataChanged(index(0, column), index(addressCount_ - 1, column));
}

int AddressGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : addressCount_;
}

int AddressGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant AddressGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return cell(index.column(), index.row() + 1);
        case Qt::ForegroundRole:
            return QBrush(Qt::red);
        case Qt::BackgroundRole:
            if (index.column() == 0) return QBrush(QColor(0xF0, 0xF0, 0xF0));
            return {};
        case Qt::AccessibleTextRole: {
            // Silence would sound like a cell skipped.
            const QString text = cell(index.column(), index.row() + 1);
            return text.isEmpty() ? QStringLiteral("vacía") : text;
        }
        default:
            return {};
    }
}

bool AddressGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() == 0 || role != Qt::EditRole) return false;
    setCell(index.column(), index.row() + 1, value.toString());
    return true;
}

Qt::ItemFlags AddressGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    if (index.column() == 0) return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant AddressGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    // A row is heard by its address, counted from 0 as addresses are: the
    // header itself is hidden.
    if (orientation == Qt::Vertical && section >= 0 && section < addressCount_ &&
        (role == Qt::DisplayRole || role == Qt::AccessibleTextRole))
        return QStringLiteral("0x%1")
            .arg(section, addressCount_ > 0x10000 ? 5 : 4, 16, QLatin1Char('0'))
            .toUpper()
            .replace(u'X', u'x');
    if (orientation == Qt::Horizontal && section >= 0 && section < columns_) {
        if (role == Qt::DisplayRole) return header_[section];
        if (role == Qt::ForegroundRole) return QBrush(Qt::red);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}
