#include "app/Sram.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

#include "app/ChecksumLine.h"
#include "app/HandlerGuard.h"
#include "device/ApplicationWindow.h"
#include "device/HidLibrary.h"
#include "device/Platform.h"
#include "files/ImageCommands.h"
#include "info/Unit4.h"
#include "info/Unit5.h"
#include "operations/BlankCheck.h"
#include "operations/ProgressLine.h"
#include "operations/Unit6.h"
#include "view/DataGrid.h"
#include "view/Dialogs.h"
#include "view/Unit2.h"
#include "view/WindowLook.h"

namespace {
constexpr int kClientWidth = 775;
constexpr int kClientHeight = 538;
constexpr int kPanelWidth = 230;
constexpr int kLeftColumn = 300;
constexpr int kRightColumn = 540;
constexpr int kFieldLeft = 110;
constexpr int kFieldWidth = 100;
constexpr std::uint8_t kStartByte = 8;
constexpr int kStartBytes = 3;
constexpr std::uint8_t kExitByte = 8;
constexpr int kExitBytes = 2;
const QString kDescartarCambios =
    QStringLiteral("La imagen de memoria tiene cambios que no se guardaron.\n¿Desea descartarlos?");

QFont boldFont() {
    QFont font;
    font.setBold(true);
    return font;
}

QFrame* panel(QWidget* parent, QRect where, const QStringList& titles) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Raised);
    frame->setGeometry(where);
    int top = 4;
    for (const QString& title : titles) {
        auto* label = new QLabel(title, frame);
        label->setFont(boldFont());
        label->setGeometry(0, top, where.width(), 16);
        label->setAlignment(Qt::AlignHCenter);
        top += 16;
    }
    return frame;
}

QLineEdit* field(QFrame* frame, const QString& label, int top) {
    auto* caption = new QLabel(label, frame);
    caption->setGeometry(8, top + 3, kFieldLeft - 10, 16);
    auto* edit = new QLineEdit(QStringLiteral("0"), frame);
    edit->setGeometry(kFieldLeft, top, kFieldWidth, 22);
    caption->setBuddy(edit);
    return edit;
}

// What a screen reader says of a control, and what it is for.
void describe(QWidget* control, const QString& name, const QString& description = {}) {
    control->setAccessibleName(name);
    if (!description.isEmpty()) control->setAccessibleDescription(description);
}

QPushButton* button(QWidget* parent, const QString& caption, QRect where) {
    auto* push = new QPushButton(caption, parent);
    push->setGeometry(where);
    push->setFont(boldFont());
    return push;
}
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
      dialogs_(dialogs) {
    setWindowTitle(kForm1Caption);
    buildControls();
    nameControls();
    buildMenu();
    buildShortcuts();
    buildOperations();
    connect(&link, &Link::estadoChanged, Panel7, &QLabel::setText);
    connect(&imagen, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex& last) {
                if (last.column() >= kDataColumn) cambios_ = true;
            });
    connect(&Timer1, &QTimer::timeout, this, [this] { guarded(&Tform1::Timer1Timer); });
    Timer1.setInterval(kTimer1Ms);
    Timer1.setTimerType(Qt::PreciseTimer);
    FormCreate();
}

