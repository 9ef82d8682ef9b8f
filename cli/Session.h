#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "chip/Diagnosis.h"
#include "chip/Loops.h"
#include "chip/Progress.h"
#include "cli/EmulatedChip.h"
#include "cli/Interrupts.h"
#include "cli/Options.h"
#include "cli/Programmer.h"
#include "cli/ProgressDisplay.h"
#include "cli/Record.h"
#include "cli/Station.h"
#include "cli/Streams.h"
#include "device/MemoryTypes.h"
#include "image/ImageFormats.h"
#include "image/Refusal.h"

class CommandSet;
class HidLibrary;
class HidProbe;
class Link;
class Platform;
class QIODevice;
class VirtualProgrammer;

namespace cli {

enum ExitCode {
    kCorrecto = 0,
    kDifiere = 1,
    kUsoInvalido = 2,
    kSinProgramador = 3,
    kSinMemoria = 4,
    kInterrumpido = 130,
};

// Ends a run with its exit code; the message has been told.
struct Exit {
    int code;
};

class Command;

// An image as the chip is to hold it: the bytes the file gives in the range
// at the chip's addresses, the gaps FF (or --rellenar's byte), and which
// addresses are to be programmed or compared (with --rellenar, every one).
struct Wanted {
    image::Bytes bytes;
    std::vector<bool> given;
    image::Map map;
    std::uint64_t addresses = 0;
    bool filled = false;
};

// What one chip's run is within a bench: its batch and place in it, the
// serial number it writes, and where its lines and progress go.
struct ChipContext {
    QString lote;  // the batch's name; empty outside a batch
    int secuencia = 0;
    // The chip's serial number, once reserve gave it: a chip is given one
    // only after its socket check, when its image is about to be placed.
    std::optional<std::uint64_t> serial;
    // Takes the next number into serial; the failure, or nothing. Nothing
    // in serial and no failure: the last possible number was given.
    std::function<std::optional<QString>(std::optional<std::uint64_t>&)> reserve;
    // A gang's worker tells the board; unset, the lines go to stderr.
    std::function<void(const QString&)> line;
    std::function<void(int percent, const QString& state)> progress;
    // The verdict is told by the bench with the others', not at the end.
    bool verdictApart = false;
    // Before a byte of the serial number may reach the chip; the failure to
    // record that ends the run before it does.
    std::function<std::optional<QString>(std::uint64_t)> burning;
    // The chip's row, committed with its serial number's end; the failure,
    // with the line kept in a local file, ends the run with exit 3.
    std::function<std::optional<QString>(const RecordEntry&, std::optional<std::uint64_t> serial,
                                         bool correct)>
        commit;
    // --json: the chip's line as an event.
    std::function<void(const RecordEntry&)> memory;
};

// One run of the command line on one chip: its options, what it tells on
// stderr, its files, the programmer it opens and closes, and the progress of
// its loops.
class Session : public QObject {
    Q_OBJECT
  public:
    Session(const Options& options, Streams& streams, Station& station, ChipContext context = {});
    ~Session() override;

    // Before the order runs: every file it will write is checked, the record
    // opened and the emulated chip taken, so that nothing reaches a
    // programmer when any of them is refused.
    void prepare(const Command& command, const QStringList& arguments);
    // After it: the exit run, the emulated chip's last word, the record's
    // line and the verdict. The exit code as it stands then.
    int finish(const Command& command, int exitCode, double seconds);

    const Options& options() const { return options_; }
    const MemoryType& type() const;
    std::size_t memorySize() const { return std::size_t{type().maxdir} + 1; }
    std::uint32_t first() const { return options_.desde.value_or(0); }
    std::uint32_t last() const { return options_.hasta.value_or(type().maxdir); }
    bool rangeGiven() const { return options_.desde || options_.hasta; }

    // A line on stderr; a line of the order's own output on stdout.
    void say(const QString& line);
    void print(const QString& line);
    [[noreturn]] void fail(int code, const QString& message);

    // "-" is standard input or output. A file that cannot be read or written
    // ends the run (exit 2); a signal while it waits, exit 130.
    QByteArray readInput(const QString& path);
    void writeOutput(const QString& path, const QByteArray& bytes);
    // The same, giving the error number (0 when written) instead of ending the run.
    int writeOutputFile(const QString& path, const QByteArray& bytes);
    // The format a file is written in: --formato, else its extension;
    // binary for "-".
    FileFormat outputFormatOf(const QString& path);
    bool outputIsTerminal() const { return streams_.outIsTerminal; }
    // The image a file gives, its format declared or told by its contents,
    // placed on the chip as the options say; a refused file ends the run
    // before anything goes to the programmer.
    Wanted loadWanted(const QString& path);
    // The bytes a file gives at its own addresses.
    image::Map readImageMap(const QString& path);
    // Those bytes in a memory of size bytes, the gaps FF; a file past its
    // last address is refused (exit 2).
    image::Bytes memoryBytes(const QString& path, const image::Map& map, std::size_t size);
    // Refuses, before the first report, a read the options cannot write
    // back at the file's addresses.
    void checkOutputPlacement(FileFormat format);
    // A refusal of the core with its addresses written as this run writes them.
    image::Refusal refusalIn(const image::Refusal& refusal) const;
    bool typeGiven() const { return options_.tipo.has_value(); }
    // The format of the last image read, and whether its contents told it.
    QString lastFormatText() const { return lastFormatText_; }

