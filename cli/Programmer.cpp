#include "cli/Programmer.h"

#include <QCoreApplication>

#include "cli/Messages.h"
#include "device/CommandSet.h"
#include "device/HidLibrary.h"
#include "device/Link.h"

namespace cli {

namespace {
// Hands the library's plug and unplug notifications to the link.
class PresenceHook : public QObject {
  public:
    PresenceHook(ApplicationWindow& window, Link& link) : window_(window), link_(link) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == DeviceNotificationEvent::kType)
            return link_.notificacion(static_cast<DeviceNotificationEvent*>(event)->message());
        return false;
    }

  private:
    ApplicationWindow& window_;
    Link& link_;
};
}  // namespace

Programmer::Programmer(Platform& platform, std::uint8_t tipo) : platform_(platform), tipo_(tipo) {}

Programmer::~Programmer() {
    close();
    // A batch's library outlives each chip's programmer.
    if (hid_) hid_->setNoteHandler({});
}

std::function<void(const QString&)> Programmer::teller() {
    return [this](const QString& text) { permissionText_ = text; };
}

std::optional<QString> Programmer::open(HidLibrary& hid) {
    hid_ = &hid;
    hid.setNoteHandler([this](const QString& text) {
        if (!text.isEmpty()) busyText_ = text;
    });
    link_ = std::make_unique<Link>(hid);
    // No plug-in was notified: a programmer that is simply there gets no
    // byte 1, which its parser could take for a write command.
    link_->setGreeting(false);
    comandos_ = std::make_unique<CommandSet>(*link_, platform_);
    comandos_->select(tipo_);
    access_ = std::make_unique<chip::Access>(*comandos_, *link_);
    hook_ = std::make_unique<PresenceHook>(applicationWindow_, *link_);
    applicationWindow_.HookMainWindow(hook_.get());
    hid.Connect(&applicationWindow_);
    QCoreApplication::processEvents();
    if (link_->desconectado()) return kNoHayProgramador;
    // Taken before the first byte: a programmer that another program holds,
    // or that may not be opened, gets nothing.
    hid.GetHandle(kProgrammerVendorId, kProgrammerProductId);
    QCoreApplication::processEvents();
    if (!busyText_.isEmpty()) return busyText_;
    if (!permissionText_.isEmpty()) return permissionText_;
    opened_ = true;
    comandos_->startRun();
    link_->beginOperation();
    return std::nullopt;
}

void Programmer::halt() {
    link_->halt();
}

void Programmer::close() {
    if (hook_) applicationWindow_.UnhookMainWindow(hook_.get());
    if (!opened_) return;
    opened_ = false;
    // Whatever happened to the operation, the exit run goes out; after a
    // report that failed nothing does.
    link_->endOperation();
    comandos_->exitRun();
}

}  // namespace cli
