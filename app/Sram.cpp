#include "app/Sram.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

#include "app/AccessibleNames.h"
#include "app/HandlerGuard.h"
#include "app/HexView.h"
#include "app/Identification.h"
#include "app/JobCommands.h"
#include "app/StatisticsWindow.h"
#include "app/WindowPlacement.h"
#include "chip/Progress.h"
#include "device/ApplicationWindow.h"
#include "device/HidLibrary.h"
#include "device/Platform.h"
#include "files/FileCommands.h"
#include "files/FileCompare.h"
#include "files/GridBytes.h"
#include "files/ImageCommands.h"
#include "info/Unit4.h"
#include "info/Unit5.h"
#include "operations/BlankCheck.h"
#include "operations/ManualOperations.h"
#include "operations/ProgramOperations.h"
#include "operations/ProgressLine.h"
#include "operations/ReadOperations.h"
#include "view/DataConversion.h"
#include "view/DataGrid.h"
#include "view/Dialogs.h"
#include "view/WindowLook.h"

namespace {
const QString kCambiosSinGuardar = QStringLiteral(
    "La imagen de memoria tiene cambios que no se guardaron.\n¿Desea guardarlos antes?");
}  // namespace

Tform1::Tform1(ApplicationWindow& applicationWindow, HidLibrary& hid, Platform& platform,
               Dialogs& dialogs)
    : link(hid),
      comandos(link, platform),
      imagen(formato, 2, kLargestMemory),
      filtro(dialogs, formato),
      marco(link, platform, dialogs),
      applicationWindow_(applicationWindow),
      hid_(hid),
      platform_(platform),
      dialogs_(dialogs),
      cambios_(historia) {
    setWindowTitle(kForm1Caption);
    layOutControls(*this, *this, {imagen, filtro, marco, formato});
    nameControls(*this);
    buildMenu(*this, *this);
    filtro.setShortcuts(shortcutsOf(*this));
    const QSize client = designedClientSize();
    resize(client.width(),
           client.height() + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    centerOnScreen(this);
    buildOperations();
    followDeviceNotes();
    followHistory();
    Timer1.setInterval(kTimer1Ms);
    Timer1.setTimerType(Qt::PreciseTimer);
    FormCreate();
}

Tform1::~Tform1() {
    FormDestroy();
    vistaHex_.reset();
    // The grid and its open cell editor go while the image they show exists.
    delete takeCentralWidget();
}

void Tform1::setCompanions(TForm2* form2, TForm4* form4, TForm5* form5, TForm6* form6) {
    form4_ = form4;
    form5_ = form5;
    marco.setCancelPrompt(form6);
    banco->Form2 = form2;
    comparacion_ = std::make_unique<FileCompare>(*form2, imagen, formato, dialogs_, form5);
}

void Tform1::Deshacer1Click() {
    // What is being typed into a cell is part of the image first.
    m->commitEditor();
    historia.undo();
}

void Tform1::Rehacer1Click() {
    m->commitEditor();
    historia.redo();
}

void Tform1::setOperationRunning(bool running) {
    for (QPushButton* button : {BitBtn1, BitBtn2, BitBtn3, BitBtn4, BitBtn5, BitBtn6, BitBtn7,
                                BitBtn8, BitBtn9, BitBtn10, BitBtn11})
        button->setEnabled(!running);
    setRunning(running, comandos.tipo);
    filtro.setEscapePasses(running);
    if (vistaHex_) vistaHex_->setRunning(running);
}

void Tform1::VistaHexadecimal1Click() {
    if (!vistaHex_) {
        vistaHex_ = std::make_unique<HexView>(imagen, formato, historia, dialogs_, this);
        vistaHex_->follow(*m);
        vistaHex_->setRunning(marco.running());
        vistaHex_->model.setDifferences(banco->Form2);
        // The operation's progress shows there too: the view may be in front.
        connect(&marco.progress, &Progress::changed, vistaHex_.get(), [this] {
            vistaHex_->showProgress(progreso->stateText(), marco.progress.fraction());
        });
    }
    placeBeside(*vistaHex_, *this);
    vistaHex_->show();
    vistaHex_->raise();
    vistaHex_->activateWindow();
}

void Tform1::guarded(void (Tform1::*handler)()) {
    runGuarded(dialogs_, [this, handler] { (this->*handler)(); });
}

bool Tform1::mayDiscardChanges() {
    // What is being typed into a cell is part of the image.
    m->commitEditor();
    if (!cambios_.changed()) return true;
    switch (dialogs_.askUnsaved(kCambiosSinGuardar)) {
        case Unsaved::Guardar:
            // Goes on only once the file is written.
            return saveImage();
        case Unsaved::Descartar:
            return true;
        case Unsaved::Cancelar:
            break;
    }
    return false;
}

void Tform1::FormCreate() {
    applicationWindow_.HookMainWindow(this);
    hid_.Connect(&applicationWindow_);
    formato.letra = u'd';
    comandos.select(kTipoInicial);
    formato.hexa = 0;
    imagen.setCell(0, 0, kHeaderDireccion);
    imagen.setCell(1, 0, kHeaderDato);
    organiza();
    Timer1.start();
}

void Tform1::FormDestroy() {
    applicationWindow_.UnhookMainWindow(this);
}

void Tform1::Timer1Timer() {
    comandos.startRun();
    Timer1.stop();
}

void Tform1::BitBtn8Click() {
    if (marco.running() || !mayDiscardChanges()) return;
    exited_ = true;
    comandos.exitRun();
    applicationWindow_.UnhookMainWindow(this);
    platform_.Sleep(kExitPauseMs);
    platform_.Terminate();
}

void Tform1::Salir1Click() {
    BitBtn8Click();
}

void Tform1::closeEvent(QCloseEvent* event) {
    // The title-bar close box ends the program like "SALIR": hiding the
    // window alone would leave the program running with no way back. Not in
    // the middle of an operation, though: its bytes would be cut short.
    if (marco.running())
        progreso->setRunningNote(
            QStringLiteral("Hay una operación en curso: cancélela antes de salir"));
    else if (!exited_)
        guarded(&Tform1::BitBtn8Click);
    // Declined, or refused while an operation runs: the window stays.
    if (!exited_) {
        event->ignore();
        return;
    }
    event->accept();
}

bool Tform1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &applicationWindow_ && event->type() == DeviceNotificationEvent::kType)
        return notificacion(static_cast<DeviceNotificationEvent*>(event)->message());
    return QMainWindow::eventFilter(watched, event);
}

