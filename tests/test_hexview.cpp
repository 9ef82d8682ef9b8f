#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include "app/HexView.h"
#include "image/ImageFormats.h"
#include "tests/support/Rig.h"
#include "view/ChecksumLine.h"
#include "view/DataGrid.h"
#include "view/HexTable.h"
#include "view/Unit2.h"

namespace {
constexpr std::uint8_t kProm27c010 = 4;

// Shown and active, so that its shortcuts work.
HexView& openHexView(Rig& rig) {
    rig.form().VistaHexadecimal1->trigger();
    HexView* view = rig.form().vistaHexadecimal();
    Q_ASSERT(view);
    if (!QTest::qWaitForWindowActive(view)) qWarning("the hex view is not active");
    return *view;
}

// Writes cells in the current number format, address a in grid row a + 1.
void putBytes(Rig& rig, std::size_t first, const std::vector<std::uint8_t>& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i)
        rig.form().imagen.setCell(kDataColumn, int(first + i) + 1,
                                  rig.form().formato.show(bytes[i]));
}

QString byteShown(HexView& view, std::size_t address) {
    return view.model.indexOf(address).data().toString();
}

QString hex4(std::uint32_t value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

void find(HexView& view, const QString& what, bool asText, bool forward = true) {
    view.buscar->setText(what);
    view.buscarComo->setCurrentIndex(asText ? 1 : 0);
    QTest::keyClick(view.tabla, Qt::Key_F3, forward ? Qt::NoModifier : Qt::ShiftModifier);
}
}  // namespace

class HexViewTest : public QObject {
    Q_OBJECT

  private slots:
    void rowModelMapsSixteenAddressesToARow() {
        Rig rig;
        Tform1& f = rig.form();
        HexRowModel model(f.imagen, f.formato);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 8192 / 16);
        f.Hexadecimal1->trigger();
        putBytes(rig, 0x20, {0x48, 0x07});
        f.imagen.setCell(kDataColumn, 0x23 + 1, "1FF");
        QCOMPARE(model.index(2, 1).data().toString(), QStringLiteral("48"));
        QCOMPARE(model.index(2, 2).data().toString(), QStringLiteral("07"));
        QCOMPARE(model.index(2, 3).data().toString(), QString());
        QCOMPARE(model.index(2, 4).data().toString(), HexRowModel::kNotAByte);
        QCOMPARE(model.index(2, 0).data().toString(), QStringLiteral("0x0020"));
        QCOMPARE(model.index(2, model.textColumn()).data().toString(),
                 QStringLiteral("H. .") + QString(12, u' '));
        // The same texts read in decimal: "48" is 0x30, "1FF" no byte at all.
        f.Decimal1->trigger();
        QCOMPARE(model.index(2, 1).data().toString(), QStringLiteral("30"));

