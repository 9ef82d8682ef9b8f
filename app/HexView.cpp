#include "app/HexView.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/SystemPlatform.h"
#include "view/AddressGridModel.h"
#include "view/DataGrid.h"
#include "view/HexTable.h"
#include "view/ImageHistory.h"
#include "view/WindowLook.h"

namespace {
constexpr int kWindowHeight = 620;
// What the selection line waits for after the image last changed.
constexpr int kSettleMs = 100;
// Changes of up to this many texts are read into the search's bytes at once.
constexpr int kTextsReadAgain = 256;
constexpr int kProgressSteps = 1000;
constexpr int kProgressWidth = 160;

struct Naming {
    QWidget* control;
    const char* name;
    const char* description;
};
}  // namespace

HexView::HexView(AddressGridModel& image, const NumberFormat& format, ImageHistory& history,
                 Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), model(image, format), image_(image), format_(format), history_(history) {
    setWindowTitle(kVistaHexadecimalCaption);
    model.setHistory(&history_);
    tabla = new HexTable(model, dialogs);
    buildControls();
    buildMenu();
    nameControls();
    wire();
    showSelection();
    enableEdits();
}

void HexView::buildControls() {
    auto* central = new QWidget(this);
    const auto caption = [central](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text, central);
        label->setBuddy(buddy);
        return label;
    };
    buscar = new QLineEdit(central);
    buscar->setPlaceholderText(QStringLiteral("DE AD ?? EF"));
    buscarComo = new QComboBox(central);
    buscarComo->addItems({QStringLiteral("Bytes"), QStringLiteral("Texto")});
    mayusculas = new QCheckBox(QStringLiteral("Mayúsculas y minúsculas iguales"), central);
    mayusculas->setEnabled(false);
    anterior = new QPushButton(QStringLiteral("&Anterior"), central);
    siguiente = new QPushButton(QStringLiteral("&Siguiente"), central);
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(caption(QStringLiteral("Buscar"), buscar));
    findRow->addWidget(buscar, 1);
    findRow->addWidget(buscarComo);
    findRow->addWidget(mayusculas);
    findRow->addWidget(anterior);
    findRow->addWidget(siguiente);

    irA = new QLineEdit(central);
    irA->setPlaceholderText(QStringLiteral("0x1F0"));
    bytesPorFila = new QComboBox(central);
    bytesPorFila->addItems({QStringLiteral("16"), QStringLiteral("8")});
    auto* placeRow = new QHBoxLayout;
    placeRow->addWidget(caption(QStringLiteral("Ir a"), irA));
    placeRow->addWidget(irA);
    placeRow->addStretch(1);
    placeRow->addWidget(caption(QStringLiteral("Bytes por fila"), bytesPorFila));
    placeRow->addWidget(bytesPorFila);

    tabla->setParent(central);
    int width = 2 * tabla->frameWidth() + tabla->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < model.columnCount(); ++c) width += tabla->columnWidth(c);
    tabla->setMinimumWidth(width);

    barraLlenar = new QWidget(central);
    llenarCon = new QLineEdit(barraLlenar);
    llenarCon->setMaxLength(4);
    llenarCon->setPlaceholderText(QStringLiteral("FF"));
    llenar = new QPushButton(QStringLiteral("&Llenar"), barraLlenar);
    cancelarLlenado = new QPushButton(QStringLiteral("&Cancelar"), barraLlenar);
    auto* fillRow = new QHBoxLayout(barraLlenar);
    fillRow->setContentsMargins(0, 0, 0, 0);
    fillRow->addWidget(caption(QStringLiteral("Llenar la selección con el byte"), llenarCon));
    fillRow->addWidget(llenarCon);
    fillRow->addWidget(llenar);
    fillRow->addWidget(cancelarLlenado);
    fillRow->addStretch(1);
    barraLlenar->hide();

    leyenda = new QLabel(
        QStringLiteral("Vacía: en blanco (cuenta FF) · ??: el texto no es un byte"), central);
    seleccion = new QLabel(central);
    auto* column = new QVBoxLayout(central);
    column->addLayout(findRow);
    column->addLayout(placeRow);
    column->addWidget(tabla, 1);
    column->addWidget(barraLlenar);
    column->addWidget(leyenda);
    column->addWidget(seleccion);
    setCentralWidget(central);
    buildStatusBar();
    resize(central->minimumSizeHint().width(), kWindowHeight);
    centerOnScreen(this);

    QWidget::setTabOrder(tabla, buscar);
    QWidget::setTabOrder(buscar, buscarComo);
    QWidget::setTabOrder(buscarComo, mayusculas);
    QWidget::setTabOrder(mayusculas, anterior);
    QWidget::setTabOrder(anterior, siguiente);
    QWidget::setTabOrder(siguiente, irA);
    QWidget::setTabOrder(irA, bytesPorFila);
    QWidget::setTabOrder(bytesPorFila, llenarCon);
    QWidget::setTabOrder(llenarCon, llenar);
    QWidget::setTabOrder(llenar, cancelarLlenado);
    tabla->setFocus();
}

