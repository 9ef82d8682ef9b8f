#include "cli/Messages.h"

#include <QLocale>
#include <algorithm>

#include "image/Texts.h"

namespace cli {

namespace {
constexpr std::int64_t kNsPerSecond = 1'000'000'000;
constexpr std::int64_t kShortRun = 10;
}  // namespace

QString shown(const QString& text) {
    return shownText(text);
}

QString capitalized(const QString& text) {
    if (text.isEmpty()) return text;
    return text.front().toUpper() + text.mid(1);
}

QString pathShown(const QString& path, const QString& standard) {
    return path == QLatin1String("-") ? standard : shown(path);
}

QString hexAddress(std::uint64_t address, std::uint32_t maxdir) {
    const int digits = maxdir > 0xFFFF ? 5 : 4;
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(address, digits, 16, QLatin1Char('0')).toUpper();
}

QString hexByte(std::uint32_t value) {
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString counted(std::uint64_t count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromUtf8(count == 1 ? one : many));
}

QString spokenDuration(std::int64_t nanoseconds) {
    const std::int64_t ns = std::max<std::int64_t>(nanoseconds, 0);
    if (ns < kShortRun * kNsPerSecond)
        return QLocale(QLocale::Spanish).toString(double(ns) / double(kNsPerSecond), 'f', 1) +
               QStringLiteral(" s");
    const std::int64_t seconds = (ns + kNsPerSecond / 2) / kNsPerSecond;
    if (seconds < 60) return QStringLiteral("%1 s").arg(seconds);
    if (seconds < 3600) return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    return QStringLiteral("%1 h %2 min").arg(seconds / 3600).arg(seconds / 60 % 60);
}

}  // namespace cli
