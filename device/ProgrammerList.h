#pragma once

#include <QString>
#include <vector>

// A programmer found on the bus (or emulated), as a bench chooses among
// several: where it is, what it is called, and whether it may be used now.
struct FoundProgrammer {
    QString path;    // the hidraw node, or the emulation's name
    QString port;    // the USB port path ("1-1.2"); empty when unknown
    QString serial;  // empty when it has none
    bool opens = false;
    QString why;     // why it does not open
    QString holder;  // "pid N, nombre" of another program that holds it
    QString lockProblem;  // why its lock file can be no lock, or empty

    // How it is named in messages and in the record: its serial, else its path.
    QString name() const { return serial.isEmpty() ? path : serial; }
    // Chosen by its serial, its hidraw path or its USB port path.
    bool matches(const QString& choice) const {
        return !choice.isEmpty() && (choice == serial || choice == path || choice == port);
    }
};

// Every programmer (USB 1234:0001) hidapi finds, in the order of their
// nodes; the locks are looked for in lockFolder, the ports under sysRoot.
std::vector<FoundProgrammer> findHidapiProgrammers(const QString& lockFolder,
                                                   const QString& sysRoot = QStringLiteral("/sys"));

// The USB port path of a hidraw node, from where sysfs places it: the
// device above the interface ("1-1.2" above "1-1.2:1.0"). Empty if unknown.
QString usbPortOf(const QString& sysRoot, const QString& hidrawPath);
