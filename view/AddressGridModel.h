#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

struct NumberFormat;

// The main grid's column of data texts.
inline constexpr int kDataColumn = 1;

// The header of every address column.
inline const QString kHeaderDireccion = QStringLiteral("      DIRECCION");

// A grid of one address per row: column 0 is the address, computed from the
// row and the number format; the other columns hold texts. Its own vocabulary
// counts the header as row 0, so row a + 1 belongs to address a; Qt's row a is
// that same address and the header row is the view's horizontal header.
// Texts are kept for rows past the last address, so a larger memory type
// shows them again.
class AddressGridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    AddressGridModel(const NumberFormat& format, int columns, std::size_t capacity,
                     QObject* parent = nullptr);

    QString cell(int column, int row) const;
    // A text that reads as its own row's address, in the format of the
    // moment it was stored: one shared string for a whole column of them
    // instead of one allocation a row.
    static const QString& ownAddress(const NumberFormat& format);
    void setCell(int column, int row, const QString& text);
    // Number of grid rows, the header included: the last address + 2.
    int gridRows() const { return addressCount_ + 1; }
    // Resizes to the last address and shows the addresses in the current format.
    void organiza(std::uint32_t maxdir);
    // Empties a column in grid rows first..last.
    void clearColumn(int column, int firstRow, int lastRow);
    // The texts of a column, grid row r at index r - 1.
    const std::vector<QString>& column(int column) const { return texts_.at(column); }
    // Edits a column's texts in place, then tells the views once.
    template <typename Edit>
    void updateColumn(int column, Edit&& edit) {
        if (!journaled(column)) {
            edit(texts_.at(column));
            columnChanged(column);
            return;
        }
        // The journal notes the column before and tells what differs after,
        // without a copy of the texts.
        journal_.begin();
        journal_.columnBefore(texts_.at(column));
        edit(texts_.at(column));
        journal_.columnAfter(texts_.at(column));
        journal_.end();
        columnChanged(column);
    }

    // Told of every change of a text of the data column: each call that
    // changes texts is bracketed by begin and end, and each text it changed
    // is told, after the change, with the text it had.
    // A whole column edited at once is told before and after instead.
    struct Journal {
        std::function<void()> begin;
        std::function<void(std::size_t address, const QString& before)> cell;
        std::function<void(const std::vector<QString>& texts)> columnBefore;
        std::function<void(const std::vector<QString>& texts)> columnAfter;
        std::function<void()> end;
    };
    void setJournal(Journal journal) { journal_ = std::move(journal); }

    QModelIndex indexOf(int column, int row) const { return index(row - 1, column); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    bool journaled(int column) const { return column == kDataColumn && journal_.cell; }
    void columnChanged(int column);
    QString& storage(int column, std::size_t address);

    const NumberFormat& format_;
    int columns_;
    int addressCount_ = 0;
    std::vector<QString> header_;
    std::vector<std::vector<QString>> texts_;  // index 0 unused: column 0 is computed
    Journal journal_;
};
