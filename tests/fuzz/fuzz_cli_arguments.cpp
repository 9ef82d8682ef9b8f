// The command line's options, as any bytes may give them (arguments apart at
// each NUL): taken or refused without harm, every refusal a Spanish line of
// its own that shows no control character and none of Qt's English.
#include <QStringList>
#include <cstdint>
#include <cstdlib>

#include "cli/Options.h"

namespace {
void check(const QString& refusal) {
    if (refusal.isEmpty()) std::abort();
    for (const QChar c : refusal)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) std::abort();
    for (const char* english : {"Missing", "Unexpected", "Unknown option", "value after"})
        if (refusal.contains(QLatin1String(english))) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QStringList arguments{QStringLiteral("programador-cli")};
    for (const QByteArray& argument : bytes.split('\0')) arguments << QString::fromUtf8(argument);
    const auto parsed = cli::parseArguments(arguments);
    if (const auto* refusal = std::get_if<QString>(&parsed)) {
        check(*refusal);
        return 0;
    }
    const cli::Options& options = std::get<cli::Parsed>(parsed).options;
    if (options.sinPausa && !options.emulated) std::abort();
    if (const auto refusal = cli::rangeRefusal(options)) check(*refusal);
    return 0;
}
