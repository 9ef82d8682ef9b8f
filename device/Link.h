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

    // Whether the last tra or rec reached the device, and how many have not
    // since the start.
    bool lastTransferFailed() const { return lastTransferFailed_; }
    std::uint64_t failedTransfers() const { return failedTransfers_; }

  signals:
    void estadoChanged(const QString& text);

  private:
    bool isProgrammer(HidHandle device);
    void setEstado(const QString& text);

    HidLibrary& hid_;
    std::uint8_t bufout_[HidLibrary::kReportSize] = {0, 0};
    std::uint8_t bufin_[HidLibrary::kReportSize] = {0, 0};
    QString estado_ = kDispositivoDesconectado;
    bool lastTransferFailed_ = false;
    std::uint64_t failedTransfers_ = 0;
};
