#pragma once

#include <QKeySequence>
#include <QList>
#include <array>
#include <cstdint>

class QAction;
class QMainWindow;
class QMenu;

// The main window's menu items, under their designed names.
struct Form1Menu {
    QAction *Abrir1 = nullptr, *Guardar1 = nullptr, *Importar1 = nullptr, *Exportar1 = nullptr,
            *Salir1 = nullptr;
    // A production job: the memory type, the options and the image.
    QAction *AbrirTrabajo1 = nullptr, *GuardarTrabajo1 = nullptr;
    // The yield and failures of a record of chips, in tables and charts.
    QAction* EstadisticasRegistro1 = nullptr;
    QAction* Analisis1 = nullptr;
    // What the grid's image is, by the catalogues of known ROMs.
    QAction* Identificar1 = nullptr;
    QAction *Deshacer1 = nullptr, *Rehacer1 = nullptr;
    std::array<QAction*, 5> tipoItems{};
    QAction* VerificarBorrado1 = nullptr;
    // Checked: programming sends only the reports the chip needs.
    QAction* ProgramacionRapida1 = nullptr;
    // Checked: a PROM is read before it is programmed, and refused when it
    // cannot take the image.
    QAction* ComprobarAntes1 = nullptr;
    // Checked: a look at the socket before a read, a program or a fill.
    QAction* ComprobarZocalo1 = nullptr;
    QAction *Decimal1 = nullptr, *Hexadecimal1 = nullptr;
    // The same values in the other format: the texts are rewritten.
    QAction *ConvertirHexadecimal1 = nullptr, *ConvertirDecimal1 = nullptr;
    // A second window over the same image, as a hex editor shows it.
    QAction* VistaHexadecimal1 = nullptr;
    QAction *Topicos1 = nullptr, *Acercade1 = nullptr;
    // F10: the menu bar.
    QAction* BarraMenus1 = nullptr;
    // The last menu of the bar: others that come and go stay before it.
    QMenu* Ayuda = nullptr;

    // The check marks: one memory type, one number format (and a conversion
    // only into the other).
    void checkTipo(std::uint8_t tipo);
    void checkHexadecimal(bool hexadecimal);
    // While an operation runs, nothing that starts one or changes what it
    // works with may be chosen.
    void setRunning(bool running, std::uint8_t tipo);
};

// "Archivo", "Tipo de Memoria", "Formato" and "Ayuda" with their items,
// checks as at start and the desktop's shortcuts.
void buildMenu(QMainWindow& window, Form1Menu& menu);
// Every shortcut of the window's menu items and of its own actions.
QList<QKeySequence> shortcutsOf(const QMainWindow& window);
