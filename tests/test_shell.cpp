#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "app/HandlerGuard.h"
#include "app/SystemPlatform.h"
#include "app/Unit3.h"
#include "tests/support/ByteText.h"
#include "tests/support/Rig.h"
#include "view/DataGrid.h"
#include "view/Errors.h"

namespace {
// What Qt says when the grid edits a cell it should not.
const QRegularExpression kEditorMisuse(
    QStringLiteral("editing failed|does not belong to this view"));

bool onlyChecked(const std::array<QAction*, 5>& items, std::size_t checked) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i]->isChecked() != (i == checked)) return false;
    return true;
}
}  // namespace

class ShellTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { QTest::failOnWarning(kEditorMisuse); }

    void mainWindowAsCreated() {
        Rig rig;
        Tform1& f = rig.form();
        QCOMPARE(f.windowTitle(), QStringLiteral("PROGRAMADOR DE MEMORIAS: T.VELAR "));
        QCOMPARE(f.imagen.cell(0, 0), QStringLiteral("      DIRECCION"));
        QCOMPARE(f.imagen.cell(1, 0), QStringLiteral("       DATO"));
        QCOMPARE(f.imagen.gridRows(), 8193);
        QCOMPARE(f.imagen.cell(0, 1), QStringLiteral("0"));
        QCOMPARE(f.imagen.cell(0, 8192), QStringLiteral("8191"));
        QCOMPARE(f.imagen.cell(1, 1), QString());
        QCOMPARE(f.comandos.tipo, 1);
        QCOMPARE(f.comandos.maxdir, 8191u);
        QCOMPARE(f.formato.hexa, 0);
        QCOMPARE(f.formato.letra, QChar(u'd'));
        QVERIFY(onlyChecked(f.tipoItems, 1));
        QVERIFY(f.Decimal1->isChecked() && !f.Hexadecimal1->isChecked());
        QVERIFY(f.ch->isChecked());
        QCOMPARE(f.Edit2->text(), QStringLiteral("1"));
        for (QLineEdit* edit : {f.Pdirm, f.PDatm, f.ldirm, f.ldatm, f.PLOT1, f.PLOT2, f.LLOT1,
                                f.LLOT2, f.Edit3, f.DL, f.DIL1, f.DIL2})
            QCOMPARE(edit->text(), QStringLiteral("0"));
        const QStringList captions = {f.BitBtn1->text(), f.BitBtn2->text(), f.BitBtn3->text(),
                                      f.BitBtn8->text(), f.BitBtn11->text()};
        QCOMPARE(captions, (QStringList{"PROGRAMAR TODO", "LEER TODO", "COMPARAR CON ARCHIVO",
                                        "SALIR", "LIMPIA MATRIZ"}));
        QCOMPARE(f.centralWidget()->size(), QSize(775, 538));
        // The programmer was attached at Connect: reported, but not greeted, as
        // no plug-in happened (1 is also a write command).
        QCOMPARE(f.Panel7->text(), QStringLiteral("Dispositivo Conectado"));
        QCOMPARE(rig.sent(), Bytes{});
        QVERIFY(!f.isVisible());
    }

    void splashThenMainWindowAndStartBytes() {
        // Real timers: the start bytes about 1 s in, while the splash still shows;
        // the main window at 3 s.
        QElapsedTimer clock;
        clock.start();
        Rig rig(true, false);
        rig.programa->run();
        TForm3& splash = *rig.programa->Form3;
        QVERIFY(splash.isVisible());
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash.size(), QSize(644, 232));
        QCOMPARE(rig.form().Panel7->text(), QStringLiteral("Dispositivo Desconectado"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.sent(), (Bytes{8, 8, 8}), 2500);
        QVERIFY(clock.elapsed() >= 990);
        QVERIFY(splash.isVisible());
        QVERIFY(!rig.form().isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(rig.form().isVisible(), 4000);
        QVERIFY(clock.elapsed() >= 2990);
        QVERIFY(!splash.isVisible());
        QVERIFY(!splash.Timer1.isActive());
        QVERIFY(!rig.form().Timer1.isActive());
        QCOMPARE(rig.sent(), (Bytes{8, 8, 8}));
    }

    void splashTexts() {
        Rig rig;
        const TForm3& splash = *rig.programa->Form3;
        QCOMPARE(splash.Label1->text(), QStringLiteral("PROGRAMADOR DE MEMORIAS "));
        QCOMPARE(splash.Label2->text(), QStringLiteral("DESARROLLADO POR:"));
        QCOMPARE(splash.Label3->text(), QStringLiteral("TEODORO VELAR  "));
        QCOMPARE(splash.Label4->text(), QStringLiteral("2009 POR PUERTO USB.  "));
        QCOMPARE(splash.Label3->pos(), QPoint(160, 138));
        QCOMPARE(splash.Image1->pixmap().size(), QSize(1074, 480));
        QCOMPARE(splash.Image1->geometry(), QRect(0, 0, 649, 289));
        QCOMPARE(splash.Timer1.interval(), 3000);
    }

    void presenceFollowsTheProgrammerOnly() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        rig.programmer.unplug();
        rig.settle();
        QCOMPARE(f.Panel7->text(), QStringLiteral("Dispositivo Desconectado"));
        const HidHandle mouse = rig.programmer.plugOther(0x046D, 0xC077);
        const HidHandle sameVendor = rig.programmer.plugOther(kProgrammerVendorId, 7);
        rig.settle();
        QCOMPARE(f.Panel7->text(), QStringLiteral("Dispositivo Desconectado"));
        rig.programmer.plug();
        rig.programmer.plug();
        rig.settle();
        QCOMPARE(f.Panel7->text(), QStringLiteral("Dispositivo Conectado"));
        QCOMPARE(rig.sent(), (Bytes{1, 1}));
        rig.programmer.unplugOther(mouse);
        rig.programmer.unplugOther(sameVendor);
        rig.settle();
        QCOMPARE(f.Panel7->text(), QStringLiteral("Dispositivo Conectado"));
        QCOMPARE(rig.sent(), (Bytes{1, 1}));
        // Events other than plug and unplug go on to the application.
        const int before = rig.programa->applicationWindow.unhandledDeviceMessages();
        postDeviceNotification(&rig.programa->applicationWindow, 3,
                               VirtualProgrammer::kProgrammerHandle);
        rig.settle();
        QCOMPARE(rig.programa->applicationWindow.unhandledDeviceMessages(), before + 1);
        QCOMPARE(rig.programa->applicationWindow.unhandledDeviceMessages() - before, 1);
    }

    void operationsRefuseWithoutTheProgrammer() {
        Rig rig(true, false);
        rig.ready();
        Tform1& f = rig.form();
        for (QPushButton* button : {f.BitBtn1, f.BitBtn2, f.BitBtn4, f.BitBtn5, f.BitBtn6,
                                    f.BitBtn7, f.BitBtn9, f.BitBtn10}) {
            rig.dialogs.clear();
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(rig.dialogs.messages, QStringList{"Revise Conexion USB"});
        }
        QVERIFY(rig.sent().empty());
        QVERIFY(rig.dialogs.errors.isEmpty());
    }

    void exitSequenceFromButtonMenuAndCloseBox() {
        for (int way = 0; way < 3; ++way) {
            Rig rig;
            rig.ready();
            Tform1& f = rig.form();
            f.show();
            if (way == 0) QTest::mouseClick(f.BitBtn8, Qt::LeftButton);
            if (way == 1) f.Salir1->trigger();
            if (way == 2) f.close();
            QCOMPARE(rig.sent(), (Bytes{8, 8}));
            QCOMPARE(rig.platform.terminations, 1);
            QCOMPARE(rig.platform.sleeps.size(), std::size_t{1});
            QCOMPARE(rig.platform.sleeps[0].milliseconds, 30);
            // The hook is gone: notifications now go to the application.
            rig.programmer.unplug();
            rig.settle();
            QCOMPARE(f.Panel7->text(), QStringLiteral("Dispositivo Conectado"));
            QCOMPARE(rig.programa->applicationWindow.unhandledDeviceMessages(), 1);
            // Closing after the exit does not send the bytes again.
            f.close();
            QCOMPARE(rig.sent(), (Bytes{8, 8}));
            rig.programa.reset();
        }
    }

    void memoryTypesResizeTheGridAndSendNothing() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        f.imagen.setCell(1, 8192, QStringLiteral("77"));
        f.tipoItems[0]->trigger();
        QCOMPARE(f.imagen.gridRows(), 1025);
        QCOMPARE(f.comandos.maxdir, 1023u);
        QVERIFY(onlyChecked(f.tipoItems, 0));
        f.Hexadecimal1->trigger();
        f.tipoItems[4]->trigger();
        QCOMPARE(f.imagen.gridRows(), 131073);
        QCOMPARE(f.imagen.cell(0, 131072), QStringLiteral("1FFFF"));
        QCOMPARE(f.imagen.cell(1, 8192), QStringLiteral("77"));
        QVERIFY(onlyChecked(f.tipoItems, 4));
        f.tipoItems[4]->trigger();
        QVERIFY(onlyChecked(f.tipoItems, 4));
        // The cursor stays where it was when the rows change.
        f.m->showCell(1, 700);
        f.tipoItems[1]->trigger();
        QCOMPARE(f.m->currentGridRow(), 700);
        QVERIFY(rig.sent().empty());
    }

    void numberFormatRewritesAddressesOnly() {
        Rig rig;
        Tform1& f = rig.form();
        f.imagen.setCell(1, 1, QStringLiteral("255"));
        f.Hexadecimal1->trigger();
        QCOMPARE(f.formato.hexa, 1);
        QCOMPARE(f.formato.letra, QChar(u'h'));
        QVERIFY(!f.Decimal1->isChecked() && f.Hexadecimal1->isChecked());
        QCOMPARE(f.imagen.cell(0, 11), QStringLiteral("A"));
        QCOMPARE(f.imagen.cell(0, 8192), QStringLiteral("1FFF"));
        QCOMPARE(f.imagen.cell(1, 1), QStringLiteral("255"));
        QCOMPARE(f.formato.read(f.imagen.cell(1, 1)), 597);
        f.Decimal1->trigger();
        QCOMPARE(f.formato.letra, QChar(u'd'));
        QCOMPARE(f.imagen.cell(0, 11), QStringLiteral("10"));
    }

    void clearingTheImage() {
        Rig rig;
        Tform1& f = rig.form();
        f.imagen.setCell(1, 1, QStringLiteral("1"));
        f.imagen.setCell(1, 1025, QStringLiteral("past"));
        f.tipoItems[0]->trigger();
        f.imagen.setCell(1, 1024, QStringLiteral("2"));
        f.imagen.setCell(0, 0, QStringLiteral("changed"));
        QTest::mouseClick(f.BitBtn11, Qt::LeftButton);
        QCOMPARE(f.imagen.cell(1, 1), QString());
        QCOMPARE(f.imagen.cell(1, 1024), QString());
        QCOMPARE(f.imagen.cell(1, 1025), QStringLiteral("past"));
        QCOMPARE(f.imagen.cell(0, 0), QStringLiteral("      DIRECCION"));
        QCOMPARE(f.imagen.cell(1, 0), QStringLiteral("       DATO"));
        QCOMPARE(f.imagen.gridRows(), 1025);
    }

    void keyFilterGuardsEveryNumberField() {
        Rig rig;
        Tform1& f = rig.form();
        f.show();
        for (QLineEdit* edit : {f.Pdirm, f.PDatm, f.ldirm, f.ldatm, f.PLOT1, f.PLOT2, f.LLOT1,
                                f.LLOT2, f.Edit3, f.DL, f.DIL1, f.DIL2}) {
            rig.dialogs.clear();
            edit->clear();
            QTest::keyClicks(edit, "1a");
            QCOMPARE(edit->text(), QStringLiteral("1"));
            QCOMPARE(rig.dialogs.messages, QStringList{"Caracter Invalido"});
        }
        f.Hexadecimal1->trigger();
        f.PDatm->clear();
        QTest::keyClicks(f.PDatm, "a");
        QCOMPARE(f.PDatm->text(), QStringLiteral("A"));
        // The retry count has no filter.
        rig.dialogs.clear();
        f.Edit2->clear();
        QTest::keyClicks(f.Edit2, "x-");
        QCOMPARE(f.Edit2->text(), QStringLiteral("x-"));
        QVERIFY(rig.dialogs.messages.isEmpty());
    }

    void typingIntoTheGrid() {
        Rig rig;
        Tform1& f = rig.form();
        f.show();
        QApplication::setActiveWindow(&f);
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.Hexadecimal1->trigger();
        f.m->showCell(1, 5);
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor && editor->parentWidget() == f.m->viewport());
        // The box takes the focus while it is up, as Qt's does.
        rig.dialogs.onMessage = [&f](const QString&) {
            QWidget box;
            box.show();
            QApplication::setActiveWindow(&box);
            box.close();
            QApplication::setActiveWindow(&f);
        };
        QTest::keyClicks(editor, "fz");
        QCOMPARE(rig.dialogs.messages, QStringList{"Caracter Invalido"});
        // Enter and ESC are refused like any other key: the cell stays open
        // with what was typed.
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::keyClick(editor, Qt::Key_Escape);
        QCOMPARE(rig.dialogs.messages.size(), 3);
        QCOMPARE(f.m->indexWidget(f.imagen.indexOf(1, 5)), editor);
        QCOMPARE(static_cast<QLineEdit*>(editor)->text(), QStringLiteral("F"));
        QCOMPARE(f.imagen.cell(1, 5), QString());
        f.m->showCell(1, 6);
        QCOMPARE(f.imagen.cell(1, 5), QStringLiteral("F"));
        // Typing on the grid itself reaches the cell the same way.
        QTest::keyClicks(f.m, "c");
        f.m->showCell(1, 7);
        QCOMPARE(f.imagen.cell(1, 6), QStringLiteral("C"));
    }

    void escapeStateFromTheKeyboard() {
        SystemPlatform platform;
        QWidget target;
        const auto down = [&] {
            return (platform.GetKeyState(Platform::kVkEscape) & Platform::kKeyDownBit) != 0;
        };
        QVERIFY(!down());
        QTest::keyPress(&target, Qt::Key_Escape);
        platform.forgetKeyPresses();
        QVERIFY(down());
        QTest::keyRelease(&target, Qt::Key_Escape);
        QVERIFY(!down());
        // A tap between two polls still counts, once; a tap before the
        // operation began does not.
        QTest::keyClick(&target, Qt::Key_Escape);
        QVERIFY(down());
        QVERIFY(!down());
        QTest::keyClick(&target, Qt::Key_Escape);
        platform.forgetKeyPresses();
        QVERIFY(!down());
        QTest::keyClick(&target, Qt::Key_A);
        QVERIFY(!down());
        QCOMPARE(platform.GetKeyState(65), 0);
        // Pressed, then a modal box took the release away.
        QTest::keyPress(&target, Qt::Key_Escape);
        QEvent blocked(QEvent::WindowBlocked);
        QCoreApplication::sendEvent(&target, &blocked);
        platform.forgetKeyPresses();
        QVERIFY(!down());
    }

    void escapeThatClosedABoxDoesNotCancelTheNextOperation() {
        SystemPlatform platform;
        RecordingDialogs dialogs;
        VirtualProgrammer programmer(platform);
        Programa programa(platform, dialogs, programmer);
        QCoreApplication::processEvents();
        Tform1& f = *programa.form1;
        f.tipoItems[0]->trigger();
        f.Timer1Timer();
        programmer.clearRecord();
        // The user closes every box with ESC, and types it into a field.
        dialogs.onMessage = [&](const QString& text) {
            if (text == kLecturaTerminada) QTest::keyClick(f.BitBtn2, Qt::Key_Escape);
        };
        QTest::mouseClick(f.BitBtn7, Qt::LeftButton);
        QTest::keyClick(f.Pdirm, Qt::Key_Escape);
        QTest::mouseClick(f.BitBtn2, Qt::LeftButton);
        QCOMPARE(dialogs.messages,
                 (QStringList{"Lectura Terminada", "Caracter Invalido", "Lectura Terminada"}));
        QCOMPARE(programmer.sentBytes().size(), std::size_t{3 + 1024 * 3});
        QCOMPARE(f.m->currentGridRow(), 1);
    }

    void errorsEndTheHandlerInTheStandardBox() {
        RecordingDialogs dialogs;
        runGuarded(dialogs, [] {
            throw ConversionError(QStringLiteral("''$'' is not a valid integer value"));
        });
        runGuarded(dialogs, [] { throw Cancelled(); });
        runGuarded(dialogs, [] { throw IoError(QStringLiteral("File not found")); });
        QCOMPARE(dialogs.errors,
                 (QStringList{"''$'' is not a valid integer value.", "File not found."}));
        QVERIFY(dialogs.messages.isEmpty());
    }
};

QTEST_MAIN(ShellTest)
#include "test_shell.moc"
