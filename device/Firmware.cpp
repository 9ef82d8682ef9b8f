#include "device/Firmware.h"

#include <algorithm>

namespace {
constexpr std::uint8_t kErased = 0xFF;
constexpr std::uint8_t kGreeting = 1;
constexpr std::uint8_t kDataPollingBit = 0x80;
constexpr std::uint8_t kFloatingBus = 0xFF;

bool isVolatile(Chip chip) {
    return chip == Chip::Sram24 || chip == Chip::Sram28;
}
}  // namespace

Firmware::Firmware() {
    for (int i = 0; i < kChipCount; ++i) {
        const Chip chip = static_cast<Chip>(i);
        chips_[i].assign(chipSize(chip), isVolatile(chip) ? 0 : kErased);
    }
}

std::uint32_t Firmware::chipSize(Chip chip) {
    switch (chip) {
        case Chip::Sram24:
            return 1024;
        case Chip::Sram28:
            return 8192;
        case Chip::Eprom28c64:
            return 8192;
        case Chip::Prom27c512:
            return 65536;
        case Chip::Prom27c010:
            return 131072;
    }
    return 0;
}

void Firmware::powerUp() {
    command_ = Command::None;
    argsReceived_ = 0;
    answers_.clear();
    greetingExpected_ = true;
    std::fill(memory(Chip::Sram24).begin(), memory(Chip::Sram24).end(), 0);
    std::fill(memory(Chip::Sram28).begin(), memory(Chip::Sram28).end(), 0);
}

int Firmware::argumentCount(Command command) {
    switch (command) {
        case Command::WriteSram24:
        case Command::WriteSram28:
        case Command::WriteEeprom:
            return 3;
        case Command::ReadSram24:
        case Command::Read28Pin:
            return 2;
        case Command::WriteProm512:
        case Command::WriteProm010:
            return 4;
        case Command::ReadProm:
            return 3;
        default:
            return -1;
    }
}

void Firmware::receive(std::uint8_t byte, std::int64_t nowNs) {
    if (command_ == Command::None) {
        const bool greeting = greetingExpected_ && byte == kGreeting;
        greetingExpected_ = false;
        if (greeting || byte == static_cast<std::uint8_t>(Command::Reset)) return;
        const Command command = static_cast<Command>(byte);
        if (argumentCount(command) < 0) return;  // not a command: ignored
        command_ = command;
        argsReceived_ = 0;
        return;
    }
    args_[argsReceived_++] = byte;
    if (argsReceived_ == argumentCount(command_)) {
        execute(nowNs);
        command_ = Command::None;
    }
}

std::uint32_t Firmware::shortAddress() const {
    return static_cast<std::uint32_t>(args_[0]) | static_cast<std::uint32_t>(args_[1]) << 8;
}

std::uint32_t Firmware::longAddress() const {
    return static_cast<std::uint32_t>(args_[0]) |
           (static_cast<std::uint32_t>(args_[1]) & 0x1F) << 8 |
           static_cast<std::uint32_t>(args_[2]) << 13;
}

void Firmware::execute(std::int64_t nowNs) {
    switch (command_) {
        case Command::WriteSram24:
            write(Chip::Sram24, shortAddress(), args_[2], nowNs);
            break;
        case Command::ReadSram24:
            answerRead(read(Chip::Sram24, shortAddress(), nowNs));
            break;
        case Command::WriteSram28:
            socket28_ = Chip::Sram28;
            write(Chip::Sram28, shortAddress(), args_[2], nowNs);
            break;
        case Command::WriteEeprom:
            socket28_ = Chip::Eprom28c64;
            write(Chip::Eprom28c64, shortAddress(), args_[2], nowNs);
            break;
        case Command::Read28Pin:
            answerRead(read(socket28_, shortAddress(), nowNs));
            break;
        case Command::WriteProm512:
            socketProm_ = Chip::Prom27c512;
            write(Chip::Prom27c512, longAddress(), args_[3], nowNs);
            break;
        case Command::WriteProm010:
            socketProm_ = Chip::Prom27c010;
            write(Chip::Prom27c010, longAddress(), args_[3], nowNs);
            break;
        case Command::ReadProm:
            answerRead(read(socketProm_, longAddress(), nowNs));
            break;
        default:
            break;
    }
}

