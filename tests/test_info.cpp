#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>

#include "app/SystemPlatform.h"
#include "info/HelpText.h"
#include "info/Unit4.h"
#include "info/Unit5.h"
#include "tests/support/Rig.h"

class InfoTest : public QObject {
    Q_OBJECT

  private slots:
    void aboutWindow() {
        Rig rig;
        TForm4& about = *rig.programa->Form4;
        QVERIFY(!about.isVisible());
        rig.form().Acercade1->trigger();
        QVERIFY(about.isVisible());
        QVERIFY(!about.isModal());
        QCOMPARE(about.windowTitle(), QStringLiteral("ACERCA DE"));
        QVERIFY(about.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(about.Label1->text(), QStringLiteral("PROGRAMADOR DE MEMORIAS"));
        QCOMPARE(about.Label2->text(), QStringLiteral("DESARROLLADO POR TEODORO VELAR"));
        QVERIFY(about.Label3->text().startsWith(QStringLiteral("MAIL: ")));
        QVERIFY(about.Label3->text().contains(u'@'));
        QCOMPARE(about.Label4->text(), QStringLiteral("Versión " PROGRAMADOR_VERSION));
        QVERIFY(about.Label4->geometry().bottom() < about.height());
        about.close();
        QVERIFY(!about.isVisible());
        rig.form().Acercade1->trigger();
        QVERIFY(about.isVisible());
    }

    void helpWindowShowsTheTopicsInOrder() {
        Rig rig;
        TForm5& help = *rig.programa->Form5;
        rig.form().Topicos1->trigger();
        QVERIFY(help.isVisible());
        QCOMPARE(help.windowTitle(), QStringLiteral("Ayuda"));
        QVERIFY(help.OleContainer1->isReadOnly());
        const QString text = help.OleContainer1->toPlainText();
        QVERIFY(text.startsWith(QStringLiteral("AYUDA DEL PROGRAMADOR DE MEMORIAS.")));
        qsizetype last = 0;
        for (const char* topic : {"1. MENU ARCHIVO", "2. MENU TIPO DE MEMORIA", "3. MENU FORMATO",
                                  "4. CONEXION", "5. MENU AYUDA", "6. VERIFICAR AL PROGRAMAR",
                                  "7. BOTONES", "8. PANELES DE PROGRAMACION Y LECTURA", "9. SALIR",
                                  "10. LO QUE ESTA VERSION AGREGA"}) {
            const qsizetype at = text.indexOf(QLatin1String(topic));
            QVERIFY2(at > last, topic);
            last = at;
        }
        // ESC closes it, wherever the focus is, and is still the ESC that
        // cancels a running operation.
        SystemPlatform keyboard;
        help.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&help));
        QTest::keyClick(help.OleContainer1, Qt::Key_Escape);
        QVERIFY(!help.isVisible());
        QVERIFY(keyboard.GetKeyState(Platform::kVkEscape) & Platform::kKeyDownBit);
    }

    void readmeAndHelpTellTheSameAdditions() {
        // Every caption and text the Help's last topic quotes, the README's
        // "On the desktop" quotes too.
        const QString help =
            helpText().section(QStringLiteral("10. LO QUE ESTA VERSION AGREGA"), 1);
        QFile file(QStringLiteral(PROGRAMADOR_README));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString readme = QString::fromUtf8(file.readAll())
                                   .section(QStringLiteral("## On the desktop"), 1)
                                   .section(QStringLiteral("\n## "), 0, 0);
        QVERIFY(!help.isEmpty() && !readme.isEmpty());
        QRegularExpressionMatchIterator quoted =
            QRegularExpression(QStringLiteral("\"([^\"]+)\"")).globalMatch(help);
        int count = 0;
        while (quoted.hasNext()) {
            const QString text = quoted.next().captured(1);
            QVERIFY2(readme.contains(text), qPrintable(text));
            ++count;
        }
        QVERIFY(count >= 10);
    }
};

QTEST_MAIN(InfoTest)
#include "test_info.moc"
