#include <QAbstractItemModelTester>
#include <QAction>
#include <QPushButton>
#include <QTest>

#include "tests/support/Rig.h"
#include "view/DataGrid.h"
#include "view/Unit2.h"

namespace {
void click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}
}  // namespace

class MismatchTest : public QObject {
    Q_OBJECT

  private slots:
    void equalColumnsCountZero() {
        Rig rig;
        TForm2& w = *rig.programa->Form2;
        QAbstractItemModelTester tester(&w.grid,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        w.grid.setCell(1, 5, "A");
        w.grid.setCell(2, 5, "A");
        w.malas();
        QCOMPARE(rig.dialogs.messages, QStringList{"Existen  0  Dirreciones erradas"});
        QCOMPARE(w.ultima, -1);
        QCOMPARE(w.grid.cell(3, 6), QString());
        // No entry to show: the buttons leave the cursor where it was.
        w.m->showCell(1, 30);
        for (QPushButton* button : {w.BitBtn2, w.BitBtn3, w.BitBtn4, w.BitBtn5}) click(button);
        QCOMPARE(w.m->currentGridRow(), 30);
    }

    void marksCountAndNavigation() {
        Rig rig;
        TForm2& w = *rig.programa->Form2;
        for (int address : {3, 10, 200}) w.grid.setCell(1, address + 1, "1");
        w.grid.setCell(1, 51, "x");
        w.grid.setCell(2, 51, "x");
        w.malas();
        QCOMPARE(rig.dialogs.messages, QStringList{"Existen  3  Dirreciones erradas"});
        QCOMPARE(w.grid.cell(3, 4), QStringLiteral("3"));
        QCOMPARE(w.grid.cell(3, 11), QStringLiteral("10"));
        QCOMPARE(w.grid.cell(3, 201), QStringLiteral("200"));
        QCOMPARE(w.grid.cell(3, 51), QString());
        QCOMPARE(w.pos, -1);
        // A mark keeps the format it was written in, and one typed over is text.
        rig.form().formato.hexa = 1;
        QCOMPARE(w.grid.cell(3, 201), QStringLiteral("200"));
        w.grid.setCell(3, 11, QStringLiteral("visto"));
        QCOMPARE(w.grid.cell(3, 11), QStringLiteral("visto"));
        rig.form().formato.hexa = 0;

        // "ANTERIOR DIR" before any "SIGUIENTE DIR" names no entry.
        w.m->showCell(1, 80);
        click(w.BitBtn3);
        QCOMPARE(w.m->currentGridRow(), 80);
        const auto next = [&] {
            click(w.BitBtn2);
            return w.m->currentGridRow();
        };
        QCOMPARE(next(), 4);
        QCOMPARE(w.m->currentGridColumn(), 3);
        QCOMPARE(next(), 11);
        QCOMPARE(next(), 201);
        QCOMPARE(next(), 201);
        click(w.BitBtn3);
        QCOMPARE(w.m->currentGridRow(), 11);
        click(w.BitBtn4);
        QCOMPARE(w.m->currentGridRow(), 4);
        QCOMPARE(next(), 201);  // "1° Dir" left the cursor on the second entry
        click(w.BitBtn5);
        QCOMPARE(w.m->currentGridRow(), 201);
        click(w.BitBtn3);
        click(w.BitBtn3);
        click(w.BitBtn3);
        QCOMPARE(w.m->currentGridRow(), 4);

        // The same count in hexadecimal marks the addresses in hexadecimal;
        // the count stays decimal.
        rig.dialogs.clear();
        rig.form().Hexadecimal1->trigger();
        w.malas();
        QCOMPARE(w.grid.cell(3, 11), QStringLiteral("A"));
        QCOMPARE(w.grid.cell(3, 201), QStringLiteral("C8"));
        QCOMPARE(rig.dialogs.messages, QStringList{"Existen  3  Dirreciones erradas"});
    }

    void emptyCellsAndOldMarks() {
        Rig rig;
        TForm2& w = *rig.programa->Form2;
        w.grid.setCell(2, 8, "0");
        w.grid.setCell(1, 9, "7");
        w.grid.setCell(2, 9, "07");
        w.grid.setCell(1, 10, "a");
        w.grid.setCell(2, 10, "A");
        w.malas();
        QCOMPARE(w.lista, (std::vector<std::int32_t>{7, 8, 9}));
        w.grid.setCell(2, 8, QString());
        w.malas();
        QCOMPARE(w.lista, (std::vector<std::int32_t>{8, 9}));
        QCOMPARE(w.grid.cell(3, 8), QString());
    }

    void backToTheMainWindowKeepsEverything() {
        Rig rig;
        TForm2& w = *rig.programa->Form2;
        w.grid.setCell(1, 3, "1");
        w.malas();
        w.show();
        click(w.BitBtn2);
        click(w.BitBtn1);
        QVERIFY(!w.isVisible());
        QVERIFY(rig.form().isVisible());
        w.show();
        QCOMPARE(w.pos, 0);
        QCOMPARE(w.grid.cell(3, 3), QStringLiteral("2"));
        QCOMPARE(w.grid.cell(1, 3), QStringLiteral("1"));
    }

    void windowAsDrawn() {
        Rig rig;
        TForm2& w = *rig.programa->Form2;
        QCOMPARE(w.windowTitle(), QStringLiteral("COMPARACION"));
        const QStringList captions = {w.BitBtn1->text(), w.BitBtn4->text(), w.BitBtn3->text(),
                                      w.BitBtn2->text(), w.BitBtn5->text()};
        QCOMPARE(captions, (QStringList{"REGRESAR", QStringLiteral("1\u00B0 Dir"), "ANTERIOR DIR",
                                        "SIGUIENTE DIR", "Ultima Dir"}));
        rig.form().tipoItems[4]->trigger();
        rig.form().Hexadecimal1->trigger();
        w.organiza();
        QCOMPARE(w.grid.gridRows(), 131073);
        QCOMPARE(w.grid.cell(0, 131072), QStringLiteral("1FFFF"));
        QCOMPARE(w.rowsCompared(), 131072);
    }
};

QTEST_MAIN(MismatchTest)
#include "test_mismatch.moc"
