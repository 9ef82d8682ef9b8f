#include "app/Programa.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/Sram.h"
#include "app/SystemPlatform.h"
#include "app/Unit3.h"
#include "device/HidLibrary.h"
#include "info/Unit4.h"
#include "info/Unit5.h"
#include "operations/Unit6.h"
#include "view/Dialogs.h"
#include "view/Unit2.h"

Programa::Programa(Platform& platform, Dialogs& dialogs, HidLibrary& hid)
    : Form3(std::make_unique<TForm3>()),
      form1(std::make_unique<Tform1>(applicationWindow, hid, platform, dialogs)),
      Form2(std::make_unique<TForm2>(form1->formato, form1->comandos, dialogs)),
      Form4(std::make_unique<TForm4>()),
      Form5(std::make_unique<TForm5>()),
      Form6(std::make_unique<TForm6>()) {
    Form3->setMainWindow(form1.get());
    Form2->setMainWindow(form1.get());
    form1->setCompanions(Form2.get(), Form4.get(), Form5.get(), Form6.get());
}

Programa::~Programa() {
    // The main window unhooks itself first; the others follow.
    form1.reset();
}

void Programa::run() {
    Form3->show();
}

void configureApplication() {
    // No display name: Qt would add it to every window title.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon/programador.svg")));
    // Qt's own texts (dialog buttons, file dialogs, context menus) in Spanish
    // too, whatever the system's language.
    const QLocale spanish(QLocale::Spanish, QLocale::Spain);
    QLocale::setDefault(spanish);
    auto* translator = new QTranslator(qApp);
    if (translator->load(spanish, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

int runPrograma(int argc, char** argv, const HidFactory& makeHid) {
    // The program takes no options: only the program name reaches Qt.
    int onlyName = argc > 0 ? 1 : 0;
    QApplication application(onlyName, argv);
    configureApplication();

    SystemPlatform platform;
    QtDialogs dialogs;
    const std::unique_ptr<HidLibrary> hid = makeHid(platform, dialogs);
    Programa programa(platform, dialogs, *hid);
    programa.run();
    return QApplication::exec();
}
