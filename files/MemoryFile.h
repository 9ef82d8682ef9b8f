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

// Reads every line of a file. Throws IoError when it cannot be read.
QStringList read(const QString& path);

// The bytes of a file holding these texts (indexes 0 .. count - 1).
QByteArray format(const QString& marker, const std::vector<QString>& texts, std::size_t count);

// Writes the bytes so that the file is replaced only once all of them are
// written. Throws IoError naming the path and the reason.
void write(const QString& path, const QByteArray& bytes);

// The name after the last folder separator, backslash or colon.
QString nameOf(const QString& path);

}  // namespace memory_file