        // Changes reach the rows they fall in, a whole column at once.
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        f.imagen.setCell(kDataColumn, 0x35 + 1, "1");
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), 3);
        QCOMPARE(changed[0][1].toModelIndex().row(), 3);
        changed.clear();
        f.imagen.updateColumn(kDataColumn, [](std::vector<QString>& texts) { texts[9] = "2"; });
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), 0);
        QCOMPARE(changed[0][1].toModelIndex().row(), model.rowCount() - 1);

        model.setBytesPerRow(HexRowModel::kNarrowRow);
        QCOMPARE(model.rowCount(), 8192 / 8);
        QCOMPARE(model.index(4, 1).data().toString(), QStringLiteral("30"));
        rig.memoryType(kProm27c010);
        QCOMPARE(model.rowCount(), 131072 / 8);
        QCOMPARE(model.index(4, 0).data().toString(), QStringLiteral("0x00020"));
    }

    void cursorsFollowEachOther() {
        Rig rig;
        Tform1& f = rig.form();
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.imagen.setCell(kDataColumn, 0x123 + 1, "77");
        f.m->setCurrentIndex(f.imagen.index(0x123, kDataColumn));
        // Ctrl+H from the grid's open cell opens the view: no backspace.
        QWidget* editor = f.m->indexWidget(f.m->currentIndex());
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_H, Qt::ControlModifier);
        QVERIFY(f.vistaHexadecimal() && f.vistaHexadecimal()->isVisible());
        QCOMPARE(rig.cell(0x123 + 1), QStringLiteral("77"));
        HexView& view = *f.vistaHexadecimal();
        QCOMPARE(view.tabla->cursor(), std::size_t{0x123});

        QTest::keyClick(view.tabla, Qt::Key_Down);
        QCOMPARE(f.m->currentIndex().row(), 0x133);
        QTest::keyClick(view.tabla, Qt::Key_End);
        QCOMPARE(f.m->currentIndex().row(), 0x13F);
        QTest::keyClick(view.tabla, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(f.m->currentIndex().row(), 8191);

        f.m->setCurrentIndex(f.imagen.index(0x40, 0));
        QCOMPARE(view.tabla->cursor(), std::size_t{0x40});
        QCOMPARE(view.tabla->currentIndex(), view.model.indexOf(0x40));
        view.irA->setText("0x1F0");
        QTest::keyClick(view.irA, Qt::Key_Return);
        QCOMPARE(f.m->currentIndex().row(), 0x1F0);
        view.irA->setText("496h");
        QTest::keyClick(view.irA, Qt::Key_Return);
        QCOMPARE(f.m->currentIndex().row(), 0x496);
        view.irA->setText("100");
        QTest::keyClick(view.irA, Qt::Key_Return);
        QCOMPARE(f.m->currentIndex().row(), 100);
        view.irA->setText("8192");
        QTest::keyClick(view.irA, Qt::Key_Return);
        QCOMPARE(view.estado->text(),
                 QStringLiteral("La dirección supera la maxima dirección de la memoria"));
        QCOMPARE(f.m->currentIndex().row(), 100);
    }

    void typedDigitsWriteTheCellInTheCurrentFormat() {
        Rig rig;
        Tform1& f = rig.form();
        HexView& view = openHexView(rig);
        const QString sumsBefore = f.sumas->text();
        view.tabla->moveTo(0x10, false);
        QTest::keyClicks(view.tabla, "3c");
        QCOMPARE(rig.cell(0x10 + 1), QStringLiteral("60"));
        QCOMPARE(view.tabla->cursor(), std::size_t{0x11});
        QTRY_VERIFY(f.sumas->text() != sumsBefore);

        f.Hexadecimal1->trigger();
        QTest::keyClick(view.tabla, Qt::Key_3);
        QVERIFY(rig.cell(0x11 + 1).isEmpty());
        // Not a hexadecimal digit: refused as the grid refuses it, and the
        // first digit still waits for its second.
        for (const char* refused : {"g", " ", "\r"}) QTest::keyClicks(view.tabla, refused);
        QCOMPARE(rig.dialogs.messages, QStringList(3, kCaracterInvalido));
        QTest::keyClick(view.tabla, Qt::Key_C);
        QCOMPARE(rig.cell(0x11 + 1), QStringLiteral("3C"));
        QCOMPARE(byteShown(view, 0x11), QStringLiteral("3C"));

        // Two steps, one for each byte typed.
        view.Deshacer->trigger();
        QVERIFY(rig.cell(0x11 + 1).isEmpty());
        QCOMPARE(rig.cell(0x10 + 1), QStringLiteral("60"));
    }

    void bytesReadAppearWhileTheOperationRunsAndTypingWaits() {
        Rig rig;
        rig.ready().memoryType(0);
        Tform1& f = rig.form();
        for (std::uint32_t a = 0; a < 1024; ++a)
            rig.programmer.firmware().poke(Chip::Sram24, a, std::uint8_t(a * 3));
        HexView& view = openHexView(rig);
        view.tabla->moveTo(0x3FF, false);
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* event) override {
                paints += event->type() == QEvent::Paint;
                return false;
            }
        } counter;
        view.tabla->viewport()->installEventFilter(&counter);
        QString seenMidway, operationSeen;
        rig.platform.escapeHeld = [&](int poll) {
            if (poll == 600) {
                seenMidway = byteShown(view, 0x100);
                operationSeen = view.progreso->isVisible() ? view.operacion->text() : QString();
                QTest::keyClicks(view.tabla, "AA");
            }
            return false;
        };
        rig.click(f.BitBtn2);
        QCOMPARE(seenMidway, hex4(0x100 * 3 & 0xFF, 2));
        // A byte off the screen costs no paint.
        const int rowsShown = view.tabla->viewport()->height() / view.tabla->rowHeight(0) + 1;
        QVERIFY2(counter.paints > 0 && counter.paints <= rowsShown * 16 + 2,
                 qPrintable(QString::number(counter.paints)));
        QCOMPARE(rig.cell(0x3FF + 1), QString::number(0x3FF * 3 & 0xFF));
        QCOMPARE(view.estado->text().left(28), QStringLiteral("Hay una operación en curso: "));
        QVERIFY2(operationSeen.contains(QStringLiteral("Leyendo")), qPrintable(operationSeen));
        QVERIFY(!view.progreso->isVisible());
    }

    void findsBytesWildcardsAndText() {
        Rig rig;
        Tform1& f = rig.form();
        HexView& view = openHexView(rig);
        putBytes(rig, 0x100, {0xDE, 0xAD, 0xBE, 0xEF});
        putBytes(rig, 0x200, {0xDE, 0x00, 0xBE, 0xEF});
        putBytes(rig, 0x300, {'H', 'o', 'l', 'a'});
        view.tabla->moveTo(0, false);

        find(view, "DE AD BE EF", false);
        QCOMPARE(view.tabla->cursor(), std::size_t{0x100});
        QCOMPARE(view.tabla->selection().last, std::size_t{0x103});
        QCOMPARE(f.m->currentIndex().row(), 0x100);
        find(view, "de ?? be ef", false);
        QCOMPARE(view.tabla->cursor(), std::size_t{0x100});
        find(view, "de ?? be ef", false);
        QCOMPARE(view.tabla->cursor(), std::size_t{0x200});
        // Past the last match the search goes round, and says so, both ways.
        find(view, "de ?? be ef", false);
        QCOMPARE(view.estado->text(),
                 QStringLiteral("Encontrado en 256 · Se siguió desde el principio"));
        QCOMPARE(view.tabla->cursor(), std::size_t{0x100});
        find(view, "de ?? be ef", false, false);
        QCOMPARE(view.tabla->cursor(), std::size_t{0x200});
        QVERIFY(view.estado->text().endsWith(QStringLiteral("Se siguió desde el final")));
        find(view, "Hola", true);
        QCOMPARE(view.tabla->cursor(), std::size_t{0x300});
        // A match lands in the middle of the view, not on its edge.
        const int middle = view.tabla->viewport()->height() / 2;
        const int matchAt = view.tabla->visualRect(view.model.indexOf(0x300)).center().y();
        QVERIFY2(std::abs(matchAt - middle) <= view.tabla->rowHeight(0),
                 qPrintable(QString::number(matchAt)));
        view.tabla->moveTo(0, false);
        find(view, "hOLA", true);
        QCOMPARE(view.estado->text(), kNoSeEncontro);
        QVERIFY(view.mayusculas->isEnabled());
        view.mayusculas->setChecked(true);
        find(view, "hOLA", true);
        QCOMPARE(view.tabla->cursor(), std::size_t{0x300});
        // The one message line is about the image as it was: an undo clears it.
        view.tabla->moveTo(0, false);
        QTest::keyClicks(view.tabla, "01");
        find(view, "Hola", true);
        QVERIFY(!view.estado->text().isEmpty());
        view.Deshacer->trigger();
        QVERIFY(view.estado->text().isEmpty());

        // A byte typed since the last search is found: no stale bytes.
        view.tabla->moveTo(0, false);
        QTest::keyClicks(view.tabla, "deadbeef");
        view.tabla->moveTo(0, false);
        find(view, "DEADBEEF", false);
        QCOMPARE(view.tabla->cursor(), std::size_t{0});
        // A text that is no byte matches only a wildcard.
        f.imagen.setCell(kDataColumn, 2, "300");
        view.tabla->moveTo(0, false);
        find(view, "DE AD BE EF", false);
        QCOMPARE(view.tabla->cursor(), std::size_t{0x100});
        view.tabla->moveTo(0, false);
        find(view, "DE ?? BE EF", false);
        QCOMPARE(view.tabla->cursor(), std::size_t{0});
        find(view, "DE AD 1", false);
        QVERIFY(view.estado->text().contains(QStringLiteral("no son bytes en hexadecimal")));
    }

    void fillCopyAndPasteALinearSelection() {
        Rig rig;
        Tform1& f = rig.form();
        // Shown, the grid keeps its current cell open.
        f.show();
        HexView& view = openHexView(rig);
        putBytes(rig, 0x0E, {1, 2, 3, 4, 5});
        // Pressed on 0x0E and dragged to 0x12 on the next row: five addresses.
        const auto centre = [&](std::size_t a) {
            return view.tabla->visualRect(view.model.indexOf(a)).center();
        };
        QWidget* area = view.tabla->viewport();
        QTest::mousePress(area, Qt::LeftButton, {}, centre(0x0E));
        QMouseEvent drag(QEvent::MouseMove, centre(0x12), area->mapToGlobal(centre(0x12)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(area, &drag);
        QTest::mouseRelease(area, Qt::LeftButton, {}, centre(0x12));
        QCOMPARE(view.tabla->selectionModel()->selectedIndexes().size(), 5);
        const image::Bytes five{1, 2, 3, 4, 5};
        // Addresses in messages as the grid shows them, here in decimal.
        QCOMPARE(view.seleccion->text(),
                 QStringLiteral("Selección 14–18 · 5 bytes · Suma %1 · CRC-32 %2")
                     .arg(hex4(image::sum16(five), 4), hex4(image::crc32(five), 8)));

        view.Copiar->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("01 02 03 04 05"));
        // A text in the selection that is no byte: no sums, nothing copied.
        f.imagen.setCell(kDataColumn, 0x10 + 1, "300");
        QTRY_VERIFY(view.seleccion->text().endsWith("la dirección 16 no tiene un byte"));
        QGuiApplication::clipboard()->clear();
        view.Copiar->trigger();
        QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
        f.imagen.setCell(kDataColumn, 0x10 + 1, "3");

        view.LlenarSeleccion->trigger();
        view.llenarCon->setText("a5");
        QTest::keyClick(view.llenarCon, Qt::Key_Return);
        for (std::size_t a = 0x0E; a <= 0x12; ++a) QCOMPARE(rig.cell(int(a) + 1), "165");
        QVERIFY(rig.cell(0x13 + 1).isEmpty());
        view.Deshacer->trigger();
        QCOMPARE(rig.cell(0x12 + 1), QStringLiteral("5"));

        // The whole memory, with Shift: one step of a column change. The
        // grid's cell open at the cursor shows the fill, and keeps it when
        // the grid moves on.
        QTest::keyClick(view.tabla, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(view.tabla, Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(f.m->indexWidget(f.imagen.index(8191, kDataColumn)));
        view.LlenarSeleccion->trigger();
        view.llenarCon->setText("0");
        view.llenar->click();
        f.m->setCurrentIndex(f.imagen.index(8190, kDataColumn));
        const std::vector<QString>& texts = f.imagen.column(kDataColumn);
        QCOMPARE(std::count(texts.begin(), texts.begin() + 8192, QStringLiteral("0")), 8192);
        view.Deshacer->trigger();
        QCOMPARE(rig.cell(0x0E + 1), QStringLiteral("1"));
        QVERIFY(rig.cell(8191 + 1).isEmpty());

        view.tabla->moveTo(0x40, false);
        QGuiApplication::clipboard()->setText("DE AD\nBE EF");
        view.Pegar->trigger();
        QCOMPARE(rig.cell(0x40 + 1), QStringLiteral("222"));
        QCOMPARE(rig.cell(0x43 + 1), QStringLiteral("239"));
        view.Deshacer->trigger();
        QVERIFY(rig.cell(0x40 + 1).isEmpty() && rig.cell(0x43 + 1).isEmpty());
        view.Rehacer->trigger();
        QCOMPARE(rig.cell(0x43 + 1), QStringLiteral("239"));

        const std::vector<QString> before = f.imagen.column(kDataColumn);
        view.tabla->moveTo(0x50, false);
        QGuiApplication::clipboard()->setText("hola");
        view.Pegar->trigger();
        QVERIFY(view.estado->text().startsWith(QStringLiteral("El portapapeles no tiene bytes")));
        view.tabla->moveTo(8190, false);
        QGuiApplication::clipboard()->setText("01 02 03");
        view.Pegar->trigger();
        QVERIFY(view.estado->text().contains(QStringLiteral("no se pegó nada")));
        QVERIFY(f.imagen.column(kDataColumn) == before);
    }

    void textColumnHalfBytesPasteFormsAndSelectAll() {
        Rig rig;
        Tform1& f = rig.form();
        HexView& view = openHexView(rig);
        // Ctrl+T: typing goes to the text; a character writes its code in the grid's format.
        view.tabla->moveTo(0x20, false);
        QTest::keyClick(view.tabla, Qt::Key_T, Qt::ControlModifier);
        QVERIFY(view.tabla->textSide() && view.EscribirTexto->isChecked());
        // As a keyboard layout gives them: a key with its text, é and € included.
        const auto type = [&](const QString& text) {
            for (QChar c : text)
                QTest::sendKeyEvent(QTest::Click, view.tabla, Qt::Key_unknown, QString(c), {});
        };
        type(QStringLiteral("Hé1"));
        QCOMPARE(rig.cell(0x20 + 1), QStringLiteral("72"));
        QCOMPARE(rig.cell(0x21 + 1), QStringLiteral("233"));
        QCOMPARE(rig.cell(0x22 + 1), QStringLiteral("49"));
        QCOMPARE(view.tabla->cursor(), std::size_t{0x23});
        type(QStringLiteral("€"));
        QVERIFY(rig.cell(0x23 + 1).isEmpty());
        QVERIFY(view.estado->text().startsWith(QStringLiteral("«€» no cabe en un byte")));
        QVERIFY(rig.dialogs.messages.isEmpty());
        // The selection shows in the text column too, character by character.
        view.tabla->selectSpan(0x20, 0x21);
        const QModelIndex textCell = view.model.index(2, view.model.textColumn());
        const QRect row = view.tabla->visualRect(textCell);
        const QImage shot = view.tabla->viewport()->grab().toImage();
        const int advance = view.tabla->fontMetrics().horizontalAdvance(u'0');
        const auto pixel = [&](int character) {
            const int margin = view.tabla->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1;
            return shot.pixelColor(row.left() + margin + character * advance + 1, row.top() + 2);
        };
        QVERIFY2(pixel(0) == pixel(1) && pixel(0) != pixel(3), qPrintable(pixel(0).name()));

        // A first digit left half-typed is refused aloud; the cell keeps its text.
        view.EscribirTexto->trigger();
        QVERIFY(!view.tabla->textSide());
        view.tabla->moveTo(0x20, false);
        QTest::keyClick(view.tabla, Qt::Key_A);
        QTest::keyClick(view.tabla, Qt::Key_Right);
        QCOMPARE(view.estado->text(),
                 QStringLiteral("«A» sola no es un byte: 32 conserva su valor"));
        QCOMPARE(rig.cell(0x20 + 1), QStringLiteral("72"));

        // Paste takes the byte lists people copy from listings and sources.
        const std::vector<std::uint8_t> twelve34{0x12, 0x34};
        for (const char* pasted : {"1234", "12 34", "0x12, 0x34", "$12,$34", "12h 34h",
                                   "static const unsigned char d[] = { 0x12, 0x34 };",
                                   "  DB 12h, 34h", ".byte $12, $34"})
            QVERIFY2(pastedBytes(QString::fromUtf8(pasted)) == twelve34, pasted);
        QCOMPARE(pastedBytes(QStringLiteral("db")), std::vector<std::uint8_t>{0xDB});
        for (const char* refused : {"", "123", "0x123", "hola", "12 3"})
            QVERIFY2(!pastedBytes(QString::fromUtf8(refused)), refused);
        view.tabla->moveTo(0x40, false);
        QGuiApplication::clipboard()->setText("{0xDE, 0xAD}");
        view.Pegar->trigger();
        QCOMPARE(rig.cell(0x41 + 1), QStringLiteral("173"));

        // Ctrl+A: every address of the memory, from the table.
        QTest::keyClick(view.tabla, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(view.tabla->selection().first, std::size_t{0});
        QCOMPARE(view.tabla->selection().last, view.model.addressCount() - 1);
        QVERIFY(rig.dialogs.messages.isEmpty());
        Q_UNUSED(f);
    }

    void differencesAndChangesAreMarkedAndWalked() {
        Rig rig;
        rig.ready().memoryType(0);
        Tform1& f = rig.form();
        HexView& view = openHexView(rig);
        const auto spoken = [&](std::size_t a) {
            return view.model.indexOf(a).data(Qt::AccessibleTextRole).toString();
        };
        const auto marked = [&](std::size_t a) {
            return view.model.indexOf(a).data(Qt::BackgroundRole).isValid();
        };
        // A memory file that differs from the grid at 0x10 and 0x300.
        putBytes(rig, 0x10, {0x12});
        putBytes(rig, 0x300, {0x56});
        QTemporaryDir folder;
        const QString path = folder.filePath("otro.mem");
        rig.dialogs.fileAnswers.push_back(path);
        f.Guardar1->trigger();
        putBytes(rig, 0x10, {0x34});
        putBytes(rig, 0x300, {0x78});
        rig.dialogs.fileAnswers.push_back(path);
        rig.click(f.BitBtn3);
        QVERIFY(rig.programa->Form2->isVisible());
        QCOMPARE(spoken(0x10), QStringLiteral("0x0010: 34 '4', difiere: en el archivo 12"));
        QCOMPARE(view.model.indexOf(0x10).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("Difiere: en el archivo 12"));
        QVERIFY(!marked(0x11));

        // F8 walks them from the cursor and goes round; the mismatch window's
        // own position stays where its buttons left it.
        view.tabla->moveTo(0x20, false);
        QTest::keyClick(view.tabla, Qt::Key_F8);
        QCOMPARE(view.tabla->cursor(), std::size_t{0x300});
        QCOMPARE(view.estado->text(), QStringLiteral("Difiere en 768: aquí 78, en el archivo 56"));
        QTest::keyClick(view.tabla, Qt::Key_F8);
        QCOMPARE(view.tabla->cursor(), std::size_t{0x10});
        QVERIFY(view.estado->text().endsWith(QStringLiteral("Se siguió desde el principio")));
        QTest::keyClick(view.tabla, Qt::Key_F8, Qt::ShiftModifier);
        QCOMPARE(view.tabla->cursor(), std::size_t{0x300});
        QCOMPARE(rig.programa->Form2->pos, -1);
        // Typed back to the file's value, a byte no longer differs.
        QTest::keyClicks(view.tabla, "56");
        QVERIFY(!spoken(0x300).contains(QStringLiteral("difiere")));
        view.tabla->moveTo(0x20, false);
        QTest::keyClick(view.tabla, Qt::Key_F8);
        QTest::keyClick(view.tabla, Qt::Key_F8);
        QCOMPARE(view.tabla->cursor(), std::size_t{0x10});

        // Changed since the last save or read, from the history; an undo takes it back.
        rig.dialogs.fileAnswers.push_back(path);
        f.Guardar1->trigger();
        QVERIFY(!marked(0x10) || spoken(0x10).contains(QStringLiteral("difiere")));
        QVERIFY(!spoken(0x40).contains(QStringLiteral("cambiado")));
        putBytes(rig, 0x40, {0x99});
        QVERIFY(spoken(0x40).endsWith(QStringLiteral(", cambiado")) && marked(0x40));
        f.Deshacer1->trigger();
        QVERIFY(!marked(0x40));

        // A verify that failed: the chip's values are the other side; a new
        // use of the mismatch window takes the old marks away.
        putBytes(rig, 0, std::vector<std::uint8_t>(16, 0));
        rig.programmer.firmware().setStuckBits(Chip::Sram24, 5, 0x40, 0x40);
        rig.type(f.PLOT1, "0").type(f.PLOT2, "15").click(f.BitBtn5);
        QCOMPARE(spoken(0x5),
                 QStringLiteral("0x0005: 00 no imprimible, difiere: leído de la memoria 40"));
        QVERIFY(!spoken(0x300).contains(QStringLiteral("difiere")));
        // A read marks nothing as changed: the image is the chip's now.
        rig.click(f.BitBtn2);
        QVERIFY(!spoken(0x3).contains(QStringLiteral("cambiado")));
        QVERIFY(!marked(0x40));
    }

    void accessibleNamesOfBytesAndControls() {
        Rig rig;
        Tform1& f = rig.form();
        HexView& view = openHexView(rig);
        f.Hexadecimal1->trigger();
        putBytes(rig, 0x10, {0x3C, 0x07});
        f.imagen.setCell(kDataColumn, 0x13 + 1, "XYZ");
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(view.tabla);
        QVERIFY(table && table->tableInterface());
        const auto name = [&](int row, int column) {
            return table->tableInterface()->cellAt(row, column)->text(QAccessible::Name);
        };
        QCOMPARE(name(1, 1), QStringLiteral("0x0010: 3C '<', cambiado"));
        QCOMPARE(name(1, 2), QStringLiteral("0x0011: 07 no imprimible, cambiado"));
        QCOMPARE(name(1, 3), QStringLiteral("0x0012: vacía"));
        QCOMPARE(name(1, 4), QStringLiteral("0x0013: ??, cambiado"));
        rig.memoryType(kProm27c010);
        putBytes(rig, 0x1FFFF, {0x41});
        QCOMPARE(name(0x1FFF, 16), QStringLiteral("0x1FFFF: 41 'A', cambiado"));

        // Every field's name holds the caption of its label, every button's its text.
        int captioned = 0;
        for (QLabel* label : view.findChildren<QLabel*>()) {
            if (!label->buddy()) continue;
            const QString caption = label->text().remove(u'&');
            QVERIFY2(label->buddy()->accessibleName().contains(caption, Qt::CaseInsensitive),
                     qPrintable(caption));
            ++captioned;
        }
        for (QPushButton* button : view.findChildren<QPushButton*>()) {
            QVERIFY2(
                button->accessibleName().contains(button->text().remove(u'&'), Qt::CaseInsensitive),
                qPrintable(button->text()));
            ++captioned;
        }
        QCOMPARE(captioned, 8);
        // From the table, Tab reaches the search field and Shift+Tab comes back.
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        view.tabla->setFocus();
        QTest::keyClick(view.tabla, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), view.buscar);
        QTest::keyClick(view.buscar, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), view.tabla);
    }
};

QTEST_MAIN(HexViewTest)
#include "test_hexview.moc"