bool Tform1::notificacion(DeviceMessage& message) {
    return link.notificacion(message);
}

bool Tform1::conexion() {
    return marco.conexion();
}

void Tform1::organiza() {
    formato.setLetraFromHexa();
    imagen.organiza(comandos.maxdir);
    progreso->setMemory(QLatin1String(comandos.type().caption), comandos.maxdir + 1,
                        formato.hexadecimal());
}

void Tform1::Decimal1Click() {
    if (marco.running()) return;
    checkHexadecimal(false);
    formato.hexa = 0;
    organiza();
}

void Tform1::Hexadecimal1Click() {
    if (marco.running()) return;
    checkHexadecimal(true);
    formato.hexa = 1;
    organiza();
}

void Tform1::ConvertirHexadecimal1Click() {
    convertData(true);
}

void Tform1::ConvertirDecimal1Click() {
    convertData(false);
}

void Tform1::convertData(bool hexadecimal) {
    if (marco.running() || formato.hexadecimal() == hexadecimal) return;
    m->commitEditor();
    NumberFormat target = formato;
    target.hexa = hexadecimal ? 1 : 0;
    std::size_t notBytes = 0;
    imagen.updateColumn(kDataColumn, [&](std::vector<QString>& texts) {
        notBytes = convertBytes(texts, std::size_t{comandos.maxdir} + 1, formato, target);
    });
    hexadecimal ? Hexadecimal1Click() : Decimal1Click();
    progreso->setNote(conversionNote(hexadecimal, notBytes));
}

void Tform1::BitBtn11Click() {
    if (marco.running() || !mayDiscardChanges()) return;
    imagen.clearColumn(1, 0, static_cast<int>(comandos.maxdir) + 1);
    imagen.setCell(0, 0, kHeaderDireccion);
    imagen.setCell(1, 0, kHeaderDato);
    organiza();
    cambios_.markKept();
    trabajos_->forgetImage();
}

