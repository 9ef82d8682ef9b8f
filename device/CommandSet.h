#pragma once

#include <cstdint>
#include <vector>

#include "device/MemoryTypes.h"

class Link;
class Platform;

// The programmer's command sequences for the selected memory type, and the
// state they are built from: the type, its last address, the address bytes
// and the data value of the address being handled.
class CommandSet {
  public:
    CommandSet(Link& link, Platform& platform);

    std::uint8_t tipo = kTipoInicial;
    std::uint32_t maxdir = kMemoryTypes[kTipoInicial].maxdir;
    std::int32_t dirl = 0;
    std::int32_t dirh = 0;
    std::int32_t dirx = 0;
    std::int32_t dato = 0;

    void select(std::uint8_t newTipo);
    const MemoryType& type() const { return memoryType(tipo); }

    // Fills dirl, dirh and dirx from an address.
    void split(std::uint32_t address);
    void envia(std::uint8_t data, std::uint8_t low, std::uint8_t high);
    void envia1(std::uint8_t data, std::uint8_t low, std::uint8_t high, std::uint8_t extra);
    void recibe(std::uint8_t low, std::uint8_t high);
    void recibe1(std::uint8_t low, std::uint8_t high, std::uint8_t extra);

    // Reports on the link: a write sequence; a read sequence with its answer.
    int writeReports() const { return type().threeAddressBytes ? 5 : 4; }
    int readReports() const { return type().threeAddressBytes ? 5 : 4; }

    // The write sequence of the current type for dato at the split address.
    void sendWrite();
    // The read sequence of the current type for the split address.
    void sendRead();
    // The bytes of the read sequence of an address, as sendRead sends them.
    std::vector<std::uint8_t> readSequence(std::uint32_t address) const;

    // The runs of the byte 8 that reset the programmer's parser: at start,
    // before the program ends, and when an operation is cancelled.
    static constexpr std::uint8_t kResetByte = 8;
    static constexpr int kStartRun = 3;
    static constexpr int kExitRun = 2;
    static constexpr int kCancelRun = 4;
    void startRun() { resetRun(kStartRun); }
    void exitRun() { resetRun(kExitRun); }
    void cancelRun() { resetRun(kCancelRun); }

  private:
    void resetRun(int count);

    Link& link_;
    Platform& platform_;
};
