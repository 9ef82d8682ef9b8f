// The window by keyboard alone: shortcuts from any cell or field, Tab out
// of the grid, ESC during an operation and the popups opened then.
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "app/HexView.h"
#include "app/SystemPlatform.h"
#include "operations/ProgressLine.h"
#include "tests/support/Rig.h"
#include "view/DataGrid.h"
#include "view/HexTable.h"
#include "view/KeyFilter.h"

namespace {
// A value typed into a cell, the cursor left in its editor.
void typeCell(Tform1& f, int address, const char* text) {
    QTest::mouseClick(f.m->viewport(), Qt::LeftButton, {},
                      f.m->visualRect(f.imagen.index(address, kDataColumn)).center());
    QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(text));
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}
}  // namespace

class KeysTest : public QObject {
    Q_OBJECT

  private slots:
    // The menu's shortcuts run their item from inside a cell or a field and
    // never reach the key filter; every other key there is still judged.
    void shortcutsRunFromAnyCellOrFieldOtherKeysAreJudged() {
        Rig rig;
        Tform1& f = onScreen(rig);
        typeCell(f, 2, "77");
        f.m->commitEditor();
        QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(rig.cell(3), QString());
        press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(rig.cell(3), QStringLiteral("77"));
        f.Pdirm->setFocus();
        press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(rig.cell(3), QString());
        press(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(rig.cell(3), QStringLiteral("77"));
        // An Alt letter and F10 open a menu, as a click on its title would.
        for (const auto& [key, modifiers] : {std::pair{Qt::Key_A, Qt::AltModifier},
                                             std::pair{Qt::Key_F10, Qt::NoModifier}}) {
            f.Pdirm->setFocus();
            press(key, modifiers);
            QTRY_VERIFY(QApplication::activePopupWidget());
            QApplication::activePopupWidget()->close();
        }
        f.Pdirm->setFocus();
        press(Qt::Key_H, Qt::ControlModifier);
        QVERIFY(f.vistaHexadecimal() && f.vistaHexadecimal()->isVisible());
        QCOMPARE(rig.dialogs.messages, QStringList{});

        // Enter, Ctrl+C, Ctrl+X and Ctrl+V are typed keys, refused as ever.
        QApplication::setActiveWindow(&f);
        QVERIFY(QTest::qWaitForWindowActive(&f));
        for (QWidget* field : {static_cast<QWidget*>(f.Pdirm), static_cast<QWidget*>(nullptr)}) {
            if (field) field->setFocus();
            else typeCell(f, 5, "1");
            for (const auto& [key, modifiers] :
                 {std::pair{Qt::Key_Return, Qt::KeyboardModifiers()},
                  std::pair{Qt::Key_C, Qt::KeyboardModifiers(Qt::ControlModifier)},
                  std::pair{Qt::Key_X, Qt::KeyboardModifiers(Qt::ControlModifier)},
                  std::pair{Qt::Key_V, Qt::KeyboardModifiers(Qt::ControlModifier)}}) {
                rig.dialogs.clear();
                press(key, modifiers);
                QCOMPARE(rig.dialogs.messages, QStringList{kCaracterInvalido});
            }
        }
    }


    // Tab and Shift+Tab leave the grid, taking what was typed; the arrows
    // move between its cells.
    void tabLeavesTheGridArrowsMoveInIt() {
        Rig rig;
        Tform1& f = onScreen(rig);
        const auto inGrid = [&f] {
            QWidget* focus = QApplication::focusWidget();
            return focus == f.m || f.m->isAncestorOf(focus);
        };
        typeCell(f, 2, "5");
        press(Qt::Key_Tab);
        QVERIFY(!inGrid());
        QCOMPARE(rig.cell(3), QStringLiteral("5"));
        QWidget* next = QApplication::focusWidget();
        typeCell(f, 2, "");
        press(Qt::Key_Backtab);
        QVERIFY(!inGrid() && QApplication::focusWidget() != next);
        typeCell(f, 2, "");
        press(Qt::Key_Down);
        QVERIFY(inGrid());
        QCOMPARE(f.m->currentIndex().row(), 3);
        QCOMPARE(rig.dialogs.messages, QStringList{});
    }

    // ESC held at the poll cancels, even when it was down before the
    // operation began; the press that closes a popup (a menu, a modal box,
    // the hex view's find field) and its auto-repeats do not.
    void escapeCancelsUnlessItClosesAPopup() {
        Rig rig;
        Tform1& f = onScreen(rig);
        SystemPlatform keyboard;
        const auto held = [&keyboard] {
            return bool(keyboard.GetKeyState(Platform::kVkEscape) & Platform::kKeyDownBit);
        };
        const auto repeat = [](QWidget* on) {
            QKeyEvent again(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(on, &again);
        };
        QTest::keyPress(f.m, Qt::Key_Escape);
        keyboard.forgetKeyPresses();
        QVERIFY(held());
        QTest::keyRelease(f.m, Qt::Key_Escape);
        QVERIFY(!held());

        f.BarraMenus1->trigger();
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyPress(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        repeat(f.m);
        QVERIFY(!held());
        QTest::keyRelease(f.m, Qt::Key_Escape);

        QDialog box(&f);
        box.setModal(true);
        box.show();
        QTest::keyClick(&box, Qt::Key_Escape);
        QVERIFY(!box.isVisible() && !held());

        f.VistaHexadecimal1->trigger();
        HexView& view = *f.vistaHexadecimal();
        QApplication::setActiveWindow(&view);
        QVERIFY(QTest::qWaitForWindowActive(&view));
        view.buscar->setFocus();
        QTest::keyPress(view.buscar, Qt::Key_Escape);
        QCOMPARE(QApplication::focusWidget(), view.tabla);
        repeat(view.tabla);
        QVERIFY(!held());
        QTest::keyRelease(view.tabla, Qt::Key_Escape);
        // A press of its own, anywhere else, is the cancel key again.
        QTest::keyPress(view.tabla, Qt::Key_Escape);
        QVERIFY(held());
        QTest::keyRelease(view.tabla, Qt::Key_Escape);
    }

    // The close box during a read says why on the status line, with no box,
    // and the read goes on to its end.
    void theCloseBoxDuringAnOperationIsToldNotBoxed() {
        Rig rig;
        Tform1& f = onScreen(rig);
        QString told;
        rig.platform.escapeHeld = [&](int query) {
            if (query == 5) {
                f.close();
                told = f.progreso->runningNoteText();
            }
            return false;
        };
        rig.type(f.LLOT1, "0").type(f.LLOT2, "1023").click(f.BitBtn7);
        QCOMPARE(told, QStringLiteral("Hay una operación en curso: cancélela antes de salir"));
        QVERIFY(f.isVisible());
        QCOMPARE(rig.dialogs.messages, QStringList{"Lectura Terminada"});
        QCOMPARE(f.progreso->runningNoteText(), QString());
    }
};

QTEST_MAIN(KeysTest)
#include "test_keys.moc"
