// Undo and redo over the memory image: every change a step, only the cells
// it changed, a bounded history, and the unsaved-changes question after it.
#include <QApplication>
#include <QTemporaryDir>

#include "app/HexView.h"
#include "tests/support/Files.h"
#include "tests/support/Rig.h"
#include "view/DataGrid.h"
#include "view/HexTable.h"
#include "view/ImageHistory.h"
#include "view/NumberFormat.h"

namespace {
// A value typed into a cell and taken, as leaving the cell takes it.
void typeCell(Tform1& f, int address, const char* text) {
    QTest::mouseClick(f.m->viewport(), Qt::LeftButton, {},
                      f.m->visualRect(f.imagen.index(address, kDataColumn)).center());
    QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(text));
    f.m->commitEditor();
}

void shortcut(Tform1& f, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
    QTest::keyClick(f.m, key, modifiers);
}
}  // namespace

class UndoTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;

  private slots:
    void everyChangeOfTheImageIsAStep() {
        Rig rig;
        Tform1& f = onScreen(rig);
        QVERIFY(!f.Deshacer1->isEnabled());
        typeCell(f, 2, "77");
        QCOMPARE(rig.cell(3), QStringLiteral("77"));
        QVERIFY(f.Deshacer1->isEnabled());
        shortcut(f, Qt::Key_Z);
        QCOMPARE(rig.cell(3), QString());
        shortcut(f, Qt::Key_Y);
        QCOMPARE(rig.cell(3), QStringLiteral("77"));

        // A whole read is one step: one undo gives back every text it replaced.
        for (std::uint32_t a = 0; a < 1024; ++a)
            rig.programmer.firmware().poke(Chip::Sram24, a, static_cast<std::uint8_t>(a & 0x7F));
        rig.type(f.LLOT1, "0").type(f.LLOT2, "1023").click(f.BitBtn7);
        QCOMPARE(rig.cell(1024), QStringLiteral("127"));
        QCOMPARE(rig.cell(3), QStringLiteral("2"));
        f.Deshacer1->trigger();
        QCOMPARE(rig.cell(1024), QString());
        QCOMPARE(rig.cell(3), QStringLiteral("77"));
        f.Rehacer1->trigger();
        QCOMPARE(rig.cell(3), QStringLiteral("2"));

        // Across the views: a byte typed in the hex view is undone from the
        // window's menu, a cell typed in the grid from the hex view's.
        f.VistaHexadecimal1->trigger();
        HexView& view = *f.vistaHexadecimal();
        view.tabla->moveTo(2, false);
        QTest::keyClicks(view.tabla, QStringLiteral("41"));
        QCOMPARE(rig.cell(3), QStringLiteral("65"));
        f.Deshacer1->trigger();
        QCOMPARE(rig.cell(3), QStringLiteral("2"));
        typeCell(f, 4, "99");
        view.Deshacer->trigger();
        QCOMPARE(rig.cell(5), QStringLiteral("4"));
        view.Rehacer->trigger();
        QCOMPARE(rig.cell(5), QStringLiteral("99"));

        // A conversion, LIMPIA MATRIZ and Abrir, a step each.
        f.ConvertirHexadecimal1->trigger();
        QCOMPARE(rig.cell(1024), QStringLiteral("7F"));
        f.Deshacer1->trigger();
        QCOMPARE(rig.cell(1024), QStringLiteral("127"));
        rig.click(f.BitBtn11);
        rig.dialogs.clear();
        QCOMPARE(rig.cell(3), QString());
        f.Deshacer1->trigger();
        QCOMPARE(rig.cell(3), QStringLiteral("2"));
        openFile(rig, fixture("seven_dec.mem"));
        QCOMPARE(rig.cell(1), QStringLiteral("7"));
        f.Deshacer1->trigger();
        QCOMPARE(rig.cell(1), QStringLiteral("0"));
        QCOMPARE(rig.cell(3), QStringLiteral("2"));
    }

    void undoingBackToTheKeptImageIsNoChange() {
        Rig rig;
        Tform1& f = onScreen(rig);
        openFile(rig, fixture("seven_dec.mem"));
        QVERIFY(!f.cambios());
        typeCell(f, 0, "9");
        typeCell(f, 1, "8");
        QVERIFY(f.cambios());
        f.Deshacer1->trigger();
        QVERIFY(f.cambios());
        f.Deshacer1->trigger();
        QVERIFY(!f.cambios());
        f.Rehacer1->trigger();
        QVERIFY(f.cambios());
        // Saved after a redo, then undone: the image kept is the saved one.
        rig.dialogs.fileAnswers = {folder_.filePath(QStringLiteral("guardada.mem"))};
        f.Guardar1->trigger();
        QVERIFY(!f.cambios());
        f.Deshacer1->trigger();
        QVERIFY(f.cambios());
        f.Rehacer1->trigger();
        QVERIFY(!f.cambios());
        rig.click(f.BitBtn8);
        QCOMPARE(rig.dialogs.questions, QStringList{});
    }

    void theHistoryKeepsOnlyWhatChangedAndNoMore() {
        NumberFormat format;
        AddressGridModel image(format, 2, 131072);
        image.organiza(131071);
        ImageHistory history(image);
        // Three cells of a whole column rewritten: the step holds three.
        image.updateColumn(kDataColumn, [](std::vector<QString>& texts) {
            for (int a : {5, 600, 131071}) texts[a] = QStringLiteral("1");
        });
        QCOMPARE(history.steps(), std::size_t{1});
        QVERIFY(history.bytes() < 1024);
        // At most 100 steps: the oldest go, and the image kept before them
        // can no longer be told apart, so it counts as changed.
        history.markKept();
        for (int i = 0; i < 150; ++i) image.setCell(kDataColumn, 1 + i, QString::number(i));
        QCOMPARE(history.steps(), ImageHistory::kMostSteps);
        int undone = 0;
        while (history.canUndo()) history.undo(), ++undone;
        QCOMPARE(undone, 100);
        QCOMPARE(image.cell(kDataColumn, 50), QStringLiteral("49"));
        QCOMPARE(image.cell(kDataColumn, 51), QString());
        QVERIFY(history.changedSinceKept());
        // A step larger than the whole bound is not kept at all.
        image.updateColumn(kDataColumn, [](std::vector<QString>& texts) {
            for (std::size_t a = 0; a < texts.size(); ++a)
                texts[a] = QString(300, u'x') + QString::number(a);
        });
        QCOMPARE(history.steps(), std::size_t{0});
        QVERIFY(history.bytes() <= ImageHistory::kMostBytes);
    }
};

QTEST_MAIN(UndoTest)
#include "test_undo.moc"