void HexView::buildStatusBar() {
    estado = new QLabel(this);
    estado->setWordWrap(true);
    progreso = new QProgressBar(this);
    progreso->setRange(0, kProgressSteps);
    progreso->setTextVisible(false);
    progreso->setMaximumWidth(kProgressWidth);
    progreso->hide();
    operacion = new QLabel(this);
    operacion->hide();
    statusBar()->addWidget(estado, 1);
    statusBar()->addPermanentWidget(operacion);
    statusBar()->addPermanentWidget(progreso);
    statusBar()->setSizeGripEnabled(false);
}

void HexView::buildMenu() {
    QMenu* edicion = menuBar()->addMenu(QStringLiteral("&Edición"));
    const auto item = [edicion](const QString& text, const QKeySequence& keys) {
        QAction* action = edicion->addAction(text);
        action->setShortcut(keys);
        return action;
    };
    Deshacer = item(QStringLiteral("Deshacer"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    Rehacer = item(QStringLiteral("Rehacer"), QKeySequence(Qt::CTRL | Qt::Key_Y));
    Rehacer->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edicion->addSeparator();
    Copiar = item(QStringLiteral("Copiar"), QKeySequence(Qt::CTRL | Qt::Key_C));
    Pegar = item(QStringLiteral("Pegar"), QKeySequence(Qt::CTRL | Qt::Key_V));
    LlenarSeleccion = item(QStringLiteral("Llenar selección…"), QKeySequence(Qt::CTRL | Qt::Key_L));
    SeleccionarTodo = item(QStringLiteral("Seleccionar todo"), QKeySequence(Qt::CTRL | Qt::Key_A));
    EscribirTexto =
        item(QStringLiteral("Escribir en la columna de texto"), QKeySequence(Qt::CTRL | Qt::Key_T));
    EscribirTexto->setCheckable(true);
    edicion->addSeparator();
    Buscar = item(QStringLiteral("Buscar…"), QKeySequence(Qt::CTRL | Qt::Key_F));
    BuscarSiguiente = item(QStringLiteral("Buscar siguiente"), QKeySequence(Qt::Key_F3));
    BuscarAnterior = item(QStringLiteral("Buscar anterior"), QKeySequence(Qt::SHIFT | Qt::Key_F3));
    IrADireccion = item(QStringLiteral("Ir a la dirección…"), QKeySequence(Qt::CTRL | Qt::Key_G));
    edicion->addSeparator();
    DiferenciaSiguiente = item(QStringLiteral("Diferencia siguiente"), QKeySequence(Qt::Key_F8));
    DiferenciaAnterior =
        item(QStringLiteral("Diferencia anterior"), QKeySequence(Qt::SHIFT | Qt::Key_F8));
}

void HexView::nameControls() {
    const Naming table[] = {
        {tabla, "Bytes de la imagen",
         "Por fila, la primera dirección, los bytes en hexadecimal y su texto"},
        {buscar, "Buscar", "Bytes en hexadecimal, ?? para cualquiera, o un texto"},
        {buscarComo, "Buscar como bytes o texto", ""},
        {mayusculas, "Mayúsculas y minúsculas iguales", "Solo al buscar texto"},
        {progreso, "Progreso de la operación", ""},
        {anterior, "Buscar anterior", "Desde el cursor hacia atrás"},
        {siguiente, "Buscar siguiente", "Desde el cursor hacia adelante"},
        {irA, "Ir a la dirección", "0x1F0 en hexadecimal o 496 en decimal"},
        {bytesPorFila, "Bytes por fila", ""},
        {llenarCon, "Llenar la selección con el byte", "Dos cifras hexadecimales"},
        {llenar, "Llenar la selección", ""},
        {cancelarLlenado, "Cancelar el llenado", ""},
    };
    for (const Naming& naming : table) {
        naming.control->setAccessibleName(QString::fromUtf8(naming.name));
        if (*naming.description)
            naming.control->setAccessibleDescription(QString::fromUtf8(naming.description));
    }
}

void HexView::wire() {
    connect(Deshacer, &QAction::triggered, this, [this] {
        if (refuseWhileRunning()) return;
        commitGrid();
        history_.undo();
    });
    connect(Rehacer, &QAction::triggered, this, [this] {
        if (refuseWhileRunning()) return;
        commitGrid();
        history_.redo();
    });
    connect(&history_, &ImageHistory::changed, this, &HexView::enableEdits);
    connect(Copiar, &QAction::triggered, this, &HexView::copySelection);
    connect(SeleccionarTodo, &QAction::triggered, this, &HexView::selectAll);
    connect(EscribirTexto, &QAction::toggled, tabla, &HexTable::setTextSide);
    connect(tabla, &HexTable::textSideChanged, EscribirTexto, &QAction::setChecked);
    connect(tabla, &HexTable::refused, estado, &QLabel::setText);
    connect(Pegar, &QAction::triggered, this, &HexView::paste);
    connect(LlenarSeleccion, &QAction::triggered, this, [this] {
        if (refuseWhileRunning()) return;
        barraLlenar->show();
        llenarCon->setFocus();
        llenarCon->selectAll();
    });
    connect(llenar, &QPushButton::clicked, this, &HexView::fillSelection);
    connect(llenarCon, &QLineEdit::returnPressed, this, &HexView::fillSelection);
    connect(cancelarLlenado, &QPushButton::clicked, this, &HexView::closeFill);
    // Their ESC is spent on them: it never cancels a running operation.
    for (QWidget* field : {static_cast<QWidget*>(buscar), static_cast<QWidget*>(irA),
                           static_cast<QWidget*>(llenarCon)}) {
        markClosesOnEscape(field);
        field->installEventFilter(this);
    }
    connect(Buscar, &QAction::triggered, this, [this] {
        buscar->setFocus();
        buscar->selectAll();
    });
    connect(IrADireccion, &QAction::triggered, this, [this] {
        irA->setFocus();
        irA->selectAll();
    });
    connect(BuscarSiguiente, &QAction::triggered, this, [this] { find(true); });
    connect(DiferenciaSiguiente, &QAction::triggered, this, [this] { goToDifference(true); });
    connect(DiferenciaAnterior, &QAction::triggered, this, [this] { goToDifference(false); });
    connect(BuscarAnterior, &QAction::triggered, this, [this] { find(false); });
    connect(siguiente, &QPushButton::clicked, this, [this] { find(true); });
    connect(anterior, &QPushButton::clicked, this, [this] { find(false); });
    connect(buscar, &QLineEdit::returnPressed, this, [this] { find(true); });
    // Something else to look for starts at the cursor itself.
    connect(buscar, &QLineEdit::textChanged, this, [this] { found_.reset(); });
    connect(buscarComo, &QComboBox::currentIndexChanged, this, [this](int index) {
        found_.reset();
        mayusculas->setEnabled(index == 1);
    });
    connect(mayusculas, &QCheckBox::toggled, this, [this] { found_.reset(); });
    connect(irA, &QLineEdit::returnPressed, this, &HexView::goTo);
    connect(bytesPorFila, &QComboBox::currentIndexChanged, this,
            [this] { model.setBytesPerRow(bytesPorFila->currentText().toInt()); });

    // The selection line is worked out again once the changes settle.
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &HexView::showSelection);
    connect(&image_, &QAbstractItemModel::dataChanged, this, &HexView::imageChanged);
    connect(&image_, &QAbstractItemModel::modelReset, this, [this] {
        bytes_.reset();
        if (running_) return;
        estado->clear();
        settle_.start();
    });
    connect(tabla, &HexTable::spanChanged, this, &HexView::showSelection);
    connect(tabla, &HexTable::typedWhileLocked, this, &HexView::refuseWhileRunning);
}

void HexView::closeFill() {
    barraLlenar->hide();
    tabla->setFocus();
}

bool HexView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress ||
        static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
        return QMainWindow::eventFilter(watched, event);
    if (watched == llenarCon)
        closeFill();
    else
        tabla->setFocus();
    return true;
}

