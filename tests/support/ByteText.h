#pragma once

#include <QStringList>
#include <QTest>
#include <cstdint>
#include <vector>

// Byte lists print as "{8, 8, 8}" when a comparison fails.
template <>
inline char* QTest::toString(const std::vector<std::uint8_t>& bytes) {
    QStringList items;
    for (std::uint8_t byte : bytes) items << QString::number(byte);
    return qstrdup(("{" + items.join(", ") + "}").toUtf8().constData());
}
