#include "app/MainLayout.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "device/Link.h"
#include "operations/ProgressLine.h"
#include "view/ChecksumLine.h"
#include "view/DataGrid.h"
#include "view/KeyFilter.h"
#include "view/WindowLook.h"

namespace {
constexpr int kClientWidth = 775;
constexpr int kClientHeight = 538;
constexpr int kPanelWidth = 230;
constexpr int kLeftColumn = 300;
constexpr int kRightColumn = 540;
constexpr int kFieldLeft = 110;
constexpr int kFieldWidth = 100;

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

QPushButton* button(QWidget* parent, const QString& caption, QRect where) {
    auto* push = new QPushButton(caption, parent);
    push->setGeometry(where);
    push->setFont(boldFont());
    return push;
}

void layOutManualPanels(QWidget* client, Form1Controls& c) {
    c.Panel1 =
        panel(client, {kLeftColumn, 8, kPanelWidth, 104}, {QStringLiteral("PROGRAMACION MANUAL")});
    c.Pdirm = field(c.Panel1, QStringLiteral("DIRECCION"), 24);
    c.PDatm = field(c.Panel1, QStringLiteral("DATO"), 50);
    c.BitBtn4 = button(c.Panel1, QStringLiteral("Programar"), {65, 76, 100, 24});

    c.Panel3 =
        panel(client, {kLeftColumn, 118, kPanelWidth, 104}, {QStringLiteral("LECTURA MANUAL")});
    c.ldirm = field(c.Panel3, QStringLiteral("DIRECCION"), 24);
    c.ldatm = field(c.Panel3, QStringLiteral("DATO"), 50);
    c.BitBtn6 = button(c.Panel3, QStringLiteral("Leer"), {65, 76, 100, 24});
}

void layOutRangePanels(QWidget* client, Form1Controls& c) {
    c.Panel2 = panel(client, {kLeftColumn, 228, kPanelWidth, 122},
                     {QStringLiteral("PROGRAMACION "), QStringLiteral("POR LOTE")});
    c.PLOT1 = field(c.Panel2, QStringLiteral("DIRECCION1"), 42);
    c.PLOT2 = field(c.Panel2, QStringLiteral("DIRECCION2"), 68);
    c.BitBtn5 = button(c.Panel2, QStringLiteral("Programar"), {65, 94, 100, 24});

    c.Panel4 = panel(client, {kLeftColumn, 356, kPanelWidth, 122},
                     {QStringLiteral("LECTURA"), QStringLiteral("POR LOTE")});
    c.LLOT1 = field(c.Panel4, QStringLiteral("DIRECCION1"), 42);
    c.LLOT2 = field(c.Panel4, QStringLiteral("DIRECCION2"), 68);
    c.BitBtn7 = button(c.Panel4, QStringLiteral("Leer"), {65, 94, 100, 24});

    c.ch = new QCheckBox(QStringLiteral("Verificar al Programar"), client);
    c.ch->setFont(boldFont());
    c.ch->setGeometry(kLeftColumn + 8, 486, kPanelWidth - 8, 22);
    c.ch->setChecked(true);
}

void layOutFillPanels(QWidget* client, Form1Controls& c) {
    c.Panel5 = panel(client, {kRightColumn, 8, kPanelWidth, 80}, {QStringLiteral("LLENAR CON")});
    c.Edit3 = field(c.Panel5, QStringLiteral("DATO A CARGAR"), 24);
    c.BitBtn9 = button(c.Panel5, QStringLiteral("Programar"), {65, 52, 100, 24});

    c.Panel6 = panel(client, {kRightColumn, 94, kPanelWidth, 148},
                     {QStringLiteral("PROGRAMACION "), QStringLiteral("POR LOTE CON DATO")});
    c.DL = field(c.Panel6, QStringLiteral("DATO A CARGAR"), 42);
    c.DIL1 = field(c.Panel6, QStringLiteral("DIRECCION1"), 68);
    c.DIL2 = field(c.Panel6, QStringLiteral("DIRECCION2"), 94);
    c.BitBtn10 = button(c.Panel6, QStringLiteral("Programar"), {65, 120, 100, 24});
}

void layOutWholeMemoryButtons(QWidget* client, Form1Controls& c) {
    c.BitBtn1 =
        button(client, QStringLiteral("PROGRAMAR TODO"), {kRightColumn, 250, kPanelWidth, 30});
    c.BitBtn2 = button(client, QStringLiteral("LEER TODO"), {kRightColumn, 284, kPanelWidth, 30});
    c.BitBtn3 = button(client, QStringLiteral("COMPARAR CON ARCHIVO"),
                       {kRightColumn, 318, kPanelWidth, 30});
    c.BitBtn11 =
        button(client, QStringLiteral("LIMPIA MATRIZ"), {kRightColumn, 352, kPanelWidth, 30});
}

void layOutBottom(QWidget* client, Form1Controls& c) {
    c.Panel8 = panel(client, {kRightColumn, 434, 134, 47}, {QStringLiteral("REINTENTOS")});
    c.Edit2 = new QLineEdit(QStringLiteral("1"), c.Panel8);
    c.Edit2->setGeometry(37, 21, 60, 22);
    c.Edit2->setAlignment(Qt::AlignCenter);
    c.BitBtn8 = button(client, QStringLiteral("SALIR"), {683, 434, 87, 47});

    c.Panel7 = new QLabel(kDispositivoDesconectado, client);
    c.Panel7->setGeometry(kRightColumn, 510, kPanelWidth, 21);
    c.Panel7->setAlignment(Qt::AlignCenter);
    c.Panel7->setFrameShape(QFrame::Panel);
    c.Panel7->setFrameShadow(QFrame::Sunken);
    c.Panel7->setAutoFillBackground(true);
    c.Panel7->setFont(designFont(QStringLiteral("Arial Black"), 13, true));
    c.Panel7->setStyleSheet(QStringLiteral("background-color: #000080; color: red;"));
}
}  // namespace

