#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

class AddressGridModel;
class ImageHistory;
class TForm2;
struct NumberFormat;

// The memory image as a hex editor shows it: a row of 16 (or 8) addresses,
// then their text. It reads the main grid's texts where they are, in the
// number format of the moment; it keeps no copy of them. Column 0 is the
// row's first address, columns 1 to bytesPerRow its bytes, the last column
// their characters.
class HexRowModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int kAddressColumn = 0;
    static constexpr int kWideRow = 16;
    static constexpr int kNarrowRow = 8;
    // What a byte cell shows when its text is no byte in the current format.
    static inline const QString kNotAByte = QStringLiteral("??");

    HexRowModel(AddressGridModel& image, const NumberFormat& format, QObject* parent = nullptr);

    int bytesPerRow() const { return bytesPerRow_; }
    void setBytesPerRow(int count);
    int textColumn() const { return bytesPerRow_ + 1; }
    // Addresses of the memory type shown: the image's rows.
    std::size_t addressCount() const;

    // The address of a byte cell, or nothing for the other columns.
    std::optional<std::size_t> addressOf(const QModelIndex& index) const;
    QModelIndex indexOf(std::size_t address) const;
    // "0x0010", with 5 digits for memories past 64 KiB.
    QString addressText(std::size_t address) const;
    // As the main grid shows it, for messages: decimal or hexadecimal.
    QString gridAddressText(std::size_t address) const;

    // A byte written in the current number format (grid row address + 1).
    void writeByte(std::size_t address, std::uint8_t value);
    // Several, the image told once when there are many.
    void writeBytes(std::size_t first, const std::vector<std::uint8_t>& values);

    // Bytes that differ from another side (a file compared, a chip read
    // back) are marked, with that side's value; so are the bytes changed
    // since the last read or save, as the history tells.
    void setDifferences(const TForm2* differences);
    void setHistory(const ImageHistory* history);
    // The next (or previous) address that still differs, round the end.
    struct Found {
        std::size_t address;
        bool wrapped;
    };
    std::optional<Found> nextDifference(std::size_t from, bool forward) const;
    bool differs(std::size_t address) const;
    bool changed(std::size_t address) const;
    // "leído de la memoria 34".
    QString otherSideText(std::size_t address) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    enum class Kind { Empty, Byte, NotAByte };
    struct Cell {
        Kind kind;
        std::uint8_t value;
    };
    Cell cellAt(std::size_t address) const;
    QString byteText(std::size_t address) const;
    QString spokenByte(std::size_t address) const;
    QString rowText(int row) const;
    void sourceChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight);
    void marksChanged();
    QVariant markRole(std::size_t address, int role) const;

    AddressGridModel& image_;
    const NumberFormat& format_;
    int bytesPerRow_ = kWideRow;
    const TForm2* differences_ = nullptr;
    const ImageHistory* history_ = nullptr;
    // Worked out again when first asked after a change.
    mutable std::optional<std::vector<bool>> changed_;
};