void HexView::imageChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight) {
    // A message is about the image as it was: a change makes it old. An
    // operation's bytes do not: what was refused meanwhile stays said.
    if (!running_) {
        settle_.start();
        estado->clear();
    }
    if (!bytes_) return;
    // A few texts are read again; many, or a new number format (the address
    // column), and the search reads the whole image again when it next looks.
    const bool fewTexts =
        topLeft.column() == kDataColumn && bottomRight.row() - topLeft.row() < kTextsReadAgain;
    if (fewTexts)
        bytes_->refresh(image_.column(kDataColumn), std::size_t(topLeft.row()),
                        std::size_t(bottomRight.row()), format_);
    else
        bytes_.reset();
}

void HexView::follow(DataGrid& grid) {
    grid_ = &grid;
    connect(grid.selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && std::size_t(current.row()) != tabla->cursor())
                    tabla->moveTo(std::size_t(current.row()), false);
            });
    connect(tabla, &HexTable::cursorMoved, this, [this](std::size_t address) {
        const QModelIndex current = grid_->currentIndex();
        if (current.isValid() && std::size_t(current.row()) == address) return;
        grid_->setCurrentIndex(image_.index(static_cast<int>(address), kDataColumn));
    });
    if (grid.currentIndex().isValid()) tabla->moveTo(std::size_t(grid.currentIndex().row()), false);
}

void HexView::showProgress(const QString& state, double fraction) {
    progreso->setValue(static_cast<int>(fraction * kProgressSteps));
    operacion->setText(state);
}

void HexView::setRunning(bool running) {
    running_ = running;
    progreso->setVisible(running);
    operacion->setVisible(running);
    // What was refused while it ran stays said after it ends.
    if (running) estado->clear();
    tabla->setEditable(!running);
    tabla->setEscapePasses(running);
    enableEdits();
    if (!running) settle_.start();
}

void HexView::enableEdits() {
    // While an operation runs the edits stay enabled: their keys are taken,
    // and refused on the status line instead of reaching anything else.
    Deshacer->setEnabled(running_ || history_.canUndo());
    Rehacer->setEnabled(running_ || history_.canRedo());
}

void HexView::commitGrid() {
    if (grid_) grid_->commitEditor();
}
