#pragma once

#include <QMainWindow>
#include <QTimer>
#include <optional>

#include "files/ByteSearch.h"
#include "files/GridBytes.h"
#include "view/HexRowModel.h"

class AddressGridModel;
class DataGrid;
class Dialogs;
class HexTable;
class ImageHistory;
class QAction;
class QCheckBox;
class QProgressBar;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct NumberFormat;

inline const QString kVistaHexadecimalCaption = QStringLiteral("VISTA HEXADECIMAL");
inline const QString kNoSeEncontro = QStringLiteral("No se encontró");

// A second view of the memory image, as hex editors show one: 16 (or 8)
// bytes a row with their text, its cursor following the main grid's and
// leading it. Bytes are typed, filled, copied, pasted and searched here;
// every change goes into the image itself, a fill or a paste as one step
// of its history.
class HexView : public QMainWindow {
    Q_OBJECT
  public:
    HexView(AddressGridModel& image, const NumberFormat& format, ImageHistory& history,
            Dialogs& dialogs, QWidget* parent = nullptr);

    // The main grid whose current cell this view's cursor follows, and leads.
    void follow(DataGrid& grid);
    // While an operation runs the image is the chip's: nothing here changes it.
    void setRunning(bool running);
    // The running operation's state and how far it is (0 to 1), as the main
    // window's progress line says them.
    void showProgress(const QString& state, double fraction);

    // "Ir a": 0x1F0, $1F0 or 1F0h in hexadecimal, 496 in decimal.
    void goTo();
    void find(bool forward);
    void fillSelection();
    void copySelection();
    void paste();
    void selectAll();
    // F8, Shift+F8: the cursor to the next or previous byte that differs.
    void goToDifference(bool forward);

    HexRowModel model;
    HexTable* tabla;
    QLineEdit *irA, *buscar, *llenarCon;
    QComboBox *buscarComo, *bytesPorFila;
    QCheckBox* mayusculas;
    QProgressBar* progreso;
    QPushButton *anterior, *siguiente, *llenar, *cancelarLlenado;
    QWidget* barraLlenar;
    // estado: the one line for messages, cleared by the next change of the image.
    // operacion: what the running operation is doing, beside its progress.
    QLabel *leyenda, *seleccion, *estado, *operacion;
    QAction *Deshacer, *Rehacer, *Copiar, *Pegar, *LlenarSeleccion, *SeleccionarTodo,
        *EscribirTexto, *DiferenciaSiguiente, *DiferenciaAnterior, *IrADireccion, *Buscar,
        *BuscarSiguiente, *BuscarAnterior;

  protected:
    // ESC in a field of the find, go-to or fill rows closes it, back to the bytes.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void buildStatusBar();
    // An address in a message, as the main grid shows it.
    QString said(std::size_t address) const;
    void closeFill();
    void buildMenu();
    void nameControls();
    void wire();
    const ImageBytes& bytes();
    void imageChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight);
    // The selection's bytes, and where its first text that is no byte is.
    GridBytes selectionBytes();
    void showSelection();
    void enableEdits();
    // The main grid's open cell goes into the image before this view acts on it.
    void commitGrid();
    bool refuseWhileRunning();
    void writeStep(std::size_t first, const std::vector<std::uint8_t>& values);

    AddressGridModel& image_;
    const NumberFormat& format_;
    ImageHistory& history_;
    DataGrid* grid_ = nullptr;
    std::optional<ImageBytes> bytes_;
    // Where the last match was shown: the next search goes past it.
    std::optional<std::size_t> found_;
    QTimer settle_;
    bool running_ = false;
};
