#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

#include "device/HidLibrary.h"

inline const QString kDispositivoConectado = QStringLiteral("Dispositivo Conectado");
inline const QString kDispositivoDesconectado = QStringLiteral("Dispositivo Desconectado");
inline const QString kQuedoAMitad =
    QStringLiteral("Desconecte y vuelva a conectar el programador: quedó a mitad de una orden");

// The one-byte transport to the programmer and its presence, known only from
// the library's notifications and held as the status panel's text.
class Link : public QObject {
    Q_OBJECT
  public:
    explicit Link(HidLibrary& hid, QObject* parent = nullptr);

    void tra(std::uint8_t byte);
    std::uint8_t rec();

    // The hook procedure: true when the message was handled here.
    bool notificacion(DeviceMessage& message);

    const QString& estado() const { return estado_; }
    bool desconectado() const { return estado_ == kDispositivoDesconectado; }

    // Whether the last tra or rec reached the device.
    bool lastTransferFailed() const { return lastTransferFailed_; }

    // The byte 1 that greets a notified plug-in. A program that opens a
    // programmer it was not told of sends none: 1 is also a write command.
    void setGreeting(bool greets) { greets_ = greets; }

    // A report failed on an open programmer: its parser may be waiting in
    // the middle of a command, and any byte would be taken as its rest.
    // Nothing more is sent or read until it is plugged in again.
    bool halted() const { return halted_; }
    // A report sent past the link failed: the same as one of its own.
    void halt() { setHalted(true); }

    // An operation's traffic. From its first failed transfer, or from the
    // programmer going away, nothing more of it is sent or read: the rest of
    // a broken command must not reach a device that may still be parsing it.
    void beginOperation();
    void endOperation();
    bool interrupted() const { return interrupted_; }

  signals:
    void estadoChanged(const QString& text);
    void haltedChanged(bool halted);

  private:
    bool isProgrammer(HidHandle device);
    void setEstado(const QString& text);
    void send(std::uint8_t byte);
    // False, and the operation interrupted, when the link may not be used.
    bool usable();
    void transferDone(HidHandle device, bool delivered);
    void setHalted(bool halted);

    HidLibrary& hid_;
    std::uint8_t bufout_[HidLibrary::kReportSize] = {0, 0};
    std::uint8_t bufin_[HidLibrary::kReportSize] = {0, 0};
    QString estado_ = kDispositivoDesconectado;
    bool lastTransferFailed_ = false;
    bool inOperation_ = false;
    bool interrupted_ = false;
    bool greets_ = true;
    bool halted_ = false;
};
