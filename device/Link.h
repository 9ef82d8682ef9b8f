#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

#include "device/HidLibrary.h"

inline const QString kDispositivoConectado = QStringLiteral("Dispositivo Conectado");
inline const QString kDispositivoDesconectado = QStringLiteral("Dispositivo Desconectado");

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

    // An operation's traffic. From its first failed transfer, or from the
    // programmer going away, nothing more of it is sent or read: the rest of
    // a broken command must not reach a device that may still be parsing it.
    void beginOperation();
    void endOperation();
    bool interrupted() const { return interrupted_; }

  signals:
    void estadoChanged(const QString& text);

  private:
    bool isProgrammer(HidHandle device);
    void setEstado(const QString& text);
    void send(std::uint8_t byte);
    void transferDone(bool delivered);

    HidLibrary& hid_;
    std::uint8_t bufout_[HidLibrary::kReportSize] = {0, 0};
    std::uint8_t bufin_[HidLibrary::kReportSize] = {0, 0};
    QString estado_ = kDispositivoDesconectado;
    bool lastTransferFailed_ = false;
    bool inOperation_ = false;
    bool interrupted_ = false;
};
