#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "cli/Arguments.h"
#include "engine/Settings.h"

namespace cli {

using engine::serialBytes;
using engine::serialFormatName;
using engine::SerialLayout;

// A fault of an emulated programmer, for trials of a bench: reads that
// change a bit now and then, an unplug at a report, no answers.
struct EmulatedFault {
    enum class Kind { Inestable, Desconecta, Mudo, Chip };
    int programmer = 1;  // counted from 1, as VIRTUAL-1
    Kind kind = Kind::Inestable;
    std::int64_t atReport = 0;
    // Kind::Chip: the chip's fault by its name (device/EmulatedFaults.h).
    QString chip;
};

// The settings of a job, and what only a run of the command line has.
struct Options : engine::Settings {
    bool emulated = false;
    // One emulated programmer per file (--virtual=ARCHIVO, repeated).
    QStringList emulatedFiles;
    std::vector<EmulatedFault> emulatedFaults;
    bool sinPausa = false;
    // No look at the socket before the order.
    bool sinZocalo = false;
    bool silencioso = false;
    QString diferencias;
    QString informe;
    // leer: the output file's other addresses kept.
    bool conservar = false;

    // A bench: which programmer (serial, hidraw path or USB port path), or
    // all at once; a batch of chips; a number in each chip.
    QString dispositivo;
    bool todos = false;
    bool lote = false;
    QString operario;
    QString trabajo;
    // The line's database (ARCHIVO.sqlite) and the sequence of its numbers.
    QString base;
    QString secuencia;
    // JSON Lines on standard output.
    bool json = false;
    // trabajo --sellar; the seal of the sealed job in use.
    bool sellar = false;
    QString sello;
    // leer: the range read so many times, every read compared.
    std::uint32_t lecturas = 1;
    // Identification: the catalogues (none: those of the usual folder), a
    // folder of ROM sets for a guess, and leer's own identification.
    QStringList dat;
    QString roms;
    bool identificar = false;
};

// The command line as read: the options, the order and its arguments.
struct Parsed {
    Options options;
    QStringList positional;
    // The image a job file names, for an order given none.
    QString jobImage;
    bool serialFromJob = false;
    // The long names of the options given on the command line itself.
    QSet<QString> given;
    bool help = false;
    bool version = false;
};

// The options and the order's words, or why they are refused (exit 2). The
// refusal is Spanish and names the option; nothing of Qt's English reaches it.
std::variant<Parsed, QString> parseArguments(const QStringList& arguments);

// The long names of the options in a command line, "-t" as "tipo".
QSet<QString> givenOptions(const QStringList& arguments);

// Why the range does not fit the chosen memory, naming the option.
std::optional<QString> rangeRefusal(const Options& options);

}  // namespace cli
