#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

inline const QString kMarcaDecimal = QStringLiteral("d");
inline const QString kMarcaHexadecimal = QStringLiteral("h");
inline const QString kFileNotFound = QStringLiteral("File not found");

// A memory file: the format marker line ("d" or "h"), then one line per
// address with its data text, every line ended by CR LF, 8-bit characters.
namespace memory_file {

// The lines of a file's text, without their ends. A line ends at LF, with the
// CR before it dropped; text after the last line end is a last line.
QStringList splitLines(const QByteArray& bytes);

// No memory file comes near these: a larger file is refused as unreadable,
// a longer line as not a memory file.
constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;
constexpr qsizetype kMaxLineLength = 4096;

enum class Marker { None, Decimal, Hexadecimal, Other };

// A file's lines, read but not yet taken into any grid.
struct Contents {
    Marker marker = Marker::None;  // None: the file has no line at all
    QStringList lines;             // the marker line first
    bool lineTooLong = false;

    std::size_t dataLines() const {
        return lines.isEmpty() ? 0 : static_cast<std::size_t>(lines.size()) - 1;
    }
    const QString& data(std::size_t address) const {
        return lines[static_cast<qsizetype>(address) + 1];
    }
};

Contents parse(const QByteArray& bytes);

// Reads a whole file. Throws IoError when it cannot be read.
Contents read(const QString& path);
QByteArray readBytes(const QString& path);

// The bytes of a file holding these texts (indexes 0 .. count - 1).
QByteArray format(const QString& marker, const std::vector<QString>& texts, std::size_t count);

// Writes the bytes so that the file is replaced only once all of them are
// written. Throws IoError naming the path and the reason.
void write(const QString& path, const QByteArray& bytes);

// The name after the last folder separator, backslash or colon.
QString nameOf(const QString& path);

}  // namespace memory_file