std::uint32_t Firmware::wired(Chip chip, std::uint32_t address) const {
    if (lowAddressLine_ >= 0) address &= ~(std::uint32_t{1} << lowAddressLine_);
    if (addressLines_ >= 0) address &= (std::uint32_t{1} << addressLines_) - 1;
    return address % chipSize(chip);  // address lines above the chip's are not wired
}

void Firmware::write(Chip chip, std::uint32_t address, std::uint8_t value, std::int64_t nowNs) {
    address = wired(chip, address);
    if (chipMissing_ || writeProtected_) {
        ++writesIgnored_;
        return;
    }
    if (loseNext_ > 0 || lostAt_.count({chip, address})) {
        if (loseNext_ > 0) --loseNext_;
        ++writesIgnored_;
        return;
    }
    std::uint8_t& cell = memory(chip)[address];
    switch (chip) {
        case Chip::Eprom28c64:
            // The part ignores every write during its internal write cycle.
            if (nowNs < eepromBusyUntil_) {
                ++writesIgnored_;
                return;
            }
            cell = value;
            eepromLastWritten_ = value;
            eepromBusyUntil_ = nowNs + kEepromWriteCycleNs;
            break;
        case Chip::Prom27c512:
        case Chip::Prom27c010:
            cell &= value;  // programming only clears bits
            break;
        default:
            cell = value;
            break;
    }
    ++writesApplied_;
    if (stored_) stored_(chip, address, cell);
}

std::uint8_t Firmware::read(Chip chip, std::uint32_t address, std::int64_t nowNs) const {
    address = wired(chip, address);
    if (chipMissing_) return kFloatingBus;
    // During its write cycle the EEPROM answers with data polling: bit 7 inverted.
    if (chip == Chip::Eprom28c64 && nowNs < eepromBusyUntil_)
        return eepromLastWritten_ ^ kDataPollingBit;
    std::uint8_t value = memory(chip)[address];
    for (const auto& [where, stuck] : stuck_) {
        if (where.first == chip && where.second == address)
            value = (value & ~stuck.mask) | (stuck.value & stuck.mask);
    }
    if (stuckData_) {
        const auto bit = static_cast<std::uint8_t>(1u << stuckData_->first);
        value = stuckData_->second ? value | bit : value & ~bit;
    }
    return value;
}

void Firmware::answerRead(std::uint8_t value) {
    if (floating_)
        value = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 255)(loose_));
    // A loose contact: now and then one data line reads wrong.
    if (looseShare_ > 0 && std::uniform_real_distribution<double>(0, 1)(loose_) < looseShare_)
        value ^= static_cast<std::uint8_t>(1u << std::uniform_int_distribution<int>(0, 7)(loose_));
    answers_.push_back(value);
}

void Firmware::setLooseContact(double share, unsigned seed) {
    looseShare_ = share;
    loose_.seed(seed);
}

std::optional<std::uint8_t> Firmware::takeAnswer() {
    if (answers_.empty()) return std::nullopt;
    const std::uint8_t byte = answers_.front();
    answers_.pop_front();
    return byte;
}

std::uint8_t Firmware::peek(Chip chip, std::uint32_t address) const {
    return memory(chip)[address % chipSize(chip)];
}

void Firmware::poke(Chip chip, std::uint32_t address, std::uint8_t value) {
    memory(chip)[address % chipSize(chip)] = value;
}

void Firmware::insert(Chip chip) {
    if (chip == Chip::Sram28 || chip == Chip::Eprom28c64) socket28_ = chip;
    if (chip == Chip::Prom27c512 || chip == Chip::Prom27c010) socketProm_ = chip;
}

void Firmware::setStuckBits(Chip chip, std::uint32_t address, std::uint8_t mask,
                            std::uint8_t value) {
    stuck_.push_back({{chip, address % chipSize(chip)}, {mask, value}});
}

void Firmware::loseWritesAt(Chip chip, std::uint32_t address) {
    lostAt_.insert({chip, address % chipSize(chip)});
}
