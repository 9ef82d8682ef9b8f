#pragma once

#include <QObject>
#include <QString>

#include "view/KeyDecision.h"

class Dialogs;
class QWidget;
struct NumberFormat;

inline const QString kCaracterInvalido = QStringLiteral("Caracter Invalido");

// Guards the number fields and the grid's cell editor: only digits (and A to F
// in hexadecimal) and backspace get through; anything else is refused with a
// message. Keys that type no character are not its business.
class KeyFilter : public QObject {
    Q_OBJECT
  public:
    KeyFilter(Dialogs& dialogs, const NumberFormat& format, QObject* parent = nullptr);

    void watch(QWidget* control);
    // While set, ESC passes untouched: it is the cancel key of a running operation.
    void setEscapePasses(bool passes) { escapePasses_ = passes; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Dialogs& dialogs_;
    const NumberFormat& format_;
    bool escapePasses_ = false;
};
