#include <QSignalSpy>
#include <QTest>
#include <set>
#include <string>

#include "device/ApplicationWindow.h"
#include "device/CommandSet.h"
#include "device/HidapiLibrary.h"
#include "device/Link.h"
#include "device/MemoryTypes.h"
#include "device/VirtualProgrammer.h"
#include "tests/support/ByteText.h"
#include "tests/support/FakePlatform.h"

using Bytes = std::vector<std::uint8_t>;

namespace {
void feed(Firmware& firmware, const Bytes& bytes, std::int64_t now = 0) {
    for (std::uint8_t byte : bytes) firmware.receive(byte, now);
}

// Counts the notifications that reach a window.
class NotificationSink : public QObject {
  public:
    std::vector<DeviceMessage> seen;

  protected:
    bool event(QEvent* event) override {
        if (event->type() != DeviceNotificationEvent::kType) return QObject::event(event);
        seen.push_back(static_cast<DeviceNotificationEvent*>(event)->message());
        return true;
    }
};
}  // namespace

class DeviceTest : public QObject {
    Q_OBJECT

  private slots:
    void memoryTypeTableAgreesWithItself() {
        const Chip chips[] = {Chip::Sram24, Chip::Sram28, Chip::Eprom28c64, Chip::Prom27c512,
                              Chip::Prom27c010};
        const std::set<int> commands = {1, 2, 3, 4, 6, 10, 11, 12};
        for (std::size_t i = 0; i < kMemoryTypes.size(); ++i) {
            const MemoryType& type = kMemoryTypes[i];
            QCOMPARE(std::size_t{type.tipo}, i);
            QCOMPARE(type.maxdir + 1, Firmware::chipSize(chips[i]));
            QCOMPARE(&memoryType(type.tipo), &type);
            QVERIFY(commands.count(type.writeCommand) && commands.count(type.readCommand));
            QVERIFY(type.writeCommand != type.readCommand);
            // Three address bytes exactly where 13 address bits do not reach.
            QCOMPARE(type.threeAddressBytes, type.maxdir > 0x1FFF);
            QCOMPARE(type.pauseAfterWriteMs > 0, std::string(type.caption) == "Eprom 28c64");
        }
        QCOMPARE(kMemoryTypes[kTipoInicial].maxdir, 8191u);
        QCOMPARE(kLargestMemory, kMemoryTypes.back().maxdir + 1);
    }

    void addressSplit() {
        FakePlatform platform;
        VirtualProgrammer programmer(platform);
        Link link(programmer);
        CommandSet commands(link, platform);
        const auto split = [&](std::uint8_t tipo, std::uint32_t address) {
            commands.select(tipo);
            commands.split(address);
            return std::vector<std::int32_t>{commands.dirl, commands.dirh, commands.dirx};
        };
        using Parts = std::vector<std::int32_t>;
        QCOMPARE(split(0, 1023), (Parts{0xFF, 0x03, 0}));
        QCOMPARE(split(1, 256), (Parts{0, 1, 0}));
        QCOMPARE(split(2, 8191), (Parts{0xFF, 0x1F, 0}));
        QCOMPARE(split(3, 8192), (Parts{0, 0, 1}));
        QCOMPARE(split(3, 65535), (Parts{0xFF, 0x1F, 0x07}));
        QCOMPARE(split(4, 131071), (Parts{0xFF, 0x1F, 0x0F}));
        QCOMPARE(split(4, 256), (Parts{0, 1, 0}));
    }

    void firmwareWritesAndReadsEveryType() {
        Firmware firmware;
        firmware.receive(9, 0);  // not a command: ignored (and it ends the greeting window)
        feed(firmware, {3, 0xFF, 0x03, 0x11, 4, 0xFF, 0x03});
        feed(firmware, {1, 0x34, 0x12, 0xA5, 2, 0x34, 0x12});
        feed(firmware, {10, 0xFF, 0x1F, 0x07, 0x5A, 11, 0xFF, 0x1F, 0x07});
        feed(firmware, {12, 0xFF, 0x1F, 0x0F, 0x3C, 11, 0xFF, 0x1F, 0x0F});
        QCOMPARE(firmware.takeAnswer(), std::optional<std::uint8_t>(0x11));
        QCOMPARE(firmware.takeAnswer(), std::optional<std::uint8_t>(0xA5));
        QCOMPARE(firmware.takeAnswer(), std::optional<std::uint8_t>(0x5A));
        QCOMPARE(firmware.takeAnswer(), std::optional<std::uint8_t>(0x3C));
        QVERIFY(!firmware.takeAnswer());
        QCOMPARE(firmware.peek(Chip::Sram24, 1023), 0x11);
        QCOMPARE(firmware.peek(Chip::Sram28, 0x1234), 0xA5);
        QCOMPARE(firmware.peek(Chip::Prom27c512, 65535), 0x5A);
        QCOMPARE(firmware.peek(Chip::Prom27c010, 131071), 0x3C);
    }