    // The line that ends a run that succeeded, unless -q.
    void setVerdict(const QString& verdict) { verdict_ = verdict; }
    QString verdict() const { return verdict_; }
    // What the record calls a run that ended with this code.
    QString resultOf(int exitCode) const { return resultName(exitCode); }
    // Programmed without reading back: the record does not say correct.
    void setUnverified() { unverified_ = true; }
    std::int64_t elapsedNs() const;

    // Opens the programmer: the start run goes out once. Exit 3 when there
    // is none, or it may not be opened.
    chip::Access& open();
    // The look at the socket before the order's first read or write, unless
    // --sin-zocalo: a chip that is not there or does not answer ends the run
    // (exit 4) before the order touches it. On a write, written and wanted
    // say where the order writes and what.
    struct SocketUse {
        bool writes = false;
        std::function<bool(std::uint32_t)> written = {};
        std::function<std::optional<std::uint8_t>(std::uint32_t)> wanted = {};
        // An erased chip and an empty socket look alike: said unless the
        // order's own analysis will say it.
        bool sayCannotTell = true;
    };
    void checkSocket(const SocketUse& use);
    // The programmer below the link, for the hardware check.
    std::unique_ptr<HidProbe> probe();
    Station& station() { return station_; }
    const ChipContext& context() const { return context_; }
    // The serial number's bytes over the wanted image, at their addresses;
    // refused (exit 2) when they do not fit the range or the number its bytes.
    // The number is reserved here, after the socket check.
    void placeSerial(Wanted& wanted);
    // The program pass is about to send address: the serial number starts
    // burning at its first byte.
    void beforeWrite(std::uint32_t address);
    // A report the hardware check sent below the link failed.
    void haltProgrammer() { programmer_->halt(); }
    // The time of the platform, in nanoseconds.
    std::int64_t nowNs() const;
    // The loops' question at every address: progress, events, Ctrl+C, a lost
    // programmer.
    chip::Step at(std::uint32_t address);
    std::function<chip::Step(std::uint32_t)> atHook();
    // The same question without a progress line: programmer lost, or Ctrl+C.
    chip::Step stepHere() const;
    void startProgress(std::vector<Progress::Pass> passes);
    void nextPass();
    // A loop that did not complete ends the run with its message and code.
    void conclude(const chip::Outcome& outcome);
    // The message and code of a loop that did not complete.
    [[noreturn]] void failAt(const chip::Outcome& outcome);

    // A read hook that keeps every byte compared with the wanted one, for
    // the diagnosis.
    std::function<void(std::uint32_t, std::uint8_t)> comparing(
        std::function<std::uint8_t(std::uint32_t)> wanted);

    // Lists the differences (the first 20 and a count) and why the chip
    // differs, writes them all with --diferencias; returns the exit code
    // they make.
    int reportMismatches(const std::vector<chip::Mismatch>& mismatches, const QString& wantedName);

    // What --registro keeps of the run.
    void setImageCrc(const image::Bytes& bytes, std::uint32_t first, std::uint32_t last);
    void setImageName(const QString& name) { imageName_ = name; }
    void setCheckDone(bool done) { checked_ = done; }
    void countRetry() { ++retriesUsed_; }
    // Differences found other than by a comparison with an image.
    void setDifferences(std::size_t count, const QString& first, const QString& diagnosis) {
        differences_ = count;
        firstDifference_ = first;
        diagnosis_ = diagnosis;
    }

    QString addressText(std::uint64_t address) const;
    // The addresses of the range, for the verdicts.
    std::uint64_t rangeSize() const { return std::uint64_t{last()} - first() + 1; }

  private:
    struct ImageFile {
        QByteArray bytes;
        FileFormat format;
    };
    ImageFile readImageFile(const QString& path);
    QString imageFileName(const QString& path) const;
    QString subject(const QString& path) const;
    void checkTargets(const Command& command, const QStringList& arguments);
    void prepareEmulation();
    void closeProgrammer();
    RecordEntry recordEntry(const QString& order, int exitCode, double seconds) const;
    QString resultName(int exitCode) const;
    [[noreturn]] void refuseRead(const QString& path, int error);

    const Options& options_;
    Streams& streams_;
    Station& station_;
    ChipContext context_;
    ProgressDisplay display_;
    Platform* platform_ = nullptr;
    bool emulationReady_ = false;
    std::unique_ptr<Programmer> programmer_;
    bool haltTold_ = false;
    QString lastFormatText_;
    std::int64_t startNs_ = 0;
    Record record_;
    EmulatedChip chipFile_;
    QString verdict_;
    bool unverified_ = false;
    // When the chip's run ended: one time in its record line, row and JSON.
    QDateTime ended_;
    std::optional<std::uint32_t> crc_;
    std::size_t differences_ = 0;
    QString firstDifference_;
    QString diagnosis_;
    QString imageName_;
    std::optional<bool> checked_;
    int retriesUsed_ = 0;
    bool serialBurning_ = false;
    // The bytes the socket check wrote (patterns on a RAM, a byte on a 28c64).
    int socketWrites_ = 0;
    std::vector<chip::Compared> compared_;
};

}  // namespace cli