void Tform1::selectMemoryType(std::uint8_t tipo) {
    if (marco.running()) return;
    // The new rows replace the open cell: what it holds goes in first.
    m->commitEditor();
    checkTipo(tipo);
    comandos.select(tipo);
    organiza();
    // A note on the rows of the last type no longer holds.
    progreso->setNote({});
}

void Tform1::Abrir1Click() {
    if (marco.running() || !mayDiscardChanges()) return;
    if (archivos_->Abrir1Click()) cambios_.markKept();
}

void Tform1::Guardar1Click() {
    if (marco.running()) return;
    m->commitEditor();
    saveImage();
}

bool Tform1::saveImage() {
    if (!archivos_->Guardar1Click()) return false;
    cambios_.markKept();
    return true;
}

void Tform1::Importar1Click() {
    if (!marco.running() && mayDiscardChanges()) imagenes_->Importar1Click();
}

void Tform1::Exportar1Click() {
    if (marco.running()) return;
    m->commitEditor();
    imagenes_->Exportar1Click();
}

void Tform1::AbrirTrabajo1Click() {
    if (!marco.running()) trabajos_->AbrirTrabajo1Click([this] { return mayDiscardChanges(); });
}

void Tform1::GuardarTrabajo1Click() {
    if (marco.running()) return;
    // What is being typed into a cell is part of the image the job names.
    m->commitEditor();
    trabajos_->GuardarTrabajo1Click();
}

void Tform1::Analisis1Click() {
    if (marco.running()) return;
    const std::vector<chip::Finding>& findings = lectura_->findings();
    QString text = chip::analysisSummary(findings);
    for (const chip::Finding& finding : findings) text += QStringLiteral("\n\n· ") + finding.text;
    dialogs_.message(text);
}

void Tform1::Identificar1Click() {
    if (marco.running()) return;
    const GridBytes image = gridBytes(imagen.column(kDataColumn), comandos.maxdir + 1, formato);
    if (image.notAByte)
        return dialogs_.message(
            QStringLiteral("No se puede identificar: la dirección %1 no tiene un byte (%2)")
                .arg(formato.show(static_cast<std::uint32_t>(*image.notAByte)),
                     imagen.cell(kDataColumn, static_cast<int>(*image.notAByte) + 1)));
    dialogs_.message(identificationMessage(image.bytes));
}

void Tform1::EstadisticasRegistro1Click() {
    if (marco.running()) return;
    const auto path = dialogs_.openFileName(kRecordDialog);
    if (!path) return;
    if (!estadisticas_) estadisticas_ = std::make_unique<StatisticsWindow>(this);
    if (const auto refusal = estadisticas_->open(*path)) return dialogs_.message(*refusal);
    placeBeside(*estadisticas_, *this);
    estadisticas_->show();
    estadisticas_->raise();
    estadisticas_->activateWindow();
}

void Tform1::VerificarBorrado1Click() {
    borrado_->VerificarBorrado1Click();
}

void Tform1::BitBtn3Click() {
    if (!marco.running()) comparacion_->BitBtn3Click();
}

void Tform1::Acercade1Click() {
    form4_->show();
    form4_->raise();
}

void Tform1::Topicos1Click() {
    form5_->show();
    form5_->raise();
}

void Tform1::BitBtn1Click() {
    programacion_->BitBtn1Click();
}

void Tform1::BitBtn2Click() {
    lectura_->BitBtn2Click();
}

void Tform1::BitBtn4Click() {
    manual_->BitBtn4Click();
}

void Tform1::BitBtn5Click() {
    programacion_->BitBtn5Click();
}

void Tform1::BitBtn6Click() {
    manual_->BitBtn6Click();
}

void Tform1::BitBtn7Click() {
    lectura_->BitBtn7Click();
}

void Tform1::BitBtn9Click() {
    programacion_->BitBtn9Click();
}

void Tform1::BitBtn10Click() {
    programacion_->BitBtn10Click();
}
