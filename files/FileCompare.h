#pragma once

#include <QString>

class AddressGridModel;
class Dialogs;
class QWidget;
class TForm2;
struct NumberFormat;

inline const QString kNoPosibleComparar = QStringLiteral(
    "No Posible comparar\n\rPorque el formato del archivo\n\rdifiere al de la memoria leida");
inline const QString kCaptionComparado = QStringLiteral("Programador de Memoerias: T.VELAR -: ");

// "COMPARAR CON ARCHIVO": the grid's texts against a memory file's lines, the
// result in the mismatch window. The programmer takes no part.
class FileCompare {
  public:
    FileCompare(TForm2& form2, const AddressGridModel& imagen, const NumberFormat& formato,
                Dialogs& dialogs, QWidget* helpWindow);

    void BitBtn3Click();
    // Chooses a file and loads its data lines into the window's second column.
    void archivo();

  private:
    TForm2& form2_;
    const AddressGridModel& imagen_;
    const NumberFormat& formato_;
    Dialogs& dialogs_;
    QWidget* helpWindow_;
};
