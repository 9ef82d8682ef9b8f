#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>

#include "view/KeyDecision.h"

class Dialogs;
class QKeyEvent;
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
    // The window's own shortcuts (its menu items', F10): they run their item
    // from any guarded control and are never judged as typed characters. So
    // are the Alt letters of menus and buttons.
    void setShortcuts(QList<QKeySequence> keys) { shortcuts_ = std::move(keys); }
    // While set, ESC passes untouched: it is the cancel key of a running operation.
    void setEscapePasses(bool passes) { escapePasses_ = passes; }
    // While set, typed characters pass untouched: the control judges them.
    void setCharactersPass(bool passes) { charactersPass_ = passes; }

    // The decision on one event of a guarded control: true when the filter
    // took the key (refused, or handed on upper-cased).
    bool filterEvent(QObject* watched, QEvent* event);
    // While "Caracter Invalido" is up, the control keeps its editing state.
    bool showingMessage() const { return showingMessage_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool isShortcut(const QKeyEvent* key) const;

    Dialogs& dialogs_;
    QList<QKeySequence> shortcuts_;
    const NumberFormat& format_;
    bool escapePasses_ = false;
    bool charactersPass_ = false;
    bool showingMessage_ = false;
};