    void firmwareStartsWithErasedPromsAndClearRams() {
        Firmware firmware;
        QCOMPARE(firmware.peek(Chip::Sram28, 5), 0);
        QCOMPARE(firmware.peek(Chip::Eprom28c64, 5), 0xFF);
        QCOMPARE(firmware.peek(Chip::Prom27c010, 5), 0xFF);
    }

    void firmwareGreetingAndResetAreNotCommands() {
        Firmware firmware;
        // The 1 right after power-up greets; a later 1 is a write command.
        feed(firmware, {1, 8, 8, 8, 1, 5, 0, 7});
        QCOMPARE(firmware.peek(Chip::Sram28, 5), 7);
        QCOMPARE(firmware.writesApplied(), 1);
        // 8 inside a sequence is an argument, not a reset.
        feed(firmware, {1, 8, 0, 8});
        QCOMPARE(firmware.peek(Chip::Sram28, 8), 8);
    }

    void firmwareSharedReadCommandsFollowTheSocket() {
        Firmware firmware;
        firmware.poke(Chip::Sram28, 3, 0x11);
        firmware.poke(Chip::Eprom28c64, 3, 0x22);
        feed(firmware, {9, 2, 3, 0});
        QCOMPARE(firmware.takeAnswer(), std::optional<std::uint8_t>(0x11));
        firmware.insert(Chip::Eprom28c64);
        feed(firmware, {2, 3, 0});
        QCOMPARE(firmware.takeAnswer(), std::optional<std::uint8_t>(0x22));
    }

    void promBitsOnlyClear() {
        Firmware firmware;
        feed(firmware, {9, 12, 0, 0, 0, 0xF0, 12, 0, 0, 0, 0x0F});
        QCOMPARE(firmware.peek(Chip::Prom27c010, 0), 0x00);
        feed(firmware, {10, 1, 0, 1, 0xAA});  // 27c512 address 8193
        QCOMPARE(firmware.peek(Chip::Prom27c512, 8193), 0xAA);
    }

    void eepromIgnoresWritesDuringItsWriteCycle() {
        Firmware firmware;
        firmware.receive(9, 0);
        const std::int64_t ms = 1'000'000;
        feed(firmware, {6, 0, 0, 0x12}, 0);
        feed(firmware, {6, 1, 0, 0x34}, 5 * ms);  // inside the 10 ms cycle: lost
        feed(firmware, {2, 0, 0}, 6 * ms);        // data polling: bit 7 inverted
        feed(firmware, {6, 2, 0, 0x56}, 10 * ms);
        QCOMPARE(firmware.peek(Chip::Eprom28c64, 0), 0x12);
        QCOMPARE(firmware.peek(Chip::Eprom28c64, 1), 0xFF);
        QCOMPARE(firmware.peek(Chip::Eprom28c64, 2), 0x56);
        QCOMPARE(firmware.takeAnswer(), std::optional<std::uint8_t>(0x12 ^ 0x80));
        QCOMPARE(firmware.writesIgnored(), 1);
    }

    void firmwareFaults() {
        Firmware firmware;
        firmware.receive(9, 0);
        firmware.setStuckBits(Chip::Sram28, 4, 0x01, 0x01);
        firmware.loseWritesAt(Chip::Sram28, 6);
        feed(firmware, {1, 4, 0, 0x10, 1, 6, 0, 0x20, 2, 4, 0, 2, 6, 0});
        QCOMPARE(firmware.takeAnswer(), std::optional<std::uint8_t>(0x11));
        QCOMPARE(firmware.takeAnswer(), std::optional<std::uint8_t>(0x00));
        firmware.loseNextWrites(1);
        feed(firmware, {1, 7, 0, 1, 1, 7, 0, 2});
        QCOMPARE(firmware.peek(Chip::Sram28, 7), 2);
    }

