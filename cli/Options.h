#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <variant>

#include "cli/Arguments.h"

namespace cli {

struct Options {
    std::optional<std::uint8_t> tipo;
    std::optional<std::uint32_t> desde;
    std::optional<std::uint32_t> hasta;
    std::optional<FileFormat> formato;
    bool verificar = true;
    // Off with --completa: every address written, as the window's default.
    bool rapida = true;
    std::int32_t reintentos = 1;
    bool emulated = false;
    QString emulatedFile;
    bool sinPausa = false;
    bool silencioso = false;
    QString registro;
    QString diferencias;
    QString informe;
    // From the file's addresses to the chip's.
    std::int64_t desplazamiento = 0;
    bool intercambiar = false;
    std::optional<Lane> carril;
    // A PROM read before it is programmed, refused when it cannot take the image.
    bool comprobar = true;
    // The byte of the gaps of the range, programmed and verified.
    std::optional<std::uint8_t> rellenar;
};

// The command line as read: the options, the order and its arguments.
struct Parsed {
    Options options;
    QStringList positional;
    bool help = false;
    bool version = false;
};

// The options and the order's words, or why they are refused (exit 2). The
// refusal is Spanish and names the option; nothing of Qt's English reaches it.
std::variant<Parsed, QString> parseArguments(const QStringList& arguments);

// Why the range does not fit the chosen memory, naming the option.
std::optional<QString> rangeRefusal(const Options& options);

}  // namespace cli
