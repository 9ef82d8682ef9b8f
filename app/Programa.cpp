#include "app/Programa.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTranslator>

#include "app/HandlerGuard.h"
#include "app/ProgrammerMenu.h"
#include "app/Sram.h"
#include "app/SystemPlatform.h"
#include "app/Unit3.h"
#include "device/HidLibrary.h"
#include "files/GridBytes.h"
#include "info/Unit4.h"
#include "info/Unit5.h"
#include "operations/Unit6.h"
#include "view/ChecksumLine.h"
#include "view/Dialogs.h"
#include "view/Unit2.h"

namespace {
using Handler = void (Tform1::*)();

void onClick(Tform1& f, QPushButton* button, Handler handler) {
    QObject::connect(button, &QPushButton::clicked, &f, [&f, handler] { f.guarded(handler); });
}

void onTrigger(Tform1& f, QAction* item, Handler handler) {
    QObject::connect(item, &QAction::triggered, &f, [&f, handler] { f.guarded(handler); });
}

void wireButtons(Tform1& f) {
    const std::pair<QPushButton*, Handler> buttons[] = {
        {f.BitBtn1, &Tform1::BitBtn1Click},  {f.BitBtn2, &Tform1::BitBtn2Click},
        {f.BitBtn3, &Tform1::BitBtn3Click},  {f.BitBtn4, &Tform1::BitBtn4Click},
        {f.BitBtn5, &Tform1::BitBtn5Click},  {f.BitBtn6, &Tform1::BitBtn6Click},
        {f.BitBtn7, &Tform1::BitBtn7Click},  {f.BitBtn8, &Tform1::BitBtn8Click},
        {f.BitBtn9, &Tform1::BitBtn9Click},  {f.BitBtn10, &Tform1::BitBtn10Click},
        {f.BitBtn11, &Tform1::BitBtn11Click}};
    for (const auto& [button, handler] : buttons) onClick(f, button, handler);
}

void wireMenu(Tform1& f) {
    const std::pair<QAction*, Handler> items[] = {
        {f.Abrir1, &Tform1::Abrir1Click},
        {f.Guardar1, &Tform1::Guardar1Click},
        {f.Importar1, &Tform1::Importar1Click},
        {f.Exportar1, &Tform1::Exportar1Click},
        {f.AbrirTrabajo1, &Tform1::AbrirTrabajo1Click},
        {f.GuardarTrabajo1, &Tform1::GuardarTrabajo1Click},
        {f.EstadisticasRegistro1, &Tform1::EstadisticasRegistro1Click},
        {f.Analisis1, &Tform1::Analisis1Click},
        {f.Identificar1, &Tform1::Identificar1Click},
        {f.Deshacer1, &Tform1::Deshacer1Click},
        {f.Rehacer1, &Tform1::Rehacer1Click},
        {f.Salir1, &Tform1::Salir1Click},
        {f.VerificarBorrado1, &Tform1::VerificarBorrado1Click},
        {f.Decimal1, &Tform1::Decimal1Click},
        {f.Hexadecimal1, &Tform1::Hexadecimal1Click},
        {f.ConvertirHexadecimal1, &Tform1::ConvertirHexadecimal1Click},
        {f.ConvertirDecimal1, &Tform1::ConvertirDecimal1Click},
        {f.VistaHexadecimal1, &Tform1::VistaHexadecimal1Click},
        {f.Topicos1, &Tform1::Topicos1Click},
        {f.Acercade1, &Tform1::Acercade1Click}};
    for (const auto& [item, handler] : items) onTrigger(f, item, handler);
    for (std::uint8_t tipo = 0; tipo < f.tipoItems.size(); ++tipo)
        QObject::connect(f.tipoItems[tipo], &QAction::triggered, &f, [&f, tipo] {
            runGuarded(f.banco->dialogs, [&f, tipo] { f.selectMemoryType(tipo); });
        });
}

// The main window's controls, menu, timer, status panel and checksums to
// what they act on.
void wireMainWindow(Tform1& f) {
    wireButtons(f);
    wireMenu(f);
    QObject::connect(f.ProgramacionRapida1, &QAction::toggled, &f,
                     [&f](bool on) { f.banco->rapida = on; });
    QObject::connect(f.ComprobarAntes1, &QAction::toggled, &f,
                     [&f](bool on) { f.banco->comprobar = on; });
    QObject::connect(f.ComprobarZocalo1, &QAction::toggled, &f,
                     [&f](bool on) { f.banco->zocalo = on; });
    QObject::connect(&f.Timer1, &QTimer::timeout, &f, [&f] { f.guarded(&Tform1::Timer1Timer); });
    QObject::connect(&f.link, &Link::estadoChanged, f.Panel7, &QLabel::setText);
    f.Panel7->setText(f.link.estado());
    QObject::connect(&f.marco, &OperationFrame::runningChanged, &f, &Tform1::setOperationRunning);
    QObject::connect(&f.marco, &OperationFrame::runningChanged, f.sumas, &ChecksumLine::setBusy);
    f.sumas->follow(f.imagen, [&f] {
        return imageSums(f.imagen.column(kDataColumn), std::size_t{f.comandos.type().maxdir} + 1,
                         f.formato);
    });
}
}  // namespace

Programa::Programa(Platform& platform, Dialogs& dialogs, HidLibrary& hid)
    : Form3(std::make_unique<TForm3>()),
      form1(std::make_unique<Tform1>(applicationWindow, hid, platform, dialogs)),
      Form2(std::make_unique<TForm2>(form1->formato, form1->comandos, dialogs)),
      Form4(std::make_unique<TForm4>()),
      Form5(std::make_unique<TForm5>()),
      Form6(std::make_unique<TForm6>()) {
    wireMainWindow(*form1);
    // Owned by the window.
    new ProgrammerMenu(*form1, hid, form1->marco, form1->Ayuda->menuAction(), form1->programador);
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
    keepNoSettings();
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