void layOutControls(QMainWindow& window, Form1Controls& c, const LayoutSources& sources) {
    auto* client = new QWidget(&window);
    // The designed size is where the window starts and the least it takes.
    client->setMinimumSize(kClientWidth, kClientHeight);
    client->resize(kClientWidth, kClientHeight);
    window.setCentralWidget(client);

    c.m = new DataGrid({144, 118}, client);
    c.m->setGeometry(2, 8, 289, 505);
    keepBottomMargin(c.m);
    c.m->setGridModel(&sources.imagen);
    c.m->setKeyFilter(&sources.filtro);

    layOutManualPanels(client, c);
    layOutRangePanels(client, c);
    layOutFillPanels(client, c);
    layOutWholeMemoryButtons(client, c);
    layOutBottom(client, c);

    // A row of its own for the programmer: beside the progress line it
    // would cut the line's long notes.
    auto* line = new QWidget(&window);
    auto* rows = new QVBoxLayout(line);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    c.progreso = new ProgressLine(sources.marco, sources.formato, line);
    c.programador = new QLabel(line);
    c.programador->setTextFormat(Qt::PlainText);
    c.programador->setContentsMargins(4, 0, 4, 0);
    c.programador->hide();
    rows->addWidget(c.progreso);
    rows->addWidget(c.programador);
    window.statusBar()->addWidget(line, 1);
    // In the free space under "LIMPIA MATRIZ", where it never crowds the line.
    c.sumas = new ChecksumLine(sources.formato, client);
    c.sumas->setGeometry(kRightColumn, 386, kPanelWidth, 42);
    c.sumas->setAlignment(Qt::AlignCenter);
    window.statusBar()->setSizeGripEnabled(false);

    for (QLineEdit* edit : {c.Pdirm, c.PDatm, c.ldirm, c.ldatm, c.PLOT1, c.PLOT2, c.LLOT1, c.LLOT2,
                            c.Edit3, c.DL, c.DIL1, c.DIL2})
        sources.filtro.watch(edit);
}

QSize designedClientSize() {
    return {kClientWidth, kClientHeight};
}
