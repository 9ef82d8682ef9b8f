// The main window's parts wired together: the operations and the file
// commands over one workbench, the undo history and the device's notes.
#include "app/JobCommands.h"
#include "app/Sram.h"
#include "files/FileCommands.h"
#include "files/ImageCommands.h"
#include "operations/BlankCheck.h"
#include "operations/ManualOperations.h"
#include "operations/ProgramOperations.h"
#include "operations/ProgressLine.h"
#include "operations/ReadOperations.h"

void Tform1::buildOperations() {
    const MainControls controls{m,     Pdirm, PDatm, ldirm, ldatm, PLOT1, PLOT2, LLOT1,
                                LLOT2, Edit3, DL,    DIL1,  DIL2,  Edit2, ch};
    banco = std::make_unique<Workbench>(link, comandos, formato, imagen, controls, dialogs_,
                                        platform_, marco);
    manual_ = std::make_unique<ManualOperations>(*banco);
    lectura_ = std::make_unique<ReadOperations>(*banco);
    lectura_->analysed = [this](const std::vector<chip::Finding>& findings) {
        progreso->setAnalysis(chip::analysisSummary(findings));
    };
    programacion_ = std::make_unique<ProgramOperations>(*banco);
    const FileHost host{
        imagen,
        formato,
        comandos,
        dialogs_,
        [this](bool hexadecimal) { hexadecimal ? Hexadecimal1Click() : Decimal1Click(); },
        [this](const QString& caption) { setWindowTitle(caption); },
        [this] { organiza(); },
        [this](const QString& note) { progreso->setNote(note); },
        [this](const ImageSource& source) { trabajos_->cameFrom(source); }};
    archivos_ = std::make_unique<FileCommands>(host);
    imagenes_ = std::make_unique<ImageCommands>(host);
    const JobWindow window{comandos,
                           formato,
                           [this](std::uint8_t tipo) { selectMemoryType(tipo); },
                           *ch,
                           *Edit2,
                           *ProgramacionRapida1,
                           *ComprobarAntes1};
    trabajos_ = std::make_unique<JobCommands>(window, dialogs_, *archivos_, *imagenes_, cambios_);
    borrado_ = std::make_unique<BlankCheck>(*banco);
}

void Tform1::followHistory() {
    // What an operation reads into the grid is one step.
    connect(&marco, &OperationFrame::runningChanged, this, [this](bool running) {
        if (running) return historia.beginStep();
        historia.endStep();
        // What came from the chip is where "changed" counts from.
        historia.markReference();
    });
    const auto enable = [this] {
        Deshacer1->setEnabled(!marco.running() && historia.canUndo());
        Rehacer1->setEnabled(!marco.running() && historia.canRedo());
    };
    connect(&historia, &ImageHistory::changed, this, enable);
    connect(&marco, &OperationFrame::runningChanged, this, enable);
    enable();
}

void Tform1::followDeviceNotes() {
    // What keeps the programmer from being used stays on the status line
    // until it is over: another program holding it, or a command left half
    // sent until the programmer is plugged in again.
    const auto show = [this] {
        progreso->setDeviceNote(!busyNote_.isEmpty() ? busyNote_
                                : link.halted()      ? kQuedoAMitad
                                                     : QString());
    };
    hid_.setNoteHandler([this, show](const QString& note) {
        busyNote_ = note;
        show();
    });
    connect(&link, &Link::haltedChanged, this, show);
}
