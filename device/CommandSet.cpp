#include "device/CommandSet.h"

#include "device/Link.h"
#include "device/Platform.h"

namespace {
constexpr std::uint32_t kLowMask = 0xFF;
constexpr std::uint32_t kHighMaskLong = 0x1F;
constexpr int kExtraShift = 13;
}  // namespace

CommandSet::CommandSet(Link& link, Platform& platform) : link_(link), platform_(platform) {}

void CommandSet::select(std::uint8_t newTipo) {
    tipo = memoryType(newTipo).tipo;
    maxdir = memoryType(newTipo).maxdir;
}

void CommandSet::split(std::uint32_t address) {
    dirl = static_cast<std::int32_t>(address & kLowMask);
    if (type().threeAddressBytes) {
        dirh = static_cast<std::int32_t>((address >> 8) & kHighMaskLong);
        dirx = static_cast<std::int32_t>(address >> kExtraShift);
    } else {
        dirh = static_cast<std::int32_t>(address >> 8);
    }
}

void CommandSet::envia(std::uint8_t data, std::uint8_t low, std::uint8_t high) {
    link_.tra(type().writeCommand);
    link_.tra(low);
    link_.tra(high);
    link_.tra(data);
    if (type().pauseAfterWriteMs > 0) platform_.Sleep(type().pauseAfterWriteMs);
}

void CommandSet::envia1(std::uint8_t data, std::uint8_t low, std::uint8_t high,
                        std::uint8_t extra) {
    link_.tra(type().writeCommand);
    link_.tra(low);
    link_.tra(high);
    link_.tra(extra);
    link_.tra(data);
}

void CommandSet::recibe(std::uint8_t low, std::uint8_t high) {
    link_.tra(type().readCommand);
    link_.tra(low);
    link_.tra(high);
}

void CommandSet::recibe1(std::uint8_t low, std::uint8_t high, std::uint8_t extra) {
    link_.tra(type().readCommand);
    link_.tra(low);
    link_.tra(high);
    link_.tra(extra);
}

void CommandSet::sendWrite() {
    const auto byte = [](std::int32_t value) { return static_cast<std::uint8_t>(value); };
    if (type().threeAddressBytes)
        envia1(byte(dato), byte(dirl), byte(dirh), byte(dirx));
    else
        envia(byte(dato), byte(dirl), byte(dirh));
}

std::vector<std::uint8_t> CommandSet::readSequence(std::uint32_t address) const {
    CommandSet split(*this);
    split.split(address);
    const auto byte = [](std::int32_t value) { return static_cast<std::uint8_t>(value); };
    std::vector<std::uint8_t> bytes{type().readCommand, byte(split.dirl), byte(split.dirh)};
    if (type().threeAddressBytes) bytes.push_back(byte(split.dirx));
    return bytes;
}

void CommandSet::resetRun(int count) {
    for (int i = 0; i < count; ++i) link_.tra(kResetByte);
}

void CommandSet::sendRead() {
    const auto byte = [](std::int32_t value) { return static_cast<std::uint8_t>(value); };
    if (type().threeAddressBytes)
        recibe1(byte(dirl), byte(dirh), byte(dirx));
    else
        recibe(byte(dirl), byte(dirh));
}
