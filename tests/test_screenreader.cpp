#include <QAccessible>
#include <QLabel>
#include <QTest>

#include "tests/support/Rig.h"
#include "view/ChecksumLine.h"
#include "view/DataGrid.h"

namespace {
QList<QObject*> renamed;

void recordRenames(QAccessibleEvent* event) {
    if (event->type() == QAccessible::NameChanged) renamed << event->object();
}
}  // namespace

// What a screen reader hears over the desktop's accessibility bus (AT-SPI),
// on a real X server: the changes of state are announced as they happen.
class ScreenReaderTest : public QObject {
    Q_OBJECT

  private slots:
    void changesOfStateAreAnnounced() {
        Rig rig;
        Tform1& f = rig.form();
        f.show();
        QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 10000);
        QAccessible::installUpdateHandler(recordRenames);

        rig.programmer.unplug();
        rig.settle();
        QCOMPARE(f.Panel7->text(), QStringLiteral("Dispositivo Desconectado"));
        QVERIFY(renamed.contains(f.Panel7));

        renamed.clear();
        rig.programmer.plug();
        rig.settle();
        QCOMPARE(f.Panel7->text(), QStringLiteral("Dispositivo Conectado"));
        QVERIFY(renamed.contains(f.Panel7));

        rig.ready().memoryType(0);
        rig.type(f.LLOT1, "0").type(f.LLOT2, "3").click(f.BitBtn7);
        QTRY_VERIFY(renamed.contains(f.sumas));
        QAccessible::installUpdateHandler(nullptr);
    }

    void rowsAreHeardByAddressAndEmptyCellsAreSaid() {
        Rig rig;
        Tform1& f = rig.form();
        f.show();
        f.imagen.setCell(1, 2, QStringLiteral("17"));
        QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(f.m);
        QVERIFY(grid && grid->tableInterface());
        QAccessibleTableInterface* table = grid->tableInterface();
        QCOMPARE(table->rowDescription(0), QStringLiteral("0x0000"));
        QCOMPARE(table->rowDescription(1023), QStringLiteral("0x03FF"));
        QCOMPARE(table->cellAt(1, 1)->text(QAccessible::Name), QStringLiteral("17"));
        QCOMPARE(table->cellAt(0, 1)->text(QAccessible::Name), QStringLiteral("vacía"));
    }
};

QTEST_MAIN(ScreenReaderTest)
#include "test_screenreader.moc"
