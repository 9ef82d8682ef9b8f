#include "image/Texts.h"

namespace {
constexpr char16_t kFirstPrintable = 0x20;
constexpr char16_t kDelete = 0x7F;
constexpr char16_t kLastC1 = 0x9F;
constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kParagraphSeparator = 0x2029;
}  // namespace

QString shownText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool control = u < kFirstPrintable || (u >= kDelete && u <= kLastC1) ||
                             u == kLineSeparator || u == kParagraphSeparator;
        if (control)
            out += QStringLiteral("\\x") +
                   QStringLiteral("%1").arg(unsigned(u), 2, 16, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    return out;
}
