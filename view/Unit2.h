#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "view/AddressGridModel.h"

class CommandSet;
class DataGrid;
class Dialogs;
class QLabel;
class QPushButton;
struct NumberFormat;

inline const QString kHeaderDirErradas = QStringLiteral("  DIR Erradas");
// The chip's column when programming is verified and in the blank check.
inline const QString kHeaderLeido = QStringLiteral("DATO LEIDO");

// The mismatch window: two texts per address side by side, the addresses
// where they differ marked, counted and walked.
class TForm2 : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kAddressColumn = 0;
    static constexpr int kFirstColumn = 1;
    static constexpr int kSecondColumn = 2;
    static constexpr int kMarkColumn = 3;

    TForm2(NumberFormat& formato, const CommandSet& comandos, Dialogs& dialogs,
           QWidget* parent = nullptr);
    ~TForm2() override;

    // The window "REGRESAR" goes back to.
    void setMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }

    // Heads the two text columns for the use at hand; the address and mark
    // columns keep their headers.
    void setHeaders(const QString& first, const QString& second);
    // Rebuilds the address column and removes every mark.
    void organiza();
    // Compares columns 1 and 2 as texts, marks and lists the differing
    // addresses, and reports their number.
    void malas();
    // The same without the report, for a caller that says it its own way.
    void listMismatches();
    // After malas: a line under the grid that says why the chip differs,
    // when it does; chipColumn holds what the chip gave.
    void explain(int chipColumn);

    void BitBtn1Click();  // "REGRESAR"
    void BitBtn2Click();  // "SIGUIENTE DIR"
    void BitBtn3Click();  // "ANTERIOR DIR"
    void BitBtn4Click();  // "1° Dir"
    void BitBtn5Click();  // "Ultima Dir"

    // Rows compared: every address of the selected memory type.
    int rowsCompared() const;

    // After a compare with a file or a verify that failed: the differences
    // listed stay on offer to other views, the second column being the other
    // side (otherSide: "en el archivo", "leído de la memoria"), until the
    // window is used again.
    void offerDifferences(const QString& otherSide);
    const QString& otherSide() const { return otherSide_; }
    // The other side's text at a listed address, or nothing.
    const QString* otherText(std::size_t address) const;

    AddressGridModel grid;
    DataGrid* m;
    QPushButton *BitBtn1, *BitBtn2, *BitBtn3, *BitBtn4, *BitBtn5;
    QLabel* diagnostico;

    // The mismatching addresses in ascending order; no fixed capacity.
    std::vector<std::int32_t> lista;
    std::int32_t ultima = -1;
    std::int32_t pos = -1;

  signals:
    void differencesChanged();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The cause's line at the bottom, as tall as its text needs; the grid above it.
    static constexpr int kCauseLine = 22;
    void layOutBottom();
    void showEntry(std::int32_t entry);

    NumberFormat& formato_;
    const CommandSet& comandos_;
    Dialogs& dialogs_;
    QWidget* mainWindow_ = nullptr;
    QString otherSide_;
};
