#include "app/MainMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenuBar>

#include "device/MemoryTypes.h"
#include "operations/BlankCheck.h"

namespace {
void buildArchivo(QMenuBar* bar, Form1Menu& menu) {
    QMenu* archivo = bar->addMenu(QStringLiteral("&Archivo"));
    menu.Abrir1 = archivo->addAction(QStringLiteral("Abrir"));
    menu.Guardar1 = archivo->addAction(QStringLiteral("Guardar"));
    menu.Importar1 = archivo->addAction(QStringLiteral("Importar..."));
    menu.Exportar1 = archivo->addAction(QStringLiteral("Exportar..."));
    menu.AbrirTrabajo1 = archivo->addAction(QStringLiteral("Abrir trabajo…"));
    menu.GuardarTrabajo1 = archivo->addAction(QStringLiteral("Guardar trabajo…"));
    menu.EstadisticasRegistro1 = archivo->addAction(QStringLiteral("Estadísticas del registro…"));
    menu.Analisis1 = archivo->addAction(QStringLiteral("Análisis…"));
    menu.Identificar1 = archivo->addAction(QStringLiteral("Identificar…"));
    menu.Deshacer1 = archivo->addAction(QStringLiteral("Deshacer"));
    menu.Rehacer1 = archivo->addAction(QStringLiteral("Rehacer"));
    menu.Salir1 = archivo->addAction(QStringLiteral("Salir"));
}

void buildTipos(QMenuBar* bar, Form1Menu& menu, QObject* owner) {
    QMenu* tipos = bar->addMenu(QStringLiteral("&Tipo de Memoria"));
    auto* group = new QActionGroup(owner);
    for (const MemoryType& type : kMemoryTypes) {
        QAction* item = tipos->addAction(QString::fromLatin1(type.caption));
        item->setCheckable(true);
        item->setChecked(type.tipo == kTipoInicial);
        group->addAction(item);
        menu.tipoItems[type.tipo] = item;
    }
    tipos->addSeparator();
    menu.VerificarBorrado1 = tipos->addAction(QStringLiteral("Verificar Borrado"));
    menu.VerificarBorrado1->setEnabled(BlankCheck::applies(kTipoInicial));
    menu.ProgramacionRapida1 = tipos->addAction(QStringLiteral("Programación rápida"));
    menu.ProgramacionRapida1->setCheckable(true);
    menu.ComprobarAntes1 = tipos->addAction(QStringLiteral("Comprobar antes de programar"));
    menu.ComprobarAntes1->setCheckable(true);
    menu.ComprobarAntes1->setEnabled(kTipoInicial >= kTipoProm512);
    // Off at start: the operations send exactly their own bytes until asked.
    menu.ComprobarZocalo1 = tipos->addAction(QStringLiteral("Comprobar el zócalo"));
    menu.ComprobarZocalo1->setCheckable(true);
}

void buildFormato(QMenuBar* bar, Form1Menu& menu, QObject* owner) {
    QMenu* formatos = bar->addMenu(QStringLiteral("&Formato"));
    auto* group = new QActionGroup(owner);
    menu.Decimal1 = formatos->addAction(QStringLiteral("Decimal"));
    menu.Hexadecimal1 = formatos->addAction(QStringLiteral("Hexadecimal"));
    for (QAction* item : {menu.Decimal1, menu.Hexadecimal1}) {
        item->setCheckable(true);
        group->addAction(item);
    }
    menu.Decimal1->setChecked(true);
    formatos->addSeparator();
    menu.ConvertirHexadecimal1 =
        formatos->addAction(QStringLiteral("Convertir datos a hexadecimal"));
    menu.ConvertirDecimal1 = formatos->addAction(QStringLiteral("Convertir datos a decimal"));
    menu.ConvertirDecimal1->setEnabled(false);
    formatos->addSeparator();
    menu.VistaHexadecimal1 = formatos->addAction(QStringLiteral("Vista hexadecimal"));
}

void buildAyuda(QMenuBar* bar, Form1Menu& menu) {
    QMenu* ayuda = bar->addMenu(QStringLiteral("A&yuda"));
    menu.Ayuda = ayuda;
    menu.Topicos1 = ayuda->addAction(QStringLiteral("Topicos"));
    menu.Acercade1 = ayuda->addAction(QStringLiteral("Acerca de"));
}

void addShortcuts(Form1Menu& menu) {
    // From any field or cell: a shortcut never reaches the key filter.
    menu.Abrir1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    menu.Guardar1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    menu.Salir1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    menu.Topicos1->setShortcut(QKeySequence(Qt::Key_F1));
    menu.VistaHexadecimal1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    menu.Deshacer1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    menu.Rehacer1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
}
}  // namespace

void buildMenu(QMainWindow& window, Form1Menu& menu) {
    QMenuBar* bar = window.menuBar();
    buildArchivo(bar, menu);
    buildTipos(bar, menu, &window);
    buildFormato(bar, menu, &window);
    buildAyuda(bar, menu);
    addShortcuts(menu);
    // F10 opens the first menu, as on every desktop.
    menu.BarraMenus1 = new QAction(&window);
    menu.BarraMenus1->setShortcut(QKeySequence(Qt::Key_F10));
    window.addAction(menu.BarraMenus1);
    QObject::connect(menu.BarraMenus1, &QAction::triggered, bar,
                     [bar] { bar->setActiveAction(bar->actions().value(0)); });
}

QList<QKeySequence> shortcutsOf(const QMainWindow& window) {
    QList<QKeySequence> keys;
    for (const QAction* action : window.actions()) keys << action->shortcuts();
    for (const QAction* title : window.menuBar()->actions())
        if (title->menu())
            for (const QAction* item : title->menu()->actions()) keys << item->shortcuts();
    return keys;
}

void Form1Menu::checkTipo(std::uint8_t tipo) {
    for (QAction* item : tipoItems) item->setChecked(item == tipoItems[tipo]);
    VerificarBorrado1->setEnabled(BlankCheck::applies(tipo));
    // Only a PROM is checked before it is programmed.
    ComprobarAntes1->setEnabled(tipo >= kTipoProm512);
}

void Form1Menu::checkHexadecimal(bool hexadecimal) {
    Decimal1->setChecked(!hexadecimal);
    Hexadecimal1->setChecked(hexadecimal);
    ConvertirHexadecimal1->setEnabled(!hexadecimal);
    ConvertirDecimal1->setEnabled(hexadecimal);
}

void Form1Menu::setRunning(bool running, std::uint8_t tipo) {
    for (QAction* item :
         {Abrir1, Guardar1, Importar1, Exportar1, AbrirTrabajo1, GuardarTrabajo1,
          EstadisticasRegistro1, Analisis1, Identificar1, Salir1, Decimal1, Hexadecimal1, ProgramacionRapida1,
          ComprobarZocalo1})
        item->setEnabled(!running);
    for (QAction* item : tipoItems) item->setEnabled(!running);
    VerificarBorrado1->setEnabled(!running && BlankCheck::applies(tipo));
    ComprobarAntes1->setEnabled(!running && tipo >= kTipoProm512);
    ConvertirHexadecimal1->setEnabled(!running && Decimal1->isChecked());
    ConvertirDecimal1->setEnabled(!running && Hexadecimal1->isChecked());
}
