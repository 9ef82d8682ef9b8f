#pragma once

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <cstdint>
#include <memory>

#include "device/CommandSet.h"
#include "device/Link.h"
#include "files/FileCommands.h"
#include "files/FileCompare.h"
#include "operations/ManualOperations.h"
#include "operations/OperationFrame.h"
#include "operations/ProgramOperations.h"
#include "operations/ReadOperations.h"
#include "operations/Workbench.h"
#include "view/AddressGridModel.h"
#include "view/KeyFilter.h"
#include "view/NumberFormat.h"

class ApplicationWindow;
class Dialogs;
class HidLibrary;
class Platform;
class DataGrid;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class ProgressLine;
class ChecksumLine;
class ImageCommands;
class BlankCheck;
class TForm2;
class TForm4;
class TForm5;
class TForm6;

inline const QString kForm1Caption = QStringLiteral("PROGRAMADOR DE MEMORIAS: T.VELAR ");
inline const QString kHeaderDato = QStringLiteral("       DATO");

// The main working window: the memory image grid, the operation panels, the
// menus, the device link and the state every operation works with.
class Tform1 : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr int kTimer1Ms = 1000;
    static constexpr int kExitPauseMs = 30;

    Tform1(ApplicationWindow& applicationWindow, HidLibrary& hid, Platform& platform,
           Dialogs& dialogs);
    ~Tform1() override;

    // The windows created after this one.
    void setCompanions(TForm2* form2, TForm4* form4, TForm5* form5, TForm6* form6);

    // Shell.
    void FormCreate();
    void FormDestroy();
    void BitBtn8Click();
    void Salir1Click();
    void Timer1Timer();

    // Device link.
    bool conexion();
    bool notificacion(DeviceMessage& message);

    // Grid and number format.
    void organiza();
    void Decimal1Click();
    void Hexadecimal1Click();
    void BitBtn11Click();
    void selectMemoryType(std::uint8_t tipo);

    // Memory files, and the images of other tools.
    void Abrir1Click();
    void Guardar1Click();
    void Importar1Click();
    void Exportar1Click();
    // "Verificar Borrado", for the memories that have an erased state.
    void VerificarBorrado1Click();
    void BitBtn3Click();

    // Whether the image changed since it was last opened, saved or cleared.
    bool cambios() const { return cambios_; }

    // Information windows.
    void Acercade1Click();
    void Topicos1Click();

    // Operation buttons; each first checks the device.
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void BitBtn7Click();
    void BitBtn9Click();
    void BitBtn10Click();

    Link link;
    CommandSet comandos;
    NumberFormat formato;
    AddressGridModel imagen;
    KeyFilter filtro;
    OperationFrame marco;
    std::unique_ptr<Workbench> banco;

    DataGrid* m;
    QFrame *Panel1, *Panel2, *Panel3, *Panel4, *Panel5, *Panel6, *Panel8;
    QLineEdit *Pdirm, *PDatm, *PLOT1, *PLOT2, *ldirm, *ldatm, *LLOT1, *LLOT2, *Edit3, *DL, *DIL1,
        *DIL2, *Edit2;
    QPushButton *BitBtn1, *BitBtn2, *BitBtn3, *BitBtn4, *BitBtn5, *BitBtn6, *BitBtn7, *BitBtn8,
        *BitBtn9, *BitBtn10, *BitBtn11;
    QCheckBox* ch;
    QLabel* Panel7;
    // Below the controls: the progress of long work, and its cancel button.
    ProgressLine* progreso;
    ChecksumLine* sumas;
    QAction *Abrir1, *Guardar1, *Importar1, *Exportar1, *Salir1, *Decimal1, *Hexadecimal1,
        *Topicos1, *Acercade1, *VerificarBorrado1;
    std::array<QAction*, 5> tipoItems;
    QTimer Timer1;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void nameControls();
    void buildOperations();
    // While an operation runs nothing else may start: no other operation,
    // type or format change, file command or exit.
    void setOperationRunning(bool running);
    void buildMenu();
    void onClick(QPushButton* button, void (Tform1::*handler)());
    void onTrigger(QAction* action, void (Tform1::*handler)());
    void guarded(void (Tform1::*handler)());
    // True when the image has no changes, or the user lets them go.
    bool mayDiscardChanges();
    void buildShortcuts();

    ApplicationWindow& applicationWindow_;
    HidLibrary& hid_;
    Platform& platform_;
    Dialogs& dialogs_;
    TForm4* form4_ = nullptr;
    TForm5* form5_ = nullptr;
    std::unique_ptr<ManualOperations> manual_;
    std::unique_ptr<ReadOperations> lectura_;
    std::unique_ptr<ProgramOperations> programacion_;
    std::unique_ptr<FileCommands> archivos_;
    std::unique_ptr<ImageCommands> imagenes_;
    std::unique_ptr<BlankCheck> borrado_;
    std::unique_ptr<FileCompare> comparacion_;
    bool exited_ = false;
    bool cambios_ = false;
};
