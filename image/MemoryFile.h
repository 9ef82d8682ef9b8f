#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

inline const QString kMarcaDecimal = QStringLiteral("d");
inline const QString kMarcaHexadecimal = QStringLiteral("h");
inline const QString kFileNotFound = QStringLiteral("File not found");

// A memory file: the format marker line ("d" or "h"), then one line per
// address with its data text, every line ended by CR LF, 8-bit characters.
namespace memory_file {

// No memory file comes near these: a larger file is refused as unreadable,
// a longer line as not a memory file.
constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;
constexpr qsizetype kMaxLineLength = 4096;
// The lines kept of a file: its marker and a line for every address of the
// largest memory. No memory type shows a row past these, so the rest are
// only counted.
constexpr qsizetype kMaxKeptLines = 131072 + 1;

// The lines of a file's text, without their ends, at most keep of them. A
// line ends at LF, with the CR before it dropped; text after the last line
// end is a last line. count, when given, gets the number of all lines,
// longest the length of the longest, and firstFilledBeyond the number
// (from 1) of the first line past those kept that is not empty, or 0.
QStringList splitLines(const QByteArray& bytes, qsizetype keep = kMaxKeptLines,
                       std::size_t* count = nullptr, qsizetype* longest = nullptr,
                       std::size_t* firstFilledBeyond = nullptr);

enum class Marker { None, Decimal, Hexadecimal, Other };

// A file's lines, read but not yet taken into any grid.
struct Contents {
    Marker marker = Marker::None;  // None: the file has no line at all
    QStringList lines;             // the marker line first; at most kMaxKeptLines
    std::size_t allLines = 0;      // those kept and those only counted
    bool lineTooLong = false;
    // The number (from 1) of the first line past those kept that holds a
    // text, or 0.
    std::size_t firstFilledBeyondKept = 0;

    // Every data line of the file.
    std::size_t dataLines() const { return allLines == 0 ? 0 : allLines - 1; }
    // The data lines that data() gives.
    std::size_t keptDataLines() const {
        return lines.isEmpty() ? 0 : static_cast<std::size_t>(lines.size()) - 1;
    }
    const QString& data(std::size_t address) const {
        return lines[static_cast<qsizetype>(address) + 1];
    }
};

Contents parse(const QByteArray& bytes);

// The bytes of a file holding these texts (indexes 0 .. count - 1).
QByteArray format(const QString& marker, const std::vector<QString>& texts, std::size_t count);

// A data line's number as the window reads it: decimal with optional
// leading blanks and sign, within 32 bits; or hexadecimal of at most eight
// significant digits, as a 32-bit two's complement. Nothing for any other text.
std::optional<std::int64_t> numberOfText(const QString& text, bool hexadecimal);

// The name after the last folder separator, backslash or colon.
QString nameOf(const QString& path);

}  // namespace memory_file
