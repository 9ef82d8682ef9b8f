#include "device/ProgrammerList.h"

#include <hidapi/hidapi.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cwchar>

#include "device/ExclusiveLock.h"
#include "device/HidLibrary.h"

namespace {
QString whyNotOpened(int error) {
    if (error == EACCES || error == EPERM) return QStringLiteral("sin permiso");
    if (error == EBUSY) return QStringLiteral("está en uso");
    if (error == ENOENT || error == ENODEV) return QStringLiteral("ya no está");
    return QStringLiteral("error del sistema %1").arg(error);
}

QString serialOf(const hid_device_info* info) {
    if (!info->serial_number) return {};
    return QString::fromWCharArray(info->serial_number,
                                   static_cast<qsizetype>(std::wcslen(info->serial_number)))
        .trimmed();
}
}  // namespace

QString usbPortOf(const QString& sysRoot, const QString& hidrawPath) {
    const QString node = QFileInfo(hidrawPath).fileName();
    const QString device =
        QFileInfo(sysRoot + QStringLiteral("/class/hidraw/") + node + QStringLiteral("/device"))
            .canonicalFilePath();
    if (device.isEmpty()) return {};
    // .../usb1/1-1/1-1.2/1-1.2:1.0/0003:1234:0001.0005
    static const QRegularExpression interface(QStringLiteral("^(\\d+-[\\d.]+):\\d+\\.\\d+$"));
    const QStringList parts = device.split(u'/', Qt::SkipEmptyParts);
    for (const QString& part : parts)
        if (const auto match = interface.match(part); match.hasMatch()) return match.captured(1);
    return {};
}

std::vector<FoundProgrammer> findHidapiProgrammers(const QString& lockFolder,
                                                   const QString& sysRoot) {
    std::vector<FoundProgrammer> found;
    hid_device_info* list = hid_enumerate(kProgrammerVendorId, kProgrammerProductId);
    for (const hid_device_info* info = list; info; info = info->next) {
        FoundProgrammer programmer;
        programmer.path = QString::fromLocal8Bit(info->path);
        programmer.serial = serialOf(info);
        programmer.port = usbPortOf(sysRoot, programmer.path);
        // Opening a node sends nothing: it only tells whether this user may.
        errno = 0;
        if (hid_device* opened = hid_open_path(info->path)) {
            programmer.opens = true;
            hid_close(opened);
        } else {
            programmer.why = whyNotOpened(errno);
        }
        const QString lockPath = programmerLockPath(lockFolder, info->path);
        programmer.lockProblem = lockFileProblem(lockPath);
        if (const auto holder = lockHolderOf(lockPath))
            programmer.holder =
                holder->name.isEmpty()
                    ? QStringLiteral("pid %1").arg(holder->pid)
                    : QStringLiteral("pid %1, %2").arg(holder->pid).arg(holder->name);
        found.push_back(programmer);
    }
    hid_free_enumeration(list);
    std::sort(found.begin(), found.end(), [](const FoundProgrammer& a, const FoundProgrammer& b) {
        return a.path.size() != b.path.size() ? a.path.size() < b.path.size() : a.path < b.path;
    });
    return found;
}