Tform1::~Tform1() {
    FormDestroy();
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

void Tform1::buildOperations() {
    const MainControls controls{m,     Pdirm, PDatm, ldirm, ldatm, PLOT1, PLOT2, LLOT1,
                                LLOT2, Edit3, DL,    DIL1,  DIL2,  Edit2, ch};
    banco.reset(
        new Workbench{link, comandos, formato, imagen, controls, dialogs_, platform_, marco});
    manual_ = std::make_unique<ManualOperations>(*banco);
    lectura_ = std::make_unique<ReadOperations>(*banco);
    programacion_ = std::make_unique<ProgramOperations>(*banco);
    const FileHost host{
        imagen,
        formato,
        comandos,
        dialogs_,
        [this](bool hexadecimal) { hexadecimal ? Hexadecimal1Click() : Decimal1Click(); },
        [this](const QString& caption) { setWindowTitle(caption); },
        [this] { organiza(); }};
    archivos_ = std::make_unique<FileCommands>(host);
    imagenes_ = std::make_unique<ImageCommands>(host);
    borrado_ = std::make_unique<BlankCheck>(*banco);
    connect(&marco, &OperationFrame::runningChanged, this, &Tform1::setOperationRunning);
}

void Tform1::setOperationRunning(bool running) {
    for (QPushButton* button : {BitBtn1, BitBtn2, BitBtn3, BitBtn4, BitBtn5, BitBtn6, BitBtn7,
                                BitBtn8, BitBtn9, BitBtn10, BitBtn11})
        button->setEnabled(!running);
    for (QAction* item : {Abrir1, Guardar1, Importar1, Exportar1, Salir1, Decimal1, Hexadecimal1})
        item->setEnabled(!running);
    for (QAction* item : tipoItems) item->setEnabled(!running);
    VerificarBorrado1->setEnabled(!running && BlankCheck::applies(comandos.tipo));
    filtro.setEscapePasses(running);
}

void Tform1::buildControls() {
    auto* client = new QWidget(this);
    // The designed size is where the window starts and the least it takes.
    client->setMinimumSize(kClientWidth, kClientHeight);
    client->resize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    m = new DataGrid({144, 118}, client);
    m->setGeometry(2, 8, 289, 505);
    keepBottomMargin(m);
    m->setGridModel(&imagen);
    m->setKeyFilter(&filtro);

    Panel1 =
        panel(client, {kLeftColumn, 8, kPanelWidth, 104}, {QStringLiteral("PROGRAMACION MANUAL")});
    Pdirm = field(Panel1, QStringLiteral("DIRECCION"), 24);
    PDatm = field(Panel1, QStringLiteral("DATO"), 50);
    BitBtn4 = button(Panel1, QStringLiteral("Programar"), {65, 76, 100, 24});

    Panel3 =
        panel(client, {kLeftColumn, 118, kPanelWidth, 104}, {QStringLiteral("LECTURA MANUAL")});
    ldirm = field(Panel3, QStringLiteral("DIRECCION"), 24);
    ldatm = field(Panel3, QStringLiteral("DATO"), 50);
    BitBtn6 = button(Panel3, QStringLiteral("Leer"), {65, 76, 100, 24});

    Panel2 = panel(client, {kLeftColumn, 228, kPanelWidth, 122},
                   {QStringLiteral("PROGRAMACION "), QStringLiteral("POR LOTE")});
    PLOT1 = field(Panel2, QStringLiteral("DIRECCION1"), 42);
    PLOT2 = field(Panel2, QStringLiteral("DIRECCION2"), 68);
    BitBtn5 = button(Panel2, QStringLiteral("Programar"), {65, 94, 100, 24});

    Panel4 = panel(client, {kLeftColumn, 356, kPanelWidth, 122},
                   {QStringLiteral("LECTURA"), QStringLiteral("POR LOTE")});
    LLOT1 = field(Panel4, QStringLiteral("DIRECCION1"), 42);
    LLOT2 = field(Panel4, QStringLiteral("DIRECCION2"), 68);
    BitBtn7 = button(Panel4, QStringLiteral("Leer"), {65, 94, 100, 24});

    ch = new QCheckBox(QStringLiteral("Verificar al Programar"), client);
    ch->setFont(boldFont());
    ch->setGeometry(kLeftColumn + 8, 486, kPanelWidth - 8, 22);
    ch->setChecked(true);

    Panel5 = panel(client, {kRightColumn, 8, kPanelWidth, 80}, {QStringLiteral("LLENAR CON")});
    Edit3 = field(Panel5, QStringLiteral("DATO A CARGAR"), 24);
    BitBtn9 = button(Panel5, QStringLiteral("Programar"), {65, 52, 100, 24});

    Panel6 = panel(client, {kRightColumn, 94, kPanelWidth, 148},
                   {QStringLiteral("PROGRAMACION "), QStringLiteral("POR LOTE CON DATO")});
    DL = field(Panel6, QStringLiteral("DATO A CARGAR"), 42);
    DIL1 = field(Panel6, QStringLiteral("DIRECCION1"), 68);
    DIL2 = field(Panel6, QStringLiteral("DIRECCION2"), 94);
    BitBtn10 = button(Panel6, QStringLiteral("Programar"), {65, 120, 100, 24});

    BitBtn1 =
        button(client, QStringLiteral("PROGRAMAR TODO"), {kRightColumn, 250, kPanelWidth, 30});
    BitBtn2 = button(client, QStringLiteral("LEER TODO"), {kRightColumn, 284, kPanelWidth, 30});
    BitBtn3 = button(client, QStringLiteral("COMPARAR CON ARCHIVO"),
                     {kRightColumn, 318, kPanelWidth, 30});
    BitBtn11 =
        button(client, QStringLiteral("LIMPIA MATRIZ"), {kRightColumn, 352, kPanelWidth, 30});

    Panel8 = panel(client, {kRightColumn, 434, 134, 47}, {QStringLiteral("REINTENTOS")});
    Edit2 = new QLineEdit(QStringLiteral("1"), Panel8);
    Edit2->setGeometry(37, 21, 60, 22);
    Edit2->setAlignment(Qt::AlignCenter);
    BitBtn8 = button(client, QStringLiteral("SALIR"), {683, 434, 87, 47});

    Panel7 = new QLabel(kDispositivoDesconectado, client);
    Panel7->setGeometry(kRightColumn, 510, kPanelWidth, 21);
    Panel7->setAlignment(Qt::AlignCenter);
    Panel7->setFrameShape(QFrame::Panel);
    Panel7->setFrameShadow(QFrame::Sunken);
    Panel7->setAutoFillBackground(true);
    Panel7->setFont(designFont(QStringLiteral("Arial Black"), 13, true));
    Panel7->setStyleSheet(QStringLiteral("background-color: #000080; color: red;"));

    progreso = new ProgressLine(marco, formato, this);
    statusBar()->addWidget(progreso, 1);
    // In the free space under "LIMPIA MATRIZ", where it never crowds the line.
    sumas = new ChecksumLine(imagen, formato, comandos, marco, client);
    sumas->setGeometry(kRightColumn, 386, kPanelWidth, 42);
    sumas->setAlignment(Qt::AlignCenter);
    statusBar()->setSizeGripEnabled(false);

    for (QLineEdit* edit :
         {Pdirm, PDatm, ldirm, ldatm, PLOT1, PLOT2, LLOT1, LLOT2, Edit3, DL, DIL1, DIL2})
        filtro.watch(edit);

    onClick(BitBtn1, &Tform1::BitBtn1Click);
    onClick(BitBtn2, &Tform1::BitBtn2Click);
    onClick(BitBtn3, &Tform1::BitBtn3Click);
    onClick(BitBtn4, &Tform1::BitBtn4Click);
    onClick(BitBtn5, &Tform1::BitBtn5Click);
    onClick(BitBtn6, &Tform1::BitBtn6Click);
    onClick(BitBtn7, &Tform1::BitBtn7Click);
    onClick(BitBtn8, &Tform1::BitBtn8Click);
    onClick(BitBtn9, &Tform1::BitBtn9Click);
    onClick(BitBtn10, &Tform1::BitBtn10Click);
    onClick(BitBtn11, &Tform1::BitBtn11Click);
}

void Tform1::nameControls() {
    describe(m, QStringLiteral("Imagen de memoria"),
             QStringLiteral("Una fila por dirección: la dirección y su dato"));
    describe(Panel1, QStringLiteral("Programación manual"));
    describe(Pdirm, QStringLiteral("Dirección de programación manual"));
    describe(PDatm, QStringLiteral("Dato de programación manual"));
    describe(BitBtn4, QStringLiteral("Programar una dirección"),
             QStringLiteral("Graba el dato de programación manual en su dirección"));
    describe(Panel3, QStringLiteral("Lectura manual"));
    describe(ldirm, QStringLiteral("Dirección de lectura manual"));
    describe(ldatm, QStringLiteral("Dato de lectura manual"));
    describe(BitBtn6, QStringLiteral("Leer una dirección"),
             QStringLiteral("Lee la dirección de lectura manual"));
    describe(Panel2, QStringLiteral("Programación por lote"));
    describe(PLOT1, QStringLiteral("Primera dirección de programación por lote"));
    describe(PLOT2, QStringLiteral("Última dirección de programación por lote"));
    describe(BitBtn5, QStringLiteral("Programar por lote"),
             QStringLiteral("Graba los datos de la tabla entre las dos direcciones"));
    describe(Panel4, QStringLiteral("Lectura por lote"));
    describe(LLOT1, QStringLiteral("Primera dirección de lectura por lote"));
    describe(LLOT2, QStringLiteral("Última dirección de lectura por lote"));
    describe(BitBtn7, QStringLiteral("Leer por lote"),
             QStringLiteral("Lee las direcciones entre las dos dadas y las pone en la tabla"));
    describe(Panel5, QStringLiteral("Llenar con"));
    describe(Edit3, QStringLiteral("Dato para llenar la memoria"));
    describe(BitBtn9, QStringLiteral("Llenar la memoria"),
             QStringLiteral("Graba el mismo dato en toda la memoria"));
    describe(Panel6, QStringLiteral("Programación por lote con dato"));
    describe(DL, QStringLiteral("Dato de programación por lote con dato"));
    describe(DIL1, QStringLiteral("Primera dirección de programación por lote con dato"));
    describe(DIL2, QStringLiteral("Última dirección de programación por lote con dato"));
    describe(BitBtn10, QStringLiteral("Programar por lote con dato"),
             QStringLiteral("Graba el mismo dato entre las dos direcciones"));
    describe(BitBtn1, QStringLiteral("Programar toda la memoria"),
             QStringLiteral("Graba todos los datos de la tabla"));
    describe(BitBtn2, QStringLiteral("Leer toda la memoria"),
             QStringLiteral("Lee la memoria completa y la pone en la tabla"));
    describe(BitBtn3, QStringLiteral("Comparar con archivo"),
             QStringLiteral("Compara la tabla con un archivo de memoria"));
    describe(BitBtn11, QStringLiteral("Limpiar la tabla"),
             QStringLiteral("Borra la columna de datos sin tocar la memoria"));
    describe(ch, QStringLiteral("Verificar al programar"),
             QStringLiteral("Lee cada dato después de grabarlo"));
    describe(Panel8, QStringLiteral("Panel de reintentos"));
    describe(Edit2, QStringLiteral("Reintentos"),
             QStringLiteral("Cuántas veces se vuelve a grabar un dato que no se leyó igual"));
    describe(BitBtn8, QStringLiteral("Salir del programa"));
    describe(Panel7, QStringLiteral("Estado del programador"));
    describe(sumas, QStringLiteral("Sumas de control de la imagen"));
    describe(progreso, QStringLiteral("Progreso de la operación"));
    describe(progreso->cancelar, QStringLiteral("Cancelar la operación"),
             QStringLiteral("Detiene la operación en curso, como la tecla ESC"));
}

void Tform1::buildMenu() {
    QMenu* archivo = menuBar()->addMenu(QStringLiteral("Archivo"));
    Abrir1 = archivo->addAction(QStringLiteral("Abrir"));
    Guardar1 = archivo->addAction(QStringLiteral("Guardar"));
    Importar1 = archivo->addAction(QStringLiteral("Importar..."));
    Exportar1 = archivo->addAction(QStringLiteral("Exportar..."));
    Salir1 = archivo->addAction(QStringLiteral("Salir"));
    onTrigger(Abrir1, &Tform1::Abrir1Click);
    onTrigger(Guardar1, &Tform1::Guardar1Click);
    onTrigger(Importar1, &Tform1::Importar1Click);
    onTrigger(Exportar1, &Tform1::Exportar1Click);
    onTrigger(Salir1, &Tform1::Salir1Click);

    QMenu* tipos = menuBar()->addMenu(QStringLiteral("Tipo de Memoria"));
    auto* tipoGroup = new QActionGroup(this);
    for (const MemoryType& type : kMemoryTypes) {
        QAction* item = tipos->addAction(QString::fromLatin1(type.caption));
        item->setCheckable(true);
        item->setChecked(type.tipo == kTipoInicial);
        tipoGroup->addAction(item);
        const std::uint8_t tipo = type.tipo;
        connect(item, &QAction::triggered, this,
                [this, tipo] { runGuarded(dialogs_, [this, tipo] { selectMemoryType(tipo); }); });
        tipoItems[type.tipo] = item;
    }
    tipos->addSeparator();
    VerificarBorrado1 = tipos->addAction(QStringLiteral("Verificar Borrado"));
    VerificarBorrado1->setEnabled(BlankCheck::applies(kTipoInicial));
    onTrigger(VerificarBorrado1, &Tform1::VerificarBorrado1Click);

    QMenu* formatos = menuBar()->addMenu(QStringLiteral("Formato"));
    auto* formatGroup = new QActionGroup(this);
    Decimal1 = formatos->addAction(QStringLiteral("Decimal"));
    Hexadecimal1 = formatos->addAction(QStringLiteral("Hexadecimal"));
    for (QAction* item : {Decimal1, Hexadecimal1}) {
        item->setCheckable(true);
        formatGroup->addAction(item);
    }
    Decimal1->setChecked(true);
    onTrigger(Decimal1, &Tform1::Decimal1Click);
    onTrigger(Hexadecimal1, &Tform1::Hexadecimal1Click);

    QMenu* ayuda = menuBar()->addMenu(QStringLiteral("Ayuda"));
    Topicos1 = ayuda->addAction(QStringLiteral("Topicos"));
    Acercade1 = ayuda->addAction(QStringLiteral("Acerca de"));
    onTrigger(Topicos1, &Tform1::Topicos1Click);
    onTrigger(Acercade1, &Tform1::Acercade1Click);

    resize(kClientWidth,
           kClientHeight + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    centerOnScreen(this);
}

void Tform1::buildShortcuts() {
    // From any field or cell: a shortcut never reaches the key filter.
    Abrir1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    Guardar1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Salir1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    Topicos1->setShortcut(QKeySequence(Qt::Key_F1));
}

bool Tform1::mayDiscardChanges() {
    return !cambios_ || dialogs_.ask(kDescartarCambios);
}

void Tform1::onClick(QPushButton* button, void (Tform1::*handler)()) {
    connect(button, &QPushButton::clicked, this, [this, handler] { guarded(handler); });
}

void Tform1::onTrigger(QAction* action, void (Tform1::*handler)()) {
    connect(action, &QAction::triggered, this, [this, handler] { guarded(handler); });
}

void Tform1::guarded(void (Tform1::*handler)()) {
    runGuarded(dialogs_, [this, handler] { (this->*handler)(); });
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
    for (int i = 0; i < kStartBytes; ++i) link.tra(kStartByte);
    Timer1.stop();
}

void Tform1::BitBtn8Click() {
    if (marco.running() || !mayDiscardChanges()) return;
    exited_ = true;
    for (int i = 0; i < kExitBytes; ++i) link.tra(kExitByte);
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
    if (marco.running()) {
        event->ignore();
        return;
    }
    if (!exited_) guarded(&Tform1::BitBtn8Click);
    // Declined: the changes stay, and so does the window.
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
}

void Tform1::Decimal1Click() {
    if (marco.running()) return;
    Decimal1->setChecked(true);
    Hexadecimal1->setChecked(false);
    formato.hexa = 0;
    organiza();
}

void Tform1::Hexadecimal1Click() {
    if (marco.running()) return;
    Decimal1->setChecked(false);
    Hexadecimal1->setChecked(true);
    formato.hexa = 1;
    organiza();
}

void Tform1::BitBtn11Click() {
    if (marco.running() || !mayDiscardChanges()) return;
    imagen.clearColumn(1, 0, static_cast<int>(comandos.maxdir) + 1);
    imagen.setCell(0, 0, kHeaderDireccion);
    imagen.setCell(1, 0, kHeaderDato);
    organiza();
    cambios_ = false;
}

void Tform1::selectMemoryType(std::uint8_t tipo) {
    if (marco.running()) return;
    for (QAction* item : tipoItems) item->setChecked(item == tipoItems[tipo]);
    comandos.select(tipo);
    VerificarBorrado1->setEnabled(BlankCheck::applies(tipo));
    organiza();
}

void Tform1::Abrir1Click() {
    if (marco.running() || !mayDiscardChanges()) return;
    if (archivos_->Abrir1Click()) cambios_ = false;
}

void Tform1::Guardar1Click() {
    if (!marco.running() && archivos_->Guardar1Click()) cambios_ = false;
}

void Tform1::Importar1Click() {
    if (!marco.running()) imagenes_->Importar1Click();
}

void Tform1::Exportar1Click() {
    if (!marco.running()) imagenes_->Exportar1Click();
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
