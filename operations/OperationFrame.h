#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

#include "chip/Loops.h"
#include "chip/Progress.h"

class Dialogs;
class Link;
class Platform;
class TForm6;

inline const QString kInterrumpido =
    QStringLiteral("     Proceso Interrumpido\n\rResetee el Hardware por Seguridad");
inline const QString kProcesoTerminado = QStringLiteral("Proceso Terminado");
inline const QString kReviseConexion = QStringLiteral("Revise Conexion USB");

// What every device operation runs in: the device check, the cancel prompt,
// the poll at the start of each address, the completion step, and the rule
// that only one operation runs at a time.
class OperationFrame : public QObject {
    Q_OBJECT
  public:
    OperationFrame(Link& link, Platform& platform, Dialogs& dialogs);

    void setCancelPrompt(TForm6* form6) { form6_ = form6; }
    TForm6* cancelPrompt() const { return form6_; }

    // True, after telling the user, when the programmer is not connected.
    bool conexion();
    // Lets pending events run, then tells the loop whether the programmer
    // was lost meanwhile, or ESC is held or the cancel button was pressed.
    chip::Step abortar();
    // The poll at the start of an address of a pass: progress, then abortar.
    chip::Step poll(std::int64_t address);
    // How a loop ended, as the window tells it: a cancel or a lost
    // programmer ends the operation (Cancelled) after its message; true
    // when the loop completed, false when it stopped for the operation's
    // own reason.
    bool conclude(const chip::Outcome& outcome);
    // What the cancel button does: the next poll acts as on ESC.
    void requestCancel() { cancelRequested_ = true; }
    // The operation did its work, and found the chip as wanted or not; its
    // report follows.
    void completed(bool withErrors = false);
    void normal();
    // Ends the operation when the programmer stopped answering or went away.
    [[noreturn]] void deviceLost();
    // Ends the operation cancelled: the cancel run has gone out.
    [[noreturn]] void interrupted();
    void showPrompt();
    void hidePrompt();

    bool running() const { return running_; }

    // The long work of the running (or last) operation.
    Progress progress;

  signals:
    void runningChanged(bool running);

  private:
    friend class OperationScope;
    void begin();
    void end();

    Link& link_;
    Platform& platform_;
    Dialogs& dialogs_;
    TForm6* form6_ = nullptr;
    bool running_ = false;
    bool cancelRequested_ = false;
};

// Marks an operation as running for its lifetime, whichever way it ends.
// Callers check running() first: operations never nest.
class OperationScope {
  public:
    explicit OperationScope(OperationFrame& frame) : frame_(frame) { frame_.begin(); }
    ~OperationScope() { frame_.end(); }
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

  private:
    OperationFrame& frame_;
};
