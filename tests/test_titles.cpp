#include <QProcess>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include "info/Unit4.h"
#include "info/Unit5.h"
#include "operations/Unit6.h"
#include "tests/support/Rig.h"
#include "view/Unit2.h"

// Window titles as the window manager reads them, on a real X server.
class TitlesTest : public QObject {
    Q_OBJECT

    static QString titleOnTheServer(QWidget* window) {
        window->show();
        if (!QTest::qWaitForWindowExposed(window)) return QStringLiteral("(not shown)");
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"),
                    {QStringLiteral("-id"), QString::number(window->winId()),
                     QStringLiteral("_NET_WM_NAME")});
        xprop.waitForFinished();
        const QString out = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
        const qsizetype quote = out.indexOf(u'"');
        return quote < 0 ? out : out.mid(quote + 1).chopped(1);
    }

  private slots:
    void titlesAreExactlyTheWindowsOwn() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        configureApplication();
        Rig rig;
        Programa& p = *rig.programa;
        QCOMPARE(titleOnTheServer(p.form1.get()),
                 QStringLiteral("PROGRAMADOR DE MEMORIAS: T.VELAR "));
        QCOMPARE(titleOnTheServer(p.Form2.get()), QStringLiteral("COMPARACION"));
        QCOMPARE(titleOnTheServer(p.Form4.get()), QStringLiteral("ACERCA DE"));
        QCOMPARE(titleOnTheServer(p.Form5.get()), QStringLiteral("Ayuda"));
        QCOMPARE(titleOnTheServer(p.Form6.get()), QStringLiteral("Para Cancelar"));
        p.form1->setWindowTitle(QStringLiteral("Programador de Memorias: T.VELAR -: chip1.mem"));
        QCOMPARE(titleOnTheServer(p.form1.get()),
                 QStringLiteral("Programador de Memorias: T.VELAR -: chip1.mem"));
    }
};

QTEST_MAIN(TitlesTest)
#include "test_titles.moc"
