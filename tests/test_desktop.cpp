#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "files/FileCommands.h"
#include "files/ImageCommands.h"
#include "info/Unit5.h"
#include "operations/ProgressLine.h"
#include "tests/support/ByteText.h"
#include "tests/support/Rig.h"
#include "view/ChecksumLine.h"
#include "view/DataGrid.h"
#include "view/Unit2.h"

namespace {
// Every accessible object under a window, by its name.
void collectNames(QAccessibleInterface* node, QMultiMap<QString, QObject*>& names) {
    if (!node) return;
    names.insert(node->text(QAccessible::Name), node->object());
    for (int i = 0; i < node->childCount(); ++i) collectNames(node->child(i), names);
}

// The caption a user sees on a control: a button's text, or the text of the
// label that names a field.
QString visibleCaption(QObject* object) {
    if (auto* button = qobject_cast<QAbstractButton*>(object)) return button->text();
    if (auto* field = qobject_cast<QLineEdit*>(object)) {
        for (QLabel* label : field->parentWidget()->findChildren<QLabel*>())
            if (label->buddy() == field) return label->text();
    }
    return {};
}

// Case and accents aside, as a speech recogniser hears it.
QString plain(const QString& text) {
    QString bare;
    for (QChar c : text.normalized(QString::NormalizationForm_D))
        if (c.category() != QChar::Mark_NonSpacing) bare += c.toLower();
    return bare.remove(u'&');
}

QString accessibleName(QObject* object) {
    return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
}

QStringList namesUnder(QWidget* widget) {
    QMultiMap<QString, QObject*> names;
    collectNames(QAccessible::queryAccessibleInterface(widget), names);
    return names.keys();
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

    QTemporaryDir config_;

  private slots:
    void initTestCase() {
        // Where Qt would keep its settings file, were one written.
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
        configureApplication();
    }

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

    void everyNameHoldsItsCaption() {
        Rig rig;
        Tform1& f = rig.form();
        QMultiMap<QString, QObject*> names;
        collectNames(QAccessible::queryAccessibleInterface(&f), names);
        int captioned = 0;
        for (auto it = names.begin(); it != names.end(); ++it) {
            const QString caption = visibleCaption(it.value());
            if (caption.isEmpty()) continue;
            ++captioned;
            QVERIFY2(plain(it.key()).contains(plain(caption)),
                     qPrintable(it.key() + " / " + caption));
        }
        // 11 buttons of the window, Cancelar, the check box, 12 fields with labels.
        QCOMPARE(captioned, 25);
        // The same captions are told apart.
        for (QPushButton* button : f.findChildren<QPushButton*>())
            QVERIFY2(names.count(button->accessibleName()) == 1, qPrintable(button->text()));
        QVERIFY(!f.progreso->bar->accessibleName().isEmpty());
    }

    void changingTextsAreTheirNames() {
        Rig rig;
        Tform1& f = rig.form();
        QCOMPARE(accessibleName(f.Panel7), QStringLiteral("Dispositivo Conectado"));
        rig.programmer.unplug();
        rig.settle();
        QCOMPARE(accessibleName(f.Panel7), QStringLiteral("Dispositivo Desconectado"));

        rig.programmer.plug();
        rig.settle();
        rig.ready().memoryType(0);
        rig.type(f.LLOT1, "0").type(f.LLOT2, "9").click(f.BitBtn7);
        QTRY_VERIFY(accessibleName(f.sumas).startsWith(QStringLiteral("Suma ")));
        QCOMPARE(accessibleName(f.sumas), f.sumas->text());
        const QStringList progressNames = namesUnder(f.progreso);
        QVERIFY(f.progreso->stateText().startsWith(QStringLiteral("Terminado")));
        QVERIFY(progressNames.contains(f.progreso->stateText()));
        QVERIFY(progressNames.contains(f.progreso->timeText()));
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
        rig.dialogs.answers = {Unsaved::Cancelar, Unsaved::Cancelar, Unsaved::Cancelar,
                               Unsaved::Cancelar};
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
        rig.dialogs.answers = {Unsaved::Descartar};
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

    void importDialogShowsEveryImageAndOpensWhatIsTyped() {
        QTemporaryDir folder;
        QFile unnamed(folder.filePath(QStringLiteral("firmware")));
        QVERIFY(unnamed.open(QIODevice::WriteOnly));
        unnamed.close();
        QtDialogs dialogs;
        QStringList filters;
        QString shownFirst;
        onFileDialog([&](QFileDialog* dialog) {
            filters = dialog->nameFilters();
            shownFirst = dialog->selectedNameFilter();
            dialog->setDirectory(folder.path());
            // The binary filter chosen, as a user does, then a name it hides.
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QTest::keyClick(types, Qt::Key_Down);
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QStringLiteral("firmware"));
            // Refused, Qt says so in a box: close it and give up.
            QTimer::singleShot(200, dialog, [dialog] {
                if (QWidget* box = QApplication::activeModalWidget(); box && box != dialog)
                    box->close();
                dialog->reject();
            });
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QCOMPARE(dialogs.openFileName(kImportDialog), unnamed.fileName());
        QCOMPARE(shownFirst, filters.constFirst());
        for (const char* pattern : {"*.bin", "*.rom", "*.img", "*.hex", "*.s19", "*.srec"})
            QVERIFY2(shownFirst.contains(QLatin1String(pattern)), pattern);
        QCOMPARE(filters.constLast(), QStringLiteral("Todos los archivos (*)"));
        // Nothing of the dialog is kept for the next run.
        QVERIFY(QDir(config_.path()).isEmpty());
    }

    // A bad "Desplazamiento" is refused beside the field, the dialog still
    // open with what was chosen; it takes what "Ir a" takes (1F0h).
    void importDialogRefusesABadOffsetBeforeItCloses() {
        QTemporaryDir folder;
        QFile image(folder.filePath(QStringLiteral("placa.bin")));
        QVERIFY(image.open(QIODevice::WriteOnly));
        image.close();
        QtDialogs dialogs;
        QString told;
        bool stayed = false;
        onFileDialog([&](QFileDialog* dialog) {
            dialog->setDirectory(folder.path());
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QStringLiteral("placa.bin"));
            QLineEdit* offset = nullptr;
            for (auto* field : dialog->findChildren<QLineEdit*>())
                if (field->accessibleName() == QLatin1String("Desplazamiento")) offset = field;
            offset->setText(QStringLiteral("1F0x"));
            QMetaObject::invokeMethod(dialog, "accept");
            stayed = dialog->isVisible() && dialog->focusWidget() == offset;
            for (auto* label : dialog->findChildren<QLabel*>())
                if (label->text().startsWith(QLatin1String("El desplazamiento")))
                    told = label->accessibleName();
            offset->setText(QStringLiteral("1F0h"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const auto chosen = dialogs.openFile(withOffsetCheck(kImportDialog));
        QVERIFY(stayed);
        QVERIFY2(told.startsWith("El desplazamiento 1F0x no es un número"), qPrintable(told));
        QVERIFY(chosen);
        QCOMPARE(chosen->path, image.fileName());
        QCOMPARE(offsetOf(chosen->offset), std::optional<std::int64_t>(0x1F0));
        QCOMPARE(offsetOf(QStringLiteral("-$E000")), std::optional<std::int64_t>(-0xE000));
    }

    void exportDialogTellsTheChosenFilter() {
        QTemporaryDir folder;
        QtDialogs dialogs;
        onFileDialog([&](QFileDialog* dialog) {
            dialog->setDirectory(folder.path());
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QTest::keyClick(types, Qt::Key_Down);
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QStringLiteral("salida"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const auto chosen = dialogs.saveFile(kExportDialog);
        QVERIFY(chosen);
        // Intel HEX chosen: its extension completes the name, its index comes back.
        QCOMPARE(chosen->filter, 1);
        QCOMPARE(chosen->path, folder.filePath(QStringLiteral("salida.hex")));

        // A name typed with a known extension: the filter follows it, and the
        // name stays as typed.
        QString shownFilter;
        onFileDialog([&](QFileDialog* dialog) {
            dialog->setDirectory(folder.path());
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QTest::keyClicks(name, QStringLiteral("placa.s19"));
            shownFilter =
                dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText();
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const auto typed = dialogs.saveFile(kExportDialog);
        QVERIFY(typed);
        QVERIFY2(shownFilter.startsWith(QStringLiteral("Motorola S-record")),
                 qPrintable(shownFilter));
        QCOMPARE(typed->filter, 2);
        QCOMPARE(typed->path, folder.filePath(QStringLiteral("placa.s19")));
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
