#include <QAccessible>
#include <QLabel>
#include <QTest>

#include "tests/support/Rig.h"
#include "view/ChecksumLine.h"

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
};

QTEST_MAIN(ScreenReaderTest)
#include "test_screenreader.moc"
