#include <QAccessible>
#include <QActionGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/Programa.h"
#include "app/Sram.h"
#include "device/ExclusiveLock.h"
#include "device/HidapiLibrary.h"
#include "operations/ProgressLine.h"
#include "tests/support/ByteText.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/RecordingDialogs.h"
#include "tests/support/StandInHidapi.h"

using Bytes = std::vector<std::uint8_t>;
using stand_in::bus;

namespace {
const char* kProgrammerPath = "/dev/hidraw1";

// The program as users run it on Linux: the hidapi backend, here over the
// stand-in bus, wired to tell the user what it must.
struct BackendRig {
    BackendRig() {
        bus().add("/dev/hidraw0", 0x046D, 0xC077);  // a mouse, listed first
        stand_in::Device& programmer =
            bus().add(kProgrammerPath, kProgrammerVendorId, kProgrammerProductId);
        for (std::uint32_t a = 0; a < 8; ++a)
            programmer.firmware.poke(Chip::Sram28, a, static_cast<std::uint8_t>(0xA0 + a));
    }
    BackendRig& start() {
        programa = std::make_unique<Programa>(platform, dialogs, hid);
        settle();
        return *this;
    }
    Tform1& form() { return *programa->form1; }
    void readRange(const char* first, const char* last) {
        form().LLOT1->setText(first);
        form().LLOT2->setText(last);
        QTest::mouseClick(form().BitBtn7, Qt::LeftButton);
    }
    QString cell(int row) { return form().imagen.cell(1, row); }
    stand_in::Device& programmer() { return bus().programmer(); }
    void replug(bool permitted = true) {
        bus().unplug(programmer());
        hid.rescan();
        settle();
        programmer().permitted = permitted;
        bus().plug(programmer());
        hid.rescan();
        settle();
    }
    // The notifications, then what they queued.
    static void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    FakePlatform platform;
    RecordingDialogs dialogs;
    QTemporaryDir locks;
    HidapiLibrary hid{[this](const QString& text) { dialogs.message(text); }, locks.path()};
    std::unique_ptr<Programa> programa;
};
}  // namespace

class HidapiTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { stand_in::resetBus(); }

    void reportsFramedForTheProgrammerOnly() {
        BackendRig rig;
        bus().inputReportSize = 64;
        rig.start();
        QCOMPARE(rig.form().Panel7->text(), kDispositivoConectado);
        rig.readRange("0", "2");
        QCOMPARE(rig.dialogs.messages, QStringList{"Lectura Terminada"});
        QCOMPARE(rig.cell(1), QStringLiteral("160"));
        QCOMPARE(rig.cell(3), QStringLiteral("162"));
        // Already attached at start: no greeting, which a parser could take
        // for the write command 1.
        QCOMPARE(bus().received, (Bytes{2, 0, 0, 2, 1, 0, 2, 2, 0}));
        for (const auto& report : bus().writes) {
            QCOMPARE(report.size(), std::size_t{2});
            QCOMPARE(report[0], 0);
        }
        QCOMPARE(bus().readLengths, (std::vector<std::size_t>(3, 64)));
        QCOMPARE(bus().readTimeouts, (std::vector<int>(3, HidapiLibrary::kReadTimeoutMs)));
        // One open for the whole session, and never the mouse.
        QCOMPARE(bus().opens, 1);
        QCOMPARE(bus().open.size(), std::size_t{1});
        QCOMPARE(bus().open.front().device->path, std::string(kProgrammerPath));
    }

    void aReadReturnsOnlyTheAnswerToItsOwnRequest() {
        BackendRig rig;
        rig.start();
        // The answer for address 0 comes after its read gave up.
        bus().lateAnswers = 1;
        rig.readRange("0", "3");
        QCOMPARE(rig.dialogs.messages, QStringList{"Revise Conexion USB"});
        QCOMPARE(rig.cell(1), QString());
        rig.dialogs.clear();
        rig.replug();
        for (std::uint32_t a = 0; a < 4; ++a)
            rig.programmer().firmware.poke(Chip::Sram28, a, static_cast<std::uint8_t>(0xA0 + a));
        rig.readRange("0", "3");
        QCOMPARE(rig.dialogs.messages, QStringList{"Lectura Terminada"});
        for (int a = 0; a < 4; ++a) QCOMPARE(rig.cell(a + 1), QString::number(0xA0 + a));

        // Input the programmer sent unasked is not taken for an answer either.
        rig.dialogs.clear();
        bus().spontaneous(rig.programmer(), 0x55);
        rig.form().ch->setChecked(true);
        rig.form().Pdirm->setText("5");
        rig.form().PDatm->setText("7");
        QTest::mouseClick(rig.form().BitBtn4, Qt::LeftButton);
        QCOMPARE(rig.dialogs.messages, QStringList{});
        QCOMPARE(rig.cell(6), QStringLiteral("7"));
    }

    void theFirstFailedTransferEndsTheOperation() {
        BackendRig rig;
        rig.start();
        const auto manualRead = [&] { QTest::mouseClick(rig.form().BitBtn6, Qt::LeftButton); };

        // A read that gets no answer, and one that fails: each ends its
        // operation, and the programmer gets nothing more until it is
        // plugged in again, the exit run included.
        for (const auto fault : {+[] { bus().silent = true; }, +[] { bus().readErrors = 1; }}) {
            fault();
            manualRead();
            bus().silent = false;
            bus().clearRecord();
            manualRead();
            rig.form().comandos.exitRun();
            QCOMPARE(rig.dialogs.messages,
                     (QStringList{"Revise Conexion USB", "Revise Conexion USB"}));
            QVERIFY(bus().writes.empty());
            QCOMPARE(rig.form().progreso->stateText(), kQuedoAMitad);
            rig.dialogs.clear();
            rig.replug();
            rig.programmer().firmware.poke(Chip::Sram28, 0, 0xA0);
            QCOMPARE(rig.form().progreso->stateText(), QString());
            manualRead();
            QCOMPARE(rig.dialogs.messages, QStringList{});
            QCOMPARE(rig.form().ldatm->text(), QStringLiteral("160"));
        }

        // A byte of a write sequence does not go out: nothing more goes out,
        // and nothing is reopened meanwhile.
        rig.programmer().firmware.poke(Chip::Sram28, 1, 0xA1);
        bus().clearRecord();
        bus().failWriteAt = 2;
        rig.form().Pdirm->setText("1");
        rig.form().PDatm->setText("9");
        QTest::mouseClick(rig.form().BitBtn4, Qt::LeftButton);
        QTest::mouseClick(rig.form().BitBtn6, Qt::LeftButton);
        QCOMPARE(rig.dialogs.messages, (QStringList{"Revise Conexion USB", "Revise Conexion USB"}));
        QCOMPARE(bus().writes.size(), std::size_t{3});
        QCOMPARE(bus().opens, 0);
        QCOMPARE(rig.programmer().firmware.peek(Chip::Sram28, 1), 0xA1);
    }

    void programmerGoneAndBack() {
        BackendRig rig;
        rig.start();
        bus().unplugAtWrite = 40;  // in the middle of the range
        rig.readRange("0", "99");
        QCOMPARE(rig.dialogs.messages, QStringList{"Revise Conexion USB"});
        QCOMPARE(bus().writes.size(), std::size_t{41});
        rig.hid.rescan();
        rig.settle();
        QCOMPARE(rig.form().Panel7->text(), kDispositivoDesconectado);

        bus().unplugAtWrite = -1;
        bus().clearRecord();
        bus().plug(rig.programmer());
        rig.hid.rescan();
        rig.settle();
        QCOMPARE(rig.form().Panel7->text(), kDispositivoConectado);
        rig.programmer().firmware.poke(Chip::Sram28, 0, 0x42);
        rig.dialogs.clear();
        rig.readRange("0", "0");
        QCOMPARE(rig.dialogs.messages, QStringList{"Lectura Terminada"});
        QCOMPARE(rig.cell(1), QStringLiteral("66"));
        QCOMPARE(bus().received, (Bytes{1, 2, 0, 0}));
    }

    void anotherProgramHoldsTheProgrammer() {
        BackendRig rig;
        const QString lock = programmerLockPath(rig.locks.path(), kProgrammerPath);
        QProcess holder;
        holder.start(QStringLiteral("flock"),
                     {QStringLiteral("-o"), lock, QStringLiteral("sleep"), QStringLiteral("30")});
        QVERIFY(holder.waitForStarted());
        QTRY_VERIFY(lockHolderOf(lock).has_value());
        rig.start();
        // Shown as there, said to be in use, and sent nothing.
        QCOMPARE(rig.form().Panel7->text(), kDispositivoConectado);
        const QString inUse =
            QStringLiteral("El programador está en uso por otro programa (pid %1, flock)")
                .arg(holder.processId());
        QCOMPARE(rig.form().progreso->stateText(), inUse);
        rig.form().Timer1Timer();
        QTest::mouseClick(rig.form().BitBtn6, Qt::LeftButton);
        QCOMPARE(rig.dialogs.messages, QStringList{"Revise Conexion USB"});
        QCOMPARE(rig.form().progreso->stateText(), inUse);
        QVERIFY(bus().writes.empty());
        QCOMPARE(bus().opens, 0);

        // Free again: the window takes it, and keeps it.
        holder.kill();
        QVERIFY(holder.waitForFinished());
        QTRY_COMPARE(rig.form().progreso->stateText(), QString());
        rig.dialogs.clear();
        QTest::mouseClick(rig.form().BitBtn6, Qt::LeftButton);
        QCOMPARE(rig.dialogs.messages, QStringList{});
        QCOMPARE(rig.form().ldatm->text(), QStringLiteral("160"));
        QCOMPARE(lockHolderOf(lock)->pid, QCoreApplication::applicationPid());
    }

    void aProgrammerThatMayNotBeOpenedIsExplainedOncePerPlugIn() {
        BackendRig rig;
        rig.programmer().permitted = false;
        rig.start();
        QCOMPARE(rig.form().Panel7->text(), kDispositivoConectado);
        QCOMPARE(rig.dialogs.messages, QStringList{kSinPermiso});
        // The package's way first (its rule is loaded already), then a build's.
        const qsizetype package = kSinPermiso.indexOf(QStringLiteral("paquete"));
        const qsizetype build = kSinPermiso.indexOf(QStringLiteral("cmake --install"));
        const qsizetype reload =
            kSinPermiso.indexOf(QStringLiteral("udevadm control --reload-rules"));
        QVERIFY(package >= 0 && build > package && reload > build);
        QTest::mouseClick(rig.form().BitBtn6, Qt::LeftButton);
        QTest::mouseClick(rig.form().BitBtn2, Qt::LeftButton);
        rig.settle();
        QCOMPARE(rig.dialogs.messages,
                 (QStringList{kSinPermiso, "Revise Conexion USB", "Revise Conexion USB"}));

        rig.dialogs.clear();
        rig.replug(false);
        QCOMPARE(rig.dialogs.messages, QStringList{kSinPermiso});
        rig.dialogs.clear();
        rig.replug(true);
        rig.programmer().firmware.poke(Chip::Sram28, 0, 0x42);
        QTest::mouseClick(rig.form().BitBtn6, Qt::LeftButton);
        QCOMPARE(rig.dialogs.messages, QStringList{});
        QCOMPARE(rig.form().ldatm->text(), QStringLiteral("66"));
    }

    void severalProgrammersChosenFromTheMenu() {
        BackendRig rig;
        rig.start();
        Tform1& f = rig.form();
        const auto menu = [&f]() -> QMenu* {
            for (QAction* entry : f.menuBar()->actions())
                if (entry->text().remove(u'&') == QStringLiteral("Programador")) return entry->menu();
            return nullptr;
        };
        QLabel* label = f.programador;
        QVERIFY(!menu());
        QVERIFY(!label->isVisibleTo(&f));

        stand_in::Device& first = rig.programmer();
        stand_in::Device& second =
            bus().add("/dev/hidraw2", kProgrammerVendorId, kProgrammerProductId);
        second.serial = L"PRG-B";
        for (std::uint32_t a = 0; a < 3; ++a)
            second.firmware.poke(Chip::Sram28, a, static_cast<std::uint8_t>(0xB0 + a));
        rig.hid.rescan();
        rig.settle();
        QVERIFY(menu());
        const QList<QAction*> bar = f.menuBar()->actions();
        QCOMPARE(bar.indexOf(menu()->menuAction()) + 1, bar.indexOf(f.Ayuda->menuAction()));
        QList<QAction*> items = menu()->actions();
        QCOMPARE(items.size(), 2);
        // A port is added where the host's sysfs knows one.
        QVERIFY(items[0]->text().startsWith(QString(kProgrammerPath)));
        QVERIFY(items[1]->text().startsWith(QStringLiteral("PRG-B")));
        QVERIFY(items[0]->isChecked() && !items[1]->isChecked());
        QVERIFY(items[0]->actionGroup() && items[0]->actionGroup()->isExclusive());
        QAccessibleInterface* menuNode = QAccessible::queryAccessibleInterface(menu());
        for (int i = 0; i < 2; ++i)
            QVERIFY(menuNode->child(i)->text(QAccessible::Name).contains(items[i]->text()));
        QVERIFY(label->isVisibleTo(&f));
        QVERIFY(label->text().startsWith(QStringLiteral("Programador: ") + kProgrammerPath));
        QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name),
                 label->text());

        // The second chosen: a read goes to it alone, and no other may be
        // chosen while it runs.
        items[1]->trigger();
        rig.settle();
        items = menu()->actions();
        QVERIFY(!items[0]->isChecked() && items[1]->isChecked());
        QVERIFY(label->text().startsWith(QStringLiteral("Programador: PRG-B")));
        QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name),
                 label->text());
        QCOMPARE(f.Panel7->text(), kDispositivoConectado);
        first.received.clear();
        rig.dialogs.clear();
        bool refusedInside = false;
        rig.platform.escapeHeld = [&](int) {
            const QList<QAction*> inside = menu()->actions();
            refusedInside = !inside[0]->isEnabled() && !inside[1]->isEnabled();
            inside[0]->trigger();
            return false;
        };
        rig.readRange("0", "2");
        rig.platform.escapeHeld = {};
        QVERIFY(refusedInside);
        QCOMPARE(rig.dialogs.messages, QStringList{"Lectura Terminada"});
        for (int a = 0; a < 3; ++a) QCOMPARE(rig.cell(a + 1), QString::number(0xB0 + a));
        QVERIFY(first.received.empty());
        QCOMPARE(second.received, (Bytes{2, 0, 0, 2, 1, 0, 2, 2, 0}));
        QVERIFY(menu()->actions()[1]->isChecked() && menu()->actions()[0]->isEnabled());

        // It goes: the window is back on the first, alone again.
        bus().unplug(second);
        rig.hid.rescan();
        rig.settle();
        QVERIFY(!menu());
        QVERIFY(!label->isVisibleTo(&f));
        QCOMPARE(f.Panel7->text(), kDispositivoConectado);
        rig.dialogs.clear();
        rig.readRange("0", "0");
        QCOMPARE(rig.dialogs.messages, QStringList{"Lectura Terminada"});
        QCOMPARE(rig.cell(1), QStringLiteral("160"));
    }
};

QTEST_MAIN(HidapiTest)
#include "test_hidapi.moc"
