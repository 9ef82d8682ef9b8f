#pragma once

#include <QEvent>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "device/ProgrammerList.h"

class QObject;

using HidHandle = std::intptr_t;

// Identity of the programmer on the USB bus.
constexpr int kProgrammerVendorId = 4660;  // 0x1234
constexpr int kProgrammerProductId = 1;

// What the user is told when the programmer is there but its node may not
// be opened.
inline const QString kSinPermiso = QStringLiteral(
    "El programador está conectado, pero este usuario no tiene permiso para usarlo.\n\n"
    "Con el paquete Debian del programa, la regla de acceso ya está instalada y\n"
    "cargada: desconecte y vuelva a conectar el programador. Sin sesión local\n"
    "(por ssh), únase al grupo plugdev y vuelva a entrar:\n"
    "    sudo usermod -aG plugdev $USER\n\n"
    "Si compiló el programa, instale la regla y recargue las reglas de udev:\n"
    "    sudo cmake --install build\n"
    "    sudo udevadm control --reload-rules\n"
    "y luego desconecte y vuelva a conectar el programador (ver el README).");

// The plug/unplug notification the HID library sends to the window given to
// Connect: message number 0x80C8, wParam 1 (plugged) or 2 (unplugged),
// lParam the handle of the device concerned.
constexpr int kDeviceMessageNumber = 0x80C8;
constexpr std::intptr_t kDevicePlugged = 1;
constexpr std::intptr_t kDeviceUnplugged = 2;

struct DeviceMessage {
    unsigned Msg = kDeviceMessageNumber;
    std::intptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
    // A plug-in that Connect announces for a device already attached: no
    // plug-in happened, so nothing greets it.
    bool alreadyAttached = false;
};

class DeviceNotificationEvent : public QEvent {
  public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(kDeviceMessageNumber);

    DeviceNotificationEvent(std::intptr_t wParam, std::intptr_t lParam,
                            bool alreadyAttached = false)
        : QEvent(kType), message_{kDeviceMessageNumber, wParam, lParam, 0, alreadyAttached} {}

    DeviceMessage& message() { return message_; }

  private:
    DeviceMessage message_;
};

// Queues a notification for the window, as the library does from its own thread.
void postDeviceNotification(QObject* window, std::intptr_t wParam, HidHandle device,
                            bool alreadyAttached = false);

// The HID access library. Every report is 2 bytes: report id 0, one payload byte.
class HidLibrary {
  public:
    static constexpr int kReportSize = 2;

    virtual ~HidLibrary() = default;

    // Starts sending device notifications to the window. A programmer already
    // attached is reported as plugged in, marked as already attached.
    virtual int Connect(QObject* window) = 0;
    // Handle of the attached device with these ids; 0 when there is none.
    virtual HidHandle GetHandle(int vendorId, int productId) = 0;
    // Delivers one report; false when it did not reach a device.
    virtual bool Write(HidHandle handle, const std::uint8_t* report) = 0;
    // Fills one report with the device's next byte; false, with the buffer
    // untouched, when nothing came in time.
    virtual bool Read(HidHandle handle, std::uint8_t* report) = 0;
    // Ids of a device named by a notification; they stay answerable after it is gone.
    virtual int GetVendorID(HidHandle handle) = 0;
    virtual int GetProductID(HidHandle handle) = 0;

    // Where the library says what keeps the programmer from being used (another
    // program holds it), and an empty text once that is over.
    virtual void setNoteHandler(std::function<void(const QString&)> note) { (void)note; }

    // Several programmers on one host. The library uses one, the chosen,
    // and leaves the others alone; it says when programmers come and go.
    virtual std::vector<FoundProgrammer> programmers() { return {}; }
    virtual QString chosen() const { return {}; }
    virtual void choose(const QString& path) { (void)path; }
    virtual void setProgrammersHandler(std::function<void()> changed) { (void)changed; }
};
