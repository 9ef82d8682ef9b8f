#pragma once

#include <QMainWindow>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "app/ImageChanges.h"
#include "app/MainLayout.h"
#include "app/MainMenu.h"
#include "device/CommandSet.h"
#include "device/Link.h"
#include "operations/OperationFrame.h"
#include "operations/Workbench.h"
#include "view/AddressGridModel.h"
#include "view/ImageHistory.h"
#include "view/KeyFilter.h"
#include "view/NumberFormat.h"

class ApplicationWindow;
class BlankCheck;
class Dialogs;
class FileCommands;
class FileCompare;
class HexView;
class StatisticsWindow;
class HidLibrary;
class ImageCommands;
class JobCommands;
class ManualOperations;
class Platform;
class ProgramOperations;
class ReadOperations;
class TForm2;
class TForm4;
class TForm5;
class TForm6;

inline const QString kForm1Caption = QStringLiteral("PROGRAMADOR DE MEMORIAS: T.VELAR ");
inline const QString kHeaderDato = QStringLiteral("       DATO");

// The main working window: its lifecycle and its handlers. The controls, the
// menu, their accessible names and the wiring live in units of their own.
class Tform1 : public QMainWindow, public Form1Controls, public Form1Menu {
    Q_OBJECT
  public:
    static constexpr int kTimer1Ms = 1000;
    static constexpr int kExitPauseMs = 30;

    Tform1(ApplicationWindow& applicationWindow, HidLibrary& hid, Platform& platform,
           Dialogs& dialogs);
    ~Tform1() override;

    // The windows created after this one.
    void setCompanions(TForm2* form2, TForm4* form4, TForm5* form5, TForm6* form6);
    // Runs a handler so that no error crosses the event loop.
    void guarded(void (Tform1::*handler)());
    // While an operation runs nothing else may start: no other operation,
    // type or format change, file command or exit.
    void setOperationRunning(bool running);

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
    void ConvertirHexadecimal1Click();
    void ConvertirDecimal1Click();
    void BitBtn11Click();
    void selectMemoryType(std::uint8_t tipo);

    // Memory files, and the images of other tools.
    void Abrir1Click();
    void Guardar1Click();
    void Importar1Click();
    void Exportar1Click();
    void AbrirTrabajo1Click();
    void GuardarTrabajo1Click();
    void EstadisticasRegistro1Click();
    // What the last read's bytes say, on demand: no window opens by itself.
    void Analisis1Click();
    void Identificar1Click();
    // Undo and redo: typing, fills, pastes, conversions, files, clearing
    // and what an operation read, one step each.
    void Deshacer1Click();
    void Rehacer1Click();
    // "Verificar Borrado", for the memories that have an erased state.
    void VerificarBorrado1Click();
    void BitBtn3Click();

    // Whether the image changed since it was last opened, saved or cleared.
    bool cambios() const { return cambios_.changed(); }

    // "Vista hexadecimal": the hex view's window over the image, made once.
    void VistaHexadecimal1Click();
    HexView* vistaHexadecimal() const { return vistaHex_.get(); }

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
    // Undo and redo over the image, from every view and command.
    ImageHistory historia{imagen};
    KeyFilter filtro;
    OperationFrame marco;
    std::unique_ptr<Workbench> banco;
    QTimer Timer1;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildOperations();
    void followHistory();
    void followDeviceNotes();
    // True when the image has no changes, or the user saved them or lets
    // them go.
    bool mayDiscardChanges();
    // "Guardar": true once the file is written.
    bool saveImage();
    // Every byte of the image rewritten in the other format, which is then chosen.
    void convertData(bool hexadecimal);

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
    std::unique_ptr<JobCommands> trabajos_;
    std::unique_ptr<BlankCheck> borrado_;
    std::unique_ptr<FileCompare> comparacion_;
    ImageChanges cambios_;
    QString busyNote_;
    bool exited_ = false;
    // Last: it goes before the image and the history it works on.
    std::unique_ptr<HexView> vistaHex_;
    std::unique_ptr<StatisticsWindow> estadisticas_;
};
