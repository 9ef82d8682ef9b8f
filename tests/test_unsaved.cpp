#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>

#include "files/FileCommands.h"
#include "image/MemoryFile.h"
#include "operations/ProgressLine.h"
#include "tests/support/Files.h"
#include "tests/support/Rig.h"
#include "view/DataGrid.h"

namespace {

void clickCell(Tform1& f, int address) {
    const QRect cell = f.m->visualRect(f.imagen.index(address, kDataColumn));
    QTest::mouseClick(f.m->viewport(), Qt::LeftButton, {}, cell.center());
}

// Clicks a data cell and types into the editor that opens, leaving it open.
void typeIntoCell(Tform1& f, int address, const char* text) {
    clickCell(f, address);
    QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(text));
}

void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

// A menu item chosen with the mouse: the menu title in the bar, then the item.
void chooseFromMenu(Tform1& f, QAction* item) {
    QMenuBar* bar = f.menuBar();
    for (QAction* title : bar->actions()) {
        QMenu* menu = title->menu();
        if (!menu || !menu->actions().contains(item)) continue;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title).center());
        QTRY_VERIFY(menu->isVisible());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        return;
    }
    QFAIL("item in no menu");
}
}  // namespace

class UnsavedTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;

  private slots:
    void typedValueIsAskedAboutBeforeItIsLost() {
        struct Way {
            const char* name;
            std::function<void(Tform1&)> act;
            bool exits;
        };
        const Way ways[] = {
            {"Ctrl+Q", [](Tform1&) { pressKey(Qt::Key_Q); }, true},
            {"Archivo > Salir", [](Tform1& f) { chooseFromMenu(f, f.Salir1); }, true},
            {"close box", [](Tform1& f) { f.windowHandle()->close(); }, true},
            {"Ctrl+O", [](Tform1&) { pressKey(Qt::Key_O); }, false},
            {"Archivo > Abrir", [](Tform1& f) { chooseFromMenu(f, f.Abrir1); }, false},
            {"Archivo > Importar...", [](Tform1& f) { chooseFromMenu(f, f.Importar1); }, false},
        };
        for (const Way& way : ways) {
            Rig rig;
            Tform1& f = onScreen(rig);
            typeIntoCell(f, 1, "12");
            rig.dialogs.answers = {Unsaved::Cancelar};
            way.act(f);
            QVERIFY2(rig.dialogs.questions.size() == 1, way.name);
            QCOMPARE(rig.platform.terminations, 0);
            QVERIFY2(rig.dialogs.lastOptions.filter.isEmpty(), way.name);  // no file dialog
            QCOMPARE(rig.cell(2), QStringLiteral("12"));
            QVERIFY(f.isVisible());

            // Let go: the program goes on as asked.
            rig.dialogs.answers = {Unsaved::Descartar};
            way.act(f);
            QCOMPARE(rig.platform.terminations, way.exits ? 1 : 0);
            QVERIFY2(way.exits || !rig.dialogs.lastOptions.filter.isEmpty(), way.name);
        }
    }

    // "Abrir trabajo…" reads the job first: a job that is refused asks
    // nothing and keeps the edits; a good one asks before it replaces them.
    void aJobIsCheckedBeforeTheQuestion() {
        const QString bad = folder_.filePath(QStringLiteral("malo.trabajo"));
        const QString good = folder_.filePath(QStringLiteral("bueno.trabajo"));
        const QString image = folder_.filePath(QStringLiteral("bueno.bin"));
        const auto write = [](const QString& path, const QByteArray& bytes) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        };
        write(bad, "tipo=sram99\nimagen=bueno.bin\n");
        write(good, "tipo=sram24\nimagen=bueno.bin\n");
        write(image, QByteArray(16, '\x07'));
        Rig rig;
        Tform1& f = onScreen(rig);
        typeIntoCell(f, 1, "12");
        rig.dialogs.fileAnswers = {bad, good, good};
        rig.dialogs.answers = {Unsaved::Cancelar, Unsaved::Descartar};
        chooseFromMenu(f, f.AbrirTrabajo1);
        QCOMPARE(rig.dialogs.questions.size(), 0);
        QCOMPARE(rig.dialogs.messages.size(), 1);
        chooseFromMenu(f, f.AbrirTrabajo1);
        QCOMPARE(rig.dialogs.questions.size(), 1);
        QCOMPARE(rig.cell(2), QStringLiteral("12"));
        chooseFromMenu(f, f.AbrirTrabajo1);
        QCOMPARE(rig.cell(2), QStringLiteral("7"));
        QCOMPARE(f.windowTitle(), kCaptionAbierto + QStringLiteral("bueno.bin"));
        QVERIFY(
            f.progreso->stateText().startsWith(QStringLiteral("Importado bueno.bin: 16 bytes")));
    }

    // "Guardar trabajo…" with edits the job's image file lacks: said, and
    // exported to a new file with the job's placement, never over the board
    // file, which holds the other lane too.
    void aJobSavedWithEditsOffersToExportThem() {
        const QString board = folder_.filePath(QStringLiteral("placa.bin"));
        const QString job = folder_.filePath(QStringLiteral("placa.trabajo"));
        QByteArray bytes;
        for (int i = 0; i < 32; ++i) bytes += char(i % 2 ? 0x22 : 0x11);
        QFile file(board);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == 32);
        file.close();
        {
            QFile jobFile(job);
            QVERIFY(jobFile.open(QIODevice::WriteOnly));
            jobFile.write("tipo=sram24\nimagen=placa.bin\ncarril=impar\n");
        }
        Rig rig;
        Tform1& f = onScreen(rig);
        rig.dialogs.fileAnswers = {job};
        chooseFromMenu(f, f.AbrirTrabajo1);
        QCOMPARE(rig.cell(1), QStringLiteral("34"));
        typeIntoCell(f, 1, "51");

        // Cancelled: nothing asked for, nothing written.
        rig.dialogs.answers = {Unsaved::Cancelar};
        chooseFromMenu(f, f.GuardarTrabajo1);
        QCOMPARE(rig.dialogs.questions.size(), 1);
        QVERIFY(rig.dialogs.questions.first().startsWith(
            QStringLiteral("La imagen tiene cambios sin guardar que placa.bin no tiene")));
        QCOMPARE(rig.dialogs.buttons, (QStringList{"Exportar…", "Guardar sin ellos"}));
        QVERIFY(rig.dialogs.fileAnswers.empty());

        // Exportar: offered beside the board file; the edit goes into its
        // lane of a copy, the even lane stays.
        const QString edited = folder_.filePath(QStringLiteral("placa-editado.bin"));
        const QString saved = folder_.filePath(QStringLiteral("nuevo.trabajo"));
        rig.dialogs.answers = {Unsaved::Guardar, Unsaved::Guardar};
        rig.dialogs.fileAnswers = {QString()};
        chooseFromMenu(f, f.GuardarTrabajo1);
        QCOMPARE(rig.dialogs.lastOptions.fileName, edited);
        QVERIFY(!QFile::exists(edited));
        rig.dialogs.fileAnswers = {edited, saved};
        chooseFromMenu(f, f.GuardarTrabajo1);
        QVERIFY(rig.dialogs.fileAnswers.empty());
        QCOMPARE(contents(board), bytes);
        QCOMPARE(contents(edited).left(4), QByteArray("\x11\x22\x11\x33", 4));
        QVERIFY(contents(saved).contains("imagen=placa-editado.bin"));
        QVERIFY(contents(saved).contains("carril=1/2"));
        // Opened again, the new job gives the grid as it was saved.
        rig.dialogs.fileAnswers = {saved};
        rig.dialogs.answers = {Unsaved::Descartar};
        chooseFromMenu(f, f.AbrirTrabajo1);
        QCOMPARE(rig.cell(1), QStringLiteral("34"));
        QCOMPARE(rig.cell(2), QStringLiteral("51"));
    }

    void theQuestionSavesOrCancels() {
        const QString saved = folder_.filePath(QStringLiteral("guardada.mem"));
        Rig rig;
        Tform1& f = onScreen(rig);
        typeIntoCell(f, 1, "12");
        // Guardar with the save dialog cancelled, then with a folder that is
        // not there: nothing written, so nothing lost and no exit.
        rig.dialogs.answers = {Unsaved::Guardar, Unsaved::Guardar};
        rig.dialogs.fileAnswers = {QString(), folder_.filePath(QStringLiteral("no/hay.mem"))};
        pressKey(Qt::Key_Q);
        pressKey(Qt::Key_Q);
        QCOMPARE(rig.dialogs.errors.size(), 1);
        QCOMPARE(rig.platform.terminations, 0);
        QVERIFY(f.cambios());
        // Written: the program goes on and exits.
        rig.dialogs.answers = {Unsaved::Guardar};
        rig.dialogs.fileAnswers = {saved};
        pressKey(Qt::Key_Q);
        QCOMPARE(contents(saved).left(9), QByteArray("d\r\n\r\n12\r\n"));
        QCOMPARE(rig.platform.terminations, 1);
    }

    void enterAndEscapeCancelTheQuestion() {
        QtDialogs dialogs;
        const auto answerWith = [&dialogs](const std::function<void(QMessageBox&)>& act) {
            QTimer::singleShot(0, [act] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                QStringList captions;
                // Each with its Alt letter, underlined; spoken without the "&".
                QSet<int> letters;
                for (QAbstractButton* button : box->buttons()) {
                    letters << QKeySequence::mnemonic(button->text())[0].toCombined();
                    captions << QString(button->text()).remove(u'&');
                }
                QCOMPARE(letters.size(), 3);
                QVERIFY(!letters.contains(0));
                captions.sort();
                QCOMPARE(captions, (QStringList{"Cancelar", "Descartar", "Guardar"}));
                act(*box);
            });
            return dialogs.askUnsaved(QStringLiteral("cambios"));
        };
        const auto key = [](Qt::Key k) {
            return [k](QMessageBox& box) {
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &box,
                                k);
            };
        };
        const auto click = [](const char* caption) {
            return [caption](QMessageBox& box) {
                for (QAbstractButton* button : box.buttons())
                    if (QString(button->text()).remove(u'&') == QLatin1String(caption))
                        button->click();
            };
        };
        QCOMPARE(answerWith(key(Qt::Key_Return)), Unsaved::Cancelar);
        QCOMPARE(answerWith(key(Qt::Key_Enter)), Unsaved::Cancelar);
        QCOMPARE(answerWith(key(Qt::Key_Escape)), Unsaved::Cancelar);
        QCOMPARE(answerWith(click("Guardar")), Unsaved::Guardar);
        QCOMPARE(answerWith(click("Descartar")), Unsaved::Descartar);
    }

    void aNewMemoryTypeKeepsTheValueBeingTyped() {
        Rig rig;
        Tform1& f = onScreen(rig);
        typeIntoCell(f, 2, "44");
        chooseFromMenu(f, f.tipoItems[4]);
        QCOMPARE(rig.cell(3), QStringLiteral("44"));
        QVERIFY(f.cambios());
    }

    void savingAndExportingWriteTheValueBeingTyped() {
        const QString saved = folder_.filePath(QStringLiteral("imagen.mem"));
        const QString exported = folder_.filePath(QStringLiteral("imagen.bin"));
        Rig rig;
        Tform1& f = onScreen(rig);
        typeIntoCell(f, 0, "7");
        rig.dialogs.fileAnswers = {saved};
        pressKey(Qt::Key_S);
        QCOMPARE(contents(saved).left(6), QByteArray("d\r\n7\r\n"));
        typeIntoCell(f, 1, "9");
        rig.dialogs.fileAnswers = {exported};
        chooseFromMenu(f, f.Exportar1);
        QCOMPARE(contents(exported).left(2), QByteArray("\x07\x09"));
        // An export is not a save: the 9 is still a change.
        rig.dialogs.answers = {Unsaved::Cancelar};
        pressKey(Qt::Key_Q);
        QCOMPARE(rig.dialogs.questions.size(), 1);
        QCOMPARE(rig.platform.terminations, 0);
    }

    void onlyARealDifferenceIsAChange() {
        Rig rig;
        Tform1& f = onScreen(rig);
        // The cursor moving through cells writes nothing new.
        clickCell(f, 3);
        clickCell(f, 5);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        rig.click(f.BitBtn8);
        QCOMPARE(rig.dialogs.questions, QStringList{});
        QCOMPARE(rig.platform.terminations, 1);

        // Nor does the number format, nor a read that gives what the cell shows.
        Rig second;
        Tform1& g = onScreen(second);
        chooseFromMenu(g, g.Hexadecimal1);
        chooseFromMenu(g, g.Decimal1);
        second.programmer.firmware().poke(Chip::Sram24, 0, 0x21);
        second.type(g.LLOT1, "0").type(g.LLOT2, "0").click(g.BitBtn7);
        QCOMPARE(second.cell(1), QStringLiteral("33"));
        second.dialogs.clear();
        const QString path = folder_.filePath(QStringLiteral("leida.mem"));
        second.dialogs.fileAnswers = {path};
        chooseFromMenu(g, g.Guardar1);
        second.click(g.BitBtn7);
        second.click(g.BitBtn8);
        QCOMPARE(second.dialogs.questions, QStringList{});
        QCOMPARE(second.platform.terminations, 1);
    }
};

QTEST_MAIN(UnsavedTest)
#include "test_unsaved.moc"
