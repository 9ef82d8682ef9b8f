#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

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
        for (const char* topic :
             {"1. MENU ARCHIVO", "2. MENU TIPO DE MEMORIA", "3. MENU FORMATO", "4. CONEXION",
              "5. MENU AYUDA", "6. VERIFICAR AL PROGRAMAR", "7. BOTONES",
              "8. PANELES DE PROGRAMACION Y LECTURA", "9. SALIR"}) {
            const qsizetype at = text.indexOf(QLatin1String(topic));
            QVERIFY2(at > last, topic);
            last = at;
        }
        help.close();
        QVERIFY(!help.isVisible());
    }
};

QTEST_MAIN(InfoTest)
#include "test_info.moc"
