#include <QAccessible>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "info/Unit5.h"
#include "operations/ProgressLine.h"
#include "tests/support/ByteText.h"
#include "tests/support/Rig.h"
#include "view/DataGrid.h"
#include "view/Unit2.h"

namespace {
// Every accessible object under a window, by its name.
void collectNames(QAccessibleInterface* node, QMultiMap<QString, QObject*>& names) {
    if (!node) return;
    names.insert(node->text(QAccessible::Name), node->object());
    for (int i = 0; i < node->childCount(); ++i) collectNames(node->child(i), names);
}

// Acts on the file dialog once it is up, then lets it go.
void onFileDialog(const std::function<void(QFileDialog*)>& act) {
    QTimer::singleShot(0, [act] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            act(dialog);
    });
}
}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { configureApplication(); }

    void qtTextsAreSpanishUnderAnEnglishLocale() {
        QCOMPARE(QLocale::system().language(), QLocale::English);
        QMessageBox box(QMessageBox::Question, QString(), QString(),
                        QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
        const auto text = [&](QMessageBox::StandardButton which) {
            return box.button(which)->text().remove(u'&');
        };
        QCOMPARE(text(QMessageBox::Ok), QStringLiteral("Aceptar"));
        QCOMPARE(text(QMessageBox::Cancel), QStringLiteral("Cancelar"));
        QCOMPARE(text(QMessageBox::Yes), QStringLiteral("Sí"));
    }

    void everyControlIsFoundByItsName() {
        Rig rig;
        Tform1& f = rig.form();
        QMultiMap<QString, QObject*> names;
        collectNames(QAccessible::queryAccessibleInterface(&f), names);
        const std::pair<const char*, QObject*> controls[] = {
            {"Imagen de memoria", f.m},
            {"Dirección de programación manual", f.Pdirm},
            {"Dato de programación manual", f.PDatm},
            {"Programar una dirección", f.BitBtn4},
            {"Dirección de lectura manual", f.ldirm},
            {"Dato de lectura manual", f.ldatm},
            {"Leer una dirección", f.BitBtn6},
            {"Primera dirección de programación por lote", f.PLOT1},
            {"Última dirección de programación por lote", f.PLOT2},
            {"Programar por lote", f.BitBtn5},
            {"Primera dirección de lectura por lote", f.LLOT1},
            {"Última dirección de lectura por lote", f.LLOT2},
            {"Leer por lote", f.BitBtn7},
            {"Dato para llenar la memoria", f.Edit3},
            {"Llenar la memoria", f.BitBtn9},
            {"Dato de programación por lote con dato", f.DL},
            {"Primera dirección de programación por lote con dato", f.DIL1},
            {"Última dirección de programación por lote con dato", f.DIL2},
            {"Programar por lote con dato", f.BitBtn10},
            {"Programar toda la memoria", f.BitBtn1},
            {"Leer toda la memoria", f.BitBtn2},
            {"Comparar con archivo", f.BitBtn3},
            {"Limpiar la tabla", f.BitBtn11},
            {"Verificar al programar", f.ch},
            {"Reintentos", f.Edit2},
            {"Salir del programa", f.BitBtn8},
            {"Estado del programador", f.Panel7},
            {"Cancelar la operación", f.progreso->cancelar},
        };
        for (const auto& [name, control] : controls) {
            QVERIFY2(names.values(QString::fromUtf8(name)).contains(control), name);
            QVERIFY2(names.count(QString::fromUtf8(name)) == 1 || QString(name) == "Reintentos",
                     name);
        }
        QCOMPARE(names.values(QStringLiteral("Programar")).size(), 0);
        QCOMPARE(names.values(QStringLiteral("Leer")).size(), 0);
    }

    void shortcutsFromAFilteredField() {
        Rig rig;
        rig.ready();
        Tform1& f = rig.form();
        f.show();
        QApplication::setActiveWindow(&f);
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.PLOT1->setFocus();
        QTest::keyClick(f.PLOT1, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(rig.dialogs.lastOptions.filter, kOpenDialog.filter);
        rig.dialogs.lastOptions = {};
        QTest::keyClick(f.PLOT1, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(rig.dialogs.lastOptions.fileName, QStringLiteral("*.mem"));
        QTest::keyClick(f.PLOT1, Qt::Key_F1);
        QVERIFY(rig.programa->Form5->isVisible());
        QApplication::setActiveWindow(&f);
        QTest::keyClick(f.PLOT1, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(rig.platform.terminations, 1);
        QCOMPARE(rig.sent(), (Bytes{8, 8}));
        QCOMPARE(rig.dialogs.messages, QStringList{});
        QCOMPARE(f.PLOT1->text(), QStringLiteral("0"));
    }

    void unsavedChangesAreAskedAbout() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("imagen.mem"));
        Rig rig;
        rig.ready().memoryType(0);
        Tform1& f = rig.form();
        f.imagen.setData(f.imagen.indexOf(1, 2), QStringLiteral("12"), Qt::EditRole);
        QVERIFY(f.cambios());

        // Declined: everything stays, nothing is sent.
        rig.dialogs.answers = {false, false, false, false};
        rig.click(f.BitBtn11);
        f.Abrir1->trigger();
        rig.click(f.BitBtn8);
        f.show();
        f.close();
        QCOMPARE(rig.dialogs.questions.size(), 4);
        QCOMPARE(rig.cell(2), QStringLiteral("12"));
        QVERIFY(rig.dialogs.lastOptions.filter.isEmpty());  // no open dialog
        QVERIFY(rig.sent().empty());
        QCOMPARE(rig.platform.terminations, 0);
        QVERIFY(f.isVisible());

        // Saved, then read from the chip: changed again; cleared: no question.
        rig.dialogs.clear();
        rig.dialogs.fileAnswers.push_back(path);
        f.Guardar1->trigger();
        QVERIFY(!f.cambios());
        rig.type(f.LLOT1, "0").type(f.LLOT2, "0").click(f.BitBtn7);
        QVERIFY(f.cambios());
        rig.dialogs.answers = {true};
        rig.click(f.BitBtn11);
        QVERIFY(!f.cambios());
        rig.dialogs.fileAnswers.push_back(path);
        f.Abrir1->trigger();
        QCOMPARE(rig.cell(2), QStringLiteral("12"));
        QVERIFY(!f.cambios());
        rig.click(f.BitBtn8);
        QCOMPARE(rig.dialogs.questions.size(), 1);
        QCOMPARE(rig.platform.terminations, 1);
    }

    void fileDialogsStartInTheLastFolder() {
        QTemporaryDir folder;
        QtDialogs dialogs;
        onFileDialog([&](QFileDialog* dialog) {
            dialog->selectFile(folder.filePath(QStringLiteral("a.mem")));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QCOMPARE(dialogs.saveFileName(kSaveDialog), folder.filePath(QStringLiteral("a.mem")));
        QString startedIn;
        onFileDialog([&](QFileDialog* dialog) {
            startedIn = dialog->directory().absolutePath();
            dialog->reject();
        });
        QVERIFY(!dialogs.openFileName(kOpenDialog));
        QCOMPARE(startedIn, QDir(folder.path()).absolutePath());
    }

    void gridsFollowTheWindowHeight() {
        Rig rig;
        Tform1& f = rig.form();
        f.show();
        const QSize designed = f.size();
        f.resize(designed.width(), designed.height() + 200);
        QTRY_COMPARE(f.m->height(), 505 + 200);
        f.resize(designed);
        QTRY_COMPARE(f.m->height(), 505);
        TForm2& w = *rig.programa->Form2;
        w.show();
        w.resize(w.width(), w.height() + 120);
        QTRY_COMPARE(w.m->height(), 505 + 120);
    }
};

QTEST_MAIN(DesktopTest)
#include "test_desktop.moc"
