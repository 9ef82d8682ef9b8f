#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "chip/Loops.h"

class AddressGridModel;
class CommandSet;
class DataGrid;
class Dialogs;
class Link;
class OperationFrame;
class Platform;
class QCheckBox;
class QLineEdit;
class TForm2;
struct NumberFormat;

inline const QString kErrorDeLectura = QStringLiteral("Error de Lectura");
inline const QString kLecturaTerminada = QStringLiteral("Lectura Terminada");
inline const QString kErrorProgramacion = QStringLiteral("error en la programación");

// The main window's controls that the operations read and write.
struct MainControls {
    DataGrid* m;
    QLineEdit *Pdirm, *PDatm, *ldirm, *ldatm;
    QLineEdit *PLOT1, *PLOT2, *LLOT1, *LLOT2;
    QLineEdit *Edit3, *DL, *DIL1, *DIL2, *Edit2;
    QCheckBox* ch;
};

// Everything an operation works with: the device, the image, the number
// format, the user's fields, the frame, and the last byte read.
struct Workbench {
    Workbench(Link& link, CommandSet& comandos, NumberFormat& formato, AddressGridModel& imagen,
              const MainControls& controls, Dialogs& dialogs, Platform& platform,
              OperationFrame& frame);
    Workbench(const Workbench&) = delete;
    Workbench& operator=(const Workbench&) = delete;

    Link& link;
    CommandSet& comandos;
    NumberFormat& formato;
    AddressGridModel& imagen;
    MainControls controls;
    Dialogs& dialogs;
    Platform& platform;
    OperationFrame& frame;
    // The mismatch window, filled by the programming operations.
    TForm2* Form2 = nullptr;
    // The programmer as the loops drive it.
    chip::Access chip;
    // The last byte read from the device, kept between operations.
    std::int32_t& leido;
    // "Programación rápida": only the reports the chip needs.
    bool rapida = false;
    // "Comprobar antes de programar": a PROM is read before it is programmed.
    bool comprobar = false;
    // "Comprobar el zócalo": a look at the socket before a read, a program
    // or a fill. Off, the operations send exactly their own bytes.
    bool zocalo = false;
    // What the last socket check could not tell (an erased chip and an
    // empty socket read alike), or nothing.
    QString socketNote;

    std::int32_t readNumber(const QLineEdit* field) const;
    // One address written or read outside the loops; the operation ends when
    // the programmer is lost.
    void write(std::uint32_t address, std::int32_t dato);
    std::uint8_t read(std::uint32_t address);
    // The socket check over the operation's range, when it is on: false,
    // after its message, when the chip is not there or does not answer.
    // wanted, on a write, is the byte an address is to hold.
    bool socketAnswers(std::uint32_t first, std::uint32_t last,
                       std::function<std::optional<std::uint8_t>(std::uint32_t)> wanted = {});
    // The data cell of an address in the current format.
    void showByte(std::uint32_t address, std::uint8_t byte);
};
