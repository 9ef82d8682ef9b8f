#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <utility>
#include <vector>

// The chips the programmer's socket can hold.
enum class Chip { Sram24, Sram28, Eprom28c64, Prom27c512, Prom27c010 };
constexpr int kChipCount = 5;

// An emulation of the programmer's firmware: it parses the command bytes,
// drives the chip in the socket the way the real part behaves, and queues one
// answer byte per read request. It knows nothing of the host program's tables,
// so a wrong byte from the host shows up as a wrong chip content.
class Firmware {
  public:
    static constexpr std::int64_t kEepromWriteCycleNs = 10'000'000;

    Firmware();

    // Feeds one received payload byte at the given time.
    void receive(std::uint8_t byte, std::int64_t nowNs);
    // The next answer byte, if a read request is waiting for one.
    std::optional<std::uint8_t> takeAnswer();
    bool answerPending() const { return !answers_.empty(); }

    // Power-up: parser idle, answers dropped, static RAMs cleared, greeting expected.
    void powerUp();

    std::uint8_t peek(Chip chip, std::uint32_t address) const;
    void poke(Chip chip, std::uint32_t address, std::uint8_t value);
    static std::uint32_t chipSize(Chip chip);

    // Told of every cell a write changes, with the value the cell then holds.
    void setStoreObserver(std::function<void(Chip, std::uint32_t, std::uint8_t)> stored) {
        stored_ = std::move(stored);
    }

    // Which 28-pin part answers command 2 and which PROM answers command 11.
    // A write command to a part also puts it in the socket.
    void insert(Chip chip);

    // Faults.
    void setStuckBits(Chip chip, std::uint32_t address, std::uint8_t mask, std::uint8_t value);
    void loseWritesAt(Chip chip, std::uint32_t address);
    void loseNextWrites(int count) { loseNext_ = count; }
    // No chip in the socket: nothing is written and every read gives FF,
    // as the pulled-up data lines do.
    void removeChip() { chipMissing_ = true; }
    // A data line stuck at 0 or 1, on every read of every chip.
    void setDataLineStuck(int bit, bool high) { stuckData_ = {bit, high}; }
    // A loose contact: this share of the reads gives one bit flipped, at
    // random (repeatable from the seed).
    void setLooseContact(double share, unsigned seed);
    // An address line held low: bit `line` of every address is 0.
    void setAddressLineLow(int line) { lowAddressLine_ = line; }
    // No chip and the data lines left floating: every read gives a byte
    // that varies (repeatable from the seed).
    void removeChipFloating(unsigned seed) {
        chipMissing_ = true;
        floating_ = true;
        loose_.seed(seed);
    }
    // A chip with only this many address lines: address a reaches a mod 2^lines.
    void setAddressLines(int lines) { addressLines_ = lines; }
    // Every write is ignored: a write-protected or read-only part.
    void setWriteProtected(bool on) { writeProtected_ = on; }

    // Counters for tests.
    int writesApplied() const { return writesApplied_; }
    int writesIgnored() const { return writesIgnored_; }

  private:
    enum class Command : std::uint8_t {
        None = 0,
        WriteSram28 = 1,
        Read28Pin = 2,
        WriteSram24 = 3,
        ReadSram24 = 4,
        WriteEeprom = 6,
        Reset = 8,
        WriteProm512 = 10,
        ReadProm = 11,
        WriteProm010 = 12,
    };
    struct Stuck {
        std::uint8_t mask;
        std::uint8_t value;
    };

    static int argumentCount(Command command);
    void execute(std::int64_t nowNs);
    void answerRead(std::uint8_t value);
    void write(Chip chip, std::uint32_t address, std::uint8_t value, std::int64_t nowNs);
    std::uint8_t read(Chip chip, std::uint32_t address, std::int64_t nowNs) const;
    // The cell an address reaches, through the address lines as wired.
    std::uint32_t wired(Chip chip, std::uint32_t address) const;
    std::uint32_t shortAddress() const;
    std::uint32_t longAddress() const;
    std::vector<std::uint8_t>& memory(Chip chip) { return chips_[static_cast<int>(chip)]; }
    const std::vector<std::uint8_t>& memory(Chip chip) const {
        return chips_[static_cast<int>(chip)];
    }

    std::vector<std::uint8_t> chips_[kChipCount];
    Command command_ = Command::None;
    std::uint8_t args_[4] = {};
    int argsReceived_ = 0;
    bool greetingExpected_ = true;
    std::deque<std::uint8_t> answers_;

    Chip socket28_ = Chip::Sram28;
    Chip socketProm_ = Chip::Prom27c010;

    std::int64_t eepromBusyUntil_ = 0;
    std::uint8_t eepromLastWritten_ = 0;

    std::vector<std::pair<std::pair<Chip, std::uint32_t>, Stuck>> stuck_;
    std::set<std::pair<Chip, std::uint32_t>> lostAt_;
    int loseNext_ = 0;
    bool chipMissing_ = false;
    double looseShare_ = 0;
    std::minstd_rand loose_;
    std::optional<std::pair<int, bool>> stuckData_;
    int lowAddressLine_ = -1;
    int addressLines_ = -1;
    bool floating_ = false;
    bool writeProtected_ = false;
    int writesApplied_ = 0;
    int writesIgnored_ = 0;
    std::function<void(Chip, std::uint32_t, std::uint8_t)> stored_;
};