    void virtualProgrammerRecordsAndAnswers() {
        FakePlatform platform;
        VirtualProgrammer programmer(platform);
        const HidHandle handle = programmer.GetHandle(kProgrammerVendorId, kProgrammerProductId);
        QVERIFY(handle != 0);
        QCOMPARE(programmer.GetHandle(kProgrammerVendorId, 2), HidHandle{0});
        std::uint8_t report[2] = {0, 9};
        QVERIFY(programmer.Write(handle, report));
        for (std::uint8_t byte : {1, 3, 0, 0x42, 2, 3, 0}) {
            report[1] = byte;
            platform.now += 1000;
            QVERIFY(programmer.Write(handle, report));
        }
        std::uint8_t in[2] = {7, 7};
        QVERIFY(programmer.Read(handle, in));
        QCOMPARE(in[1], 0x42);
        // Nothing more to answer: the buffer stays as it was.
        in[1] = 0x99;
        QVERIFY(!programmer.Read(handle, in));
        QCOMPARE(in[1], 0x99);
        QCOMPARE(programmer.sentBytes(), (Bytes{9, 1, 3, 0, 0x42, 2, 3, 0}));
        QCOMPARE(programmer.record().back().direction, VirtualProgrammer::Report::In);
        QCOMPARE(programmer.record()[2].timeNs, 2000);
    }

