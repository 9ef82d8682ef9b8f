#pragma once

#include <cstdint>
#include <deque>
#include <list>
#include <string>
#include <vector>

#include "device/Firmware.h"

// hidapi's hid_* functions, linked in place of the library and behaving like
// hidraw with the programmer on the bus: every open handle has its own input
// queue, a report that arrives after its read timed out waits in the queues
// of the handles open then, and a closed handle loses its queue.
namespace stand_in {

struct Device {
    std::string path;
    unsigned short vendorId;
    unsigned short productId;
    bool present = true;
    // Off: opening is refused as hidraw refuses a node without the udev rule.
    bool permitted = true;
    std::wstring serial;  // empty: the device gives none
    Firmware firmware;
    std::vector<std::uint8_t> received;  // the payloads this one got
};

struct Handle {
    Device* device;
    std::deque<std::vector<unsigned char>> input;
};

struct Bus {
    std::list<Device> devices;
    std::list<Handle> open;

    // What the backend did.
    std::vector<std::vector<unsigned char>> writes;  // every report as passed
    std::vector<std::uint8_t> received;              // payloads the programmer got
    std::vector<std::size_t> readLengths;
    std::vector<int> readTimeouts;  // of the reads that could wait
    int opens = 0;
    int closes = 0;

    // Faults.
    int inputReportSize = 1;  // bytes per input report, payload first
    int lateAnswers = 0;      // so many answers come only after their read timed out
    bool silent = false;      // no answers at all
    int readErrors = 0;       // so many waiting reads fail
    int failWriteAt = -1;     // this write (counted from 0) does not go out
    int unplugAtWrite = -1;   // the programmer goes away at this write
    int writeDelayUs = 0;     // each report takes so long to go out
    // Off: the programmer holds one answer, and a new one replaces an answer
    // not yet collected (a second request sent before the first answer was
    // read is not answered apart).
    bool buffersRequests = true;

    Device& add(const std::string& path, unsigned short vendorId, unsigned short productId);
    Device& programmer();
    void unplug(Device& device);
    void plug(Device& device);
    // A report the device sends unasked, at once.
    void spontaneous(Device& device, std::uint8_t byte);
    void clearRecord();

    std::deque<std::uint8_t> late;  // answers not yet delivered
};

// The one bus the hid_* functions see; reset for each test. The hid_*
// functions take turns on it, as programmers of a bench run in threads.
Bus& bus();
void resetBus();

}  // namespace stand_in
