#pragma once

#include <QSize>

class DataGrid;
class ChecksumLine;
class ProgressLine;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class AddressGridModel;
class KeyFilter;
class OperationFrame;
struct NumberFormat;

// The controls of the main window, under their designed names.
struct Form1Controls {
    DataGrid* m = nullptr;
    QFrame *Panel1 = nullptr, *Panel2 = nullptr, *Panel3 = nullptr, *Panel4 = nullptr,
           *Panel5 = nullptr, *Panel6 = nullptr, *Panel8 = nullptr;
    QLineEdit *Pdirm = nullptr, *PDatm = nullptr, *PLOT1 = nullptr, *PLOT2 = nullptr,
              *ldirm = nullptr, *ldatm = nullptr, *LLOT1 = nullptr, *LLOT2 = nullptr,
              *Edit3 = nullptr, *DL = nullptr, *DIL1 = nullptr, *DIL2 = nullptr, *Edit2 = nullptr;
    QPushButton *BitBtn1 = nullptr, *BitBtn2 = nullptr, *BitBtn3 = nullptr, *BitBtn4 = nullptr,
                *BitBtn5 = nullptr, *BitBtn6 = nullptr, *BitBtn7 = nullptr, *BitBtn8 = nullptr,
                *BitBtn9 = nullptr, *BitBtn10 = nullptr, *BitBtn11 = nullptr;
    QCheckBox* ch = nullptr;
    QLabel* Panel7 = nullptr;
    // Below the controls: the progress of long work, and its cancel button.
    ProgressLine* progreso = nullptr;
    // Under it, the programmer in use when several are attached; else hidden.
    QLabel* programador = nullptr;
    ChecksumLine* sumas = nullptr;
};

// What the controls show and are guarded by.
struct LayoutSources {
    AddressGridModel& imagen;
    KeyFilter& filtro;
    OperationFrame& marco;
    const NumberFormat& formato;
};

// Creates every control of the main window at its designed place, size and
// look; the window starts at the designed client size and takes no less.
void layOutControls(QMainWindow& window, Form1Controls& c, const LayoutSources& sources);

// The client area as designed: 775 x 538.
QSize designedClientSize();