    void virtualProgrammerFaultsAndLatency() {
        FakePlatform platform;
        VirtualProgrammer programmer(platform);
        NotificationSink window;
        programmer.setAnnounceAtConnect(false);
        programmer.Connect(&window);
        programmer.setLatencyUs(250);
        programmer.unplugAtReport(2);
        const HidHandle handle = programmer.GetHandle(kProgrammerVendorId, kProgrammerProductId);
        std::uint8_t report[2] = {0, 8};
        QVERIFY(programmer.Write(handle, report));
        QVERIFY(programmer.Write(handle, report));
        QVERIFY(!programmer.Write(handle, report));
        QCOMPARE(platform.now, 750'000);
        QCOMPARE(programmer.sentBytes().size(), std::size_t{2});
        QCoreApplication::processEvents();
        QCOMPARE(window.seen.size(), std::size_t{1});
        QCOMPARE(window.seen[0].WParam, kDeviceUnplugged);
        QCOMPARE(programmer.GetHandle(kProgrammerVendorId, kProgrammerProductId), HidHandle{0});

        programmer.plug();
        programmer.setNoAnswer(true);
        for (std::uint8_t byte : {2, 0, 0}) {
            report[1] = byte;
            QVERIFY(programmer.Write(handle, report));
        }
        std::uint8_t in[2] = {0, 0x5A};
        QVERIFY(!programmer.Read(handle, in));
        QCOMPARE(in[1], 0x5A);
    }

    void fullSpeedFramesOneReportPerMillisecond() {
        FakePlatform platform;
        VirtualProgrammer programmer(platform);
        programmer.setFullSpeedFrames(true);
        platform.now = 2'400'000;
        const HidHandle handle = programmer.GetHandle(kProgrammerVendorId, kProgrammerProductId);
        std::uint8_t report[2] = {0, 9};
        for (int i = 0; i < 3; ++i) QVERIFY(programmer.Write(handle, report));
        platform.now += 5'300'000;  // the host was busy: the next report takes the next frame
        QVERIFY(programmer.Write(handle, report));
        std::vector<std::int64_t> times;
        for (const auto& sent : programmer.record()) times.push_back(sent.timeNs);
        QCOMPARE(times, (std::vector<std::int64_t>{3'000'000, 4'000'000, 5'000'000, 11'000'000}));
    }

    void otherDevicesCarryTheirOwnIds() {
        FakePlatform platform;
        VirtualProgrammer programmer(platform);
        NotificationSink window;
        programmer.Connect(&window);
        const HidHandle other = programmer.plugOther(0x046D, 0xC077);
        programmer.unplugOther(other);
        QCoreApplication::processEvents();
        QCOMPARE(window.seen.size(), std::size_t{3});
        QCOMPARE(window.seen[0].LParam, VirtualProgrammer::kProgrammerHandle);
        QCOMPARE(window.seen[1].LParam, other);
        QCOMPARE(window.seen[2].WParam, kDeviceUnplugged);
        QCOMPARE(programmer.GetVendorID(other), 0x046D);
        QCOMPARE(programmer.GetProductID(other), 0xC077);
    }

    void linkSendsOneReportPerByteAndKeepsTheLastAnswer() {
        FakePlatform platform;
        VirtualProgrammer programmer(platform);
        Link link(programmer);
        for (std::uint8_t byte : {9, 1, 5, 0, 0x77, 2, 5, 0}) link.tra(byte);
        QCOMPARE(link.rec(), 0x77);
        QVERIFY(!link.lastTransferFailed());
        // A second read with nothing asked returns the same byte again.
        QCOMPARE(link.rec(), 0x77);
        QVERIFY(link.lastTransferFailed());
    }

    void linkFollowsOnlyTheProgrammer() {
        FakePlatform platform;
        VirtualProgrammer programmer(platform);
        programmer.firmware().receive(9, 0);
        Link link(programmer);
        QSignalSpy changes(&link, &Link::estadoChanged);
        const HidHandle other = programmer.plugOther(kProgrammerVendorId, 2);

        DeviceMessage foreign{kDeviceMessageNumber, kDevicePlugged, other, 0};
        QVERIFY(link.notificacion(foreign));
        QCOMPARE(link.estado(), kDispositivoDesconectado);
        QVERIFY(programmer.sentBytes().empty());

        DeviceMessage plugged{kDeviceMessageNumber, kDevicePlugged,
                              VirtualProgrammer::kProgrammerHandle, 0};
        QVERIFY(link.notificacion(plugged));
        QVERIFY(link.notificacion(plugged));
        QCOMPARE(link.estado(), kDispositivoConectado);
        QCOMPARE(programmer.sentBytes(), (Bytes{1, 1}));

        DeviceMessage other3{kDeviceMessageNumber, 3, VirtualProgrammer::kProgrammerHandle, 0};
        QVERIFY(!link.notificacion(other3));
        DeviceMessage unplugged{kDeviceMessageNumber, kDeviceUnplugged,
                                VirtualProgrammer::kProgrammerHandle, 0};
        QVERIFY(link.notificacion(unplugged));
        QCOMPARE(link.estado(), kDispositivoDesconectado);
        QCOMPARE(changes.count(), 3);
    }

    void hookSeesNotificationsFirst() {
        ApplicationWindow window;
        NotificationSink hook;
        struct Filter : QObject {
            int count = 0;
            bool eventFilter(QObject*, QEvent* event) override {
                if (event->type() != DeviceNotificationEvent::kType) return false;
                ++count;
                return static_cast<DeviceNotificationEvent*>(event)->message().WParam == 1;
            }
        } filter;
        window.HookMainWindow(&filter);
        postDeviceNotification(&window, 1, 5);
        postDeviceNotification(&window, 3, 5);
        QCoreApplication::processEvents();
        QCOMPARE(filter.count, 2);
        QCOMPARE(window.unhandledDeviceMessages(), 1);
        window.UnhookMainWindow(&filter);
        window.UnhookMainWindow(&filter);
        postDeviceNotification(&window, 1, 5);
        QCoreApplication::processEvents();
        QCOMPARE(filter.count, 2);
    }

    void hidapiWithoutAProgrammerFailsQuietly() {
        HidapiLibrary hid;
        NotificationSink window;
        hid.Connect(&window);
        QCoreApplication::processEvents();
        QVERIFY(window.seen.empty());
        const HidHandle handle = hid.GetHandle(kProgrammerVendorId, kProgrammerProductId);
        QCOMPARE(handle, HidHandle{0});
        std::uint8_t report[2] = {0, 0x33};
        QVERIFY(!hid.Write(handle, report));
        QVERIFY(!hid.Read(handle, report));
        QCOMPARE(report[1], 0x33);
        QCOMPARE(hid.GetVendorID(12345), 0);
    }

    void udevHidIdParsing() {
        const auto ids = parseHidId("0003:00001234:00000001");
        QVERIFY(ids);
        QCOMPARE(ids->vendorId, 0x1234);
        QCOMPARE(ids->productId, 1);
        QVERIFY(!parseHidId(nullptr));
        QVERIFY(!parseHidId("0003:1234"));
        QVERIFY(!parseHidId("0003:00001234:00000001x"));
        QVERIFY(!parseHidId("0003:100000:1"));
    }
};

QTEST_MAIN(DeviceTest)
#include "test_device.moc"
