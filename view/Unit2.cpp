#include "view/Unit2.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

#include "chip/Diagnosis.h"
#include "device/CommandSet.h"
#include "view/DataGrid.h"
#include "view/Dialogs.h"
#include "view/NumberFormat.h"
#include "view/WindowLook.h"

namespace {
QPushButton* navigationButton(QWidget* parent, const QString& caption, QRect where,
                              QStyle::StandardPixmap glyph, bool glyphRight) {
    auto* button = new QPushButton(parent->style()->standardIcon(glyph), caption, parent);
    button->setGeometry(where);
    button->setFont(designFont(QStringLiteral("MS Sans Serif"), 11, true));
    button->setStyleSheet(QStringLiteral("color: navy;"));
    // At the style's 16 pixels, glyph and caption need one pixel more than
    // "Ultima Dir" has with the fonts the package brings.
    button->setIconSize(QSize(14, 14));
    if (glyphRight) button->setLayoutDirection(Qt::RightToLeft);
    return button;
}
}  // namespace

TForm2::TForm2(NumberFormat& formato, const CommandSet& comandos, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window),
      grid(formato, 4, kLargestMemory),
      formato_(formato),
      comandos_(comandos),
      dialogs_(dialogs) {
    setWindowTitle(QStringLiteral("COMPARACION"));
    resize(549, 567);

    m = new DataGrid({144, 118, 117, 116}, this);
    m->setGeometry(10, 33, 527, 505);
    setMinimumSize(size());
    m->setGridModel(&grid);

    BitBtn1 = navigationButton(this, QStringLiteral("REGRESAR"), {8, 3, 97, 26},
                               QStyle::SP_ArrowBack, false);
    BitBtn4 = navigationButton(this, QStringLiteral("1° Dir"), {118, 3, 71, 26},
                               QStyle::SP_MediaSkipBackward, false);
    BitBtn3 = navigationButton(this, QStringLiteral("ANTERIOR DIR"), {203, 1, 115, 27},
                               QStyle::SP_ArrowUp, false);
    BitBtn2 = navigationButton(this, QStringLiteral("SIGUIENTE DIR"), {326, 2, 122, 27},
                               QStyle::SP_ArrowDown, true);
    BitBtn5 = navigationButton(this, QStringLiteral("Ultima Dir"), {453, 2, 84, 26},
                               QStyle::SP_MediaSkipForward, true);
    // In the free strip under the grid: the designed places stay as they are.
    diagnostico = new QLabel(this);
    diagnostico->setGeometry(10, 541, 527, kCauseLine);
    // A long cause wraps, and the grid above gives it the lines it needs.
    diagnostico->setWordWrap(true);
    setTabOrder(m, BitBtn1);
    setTabOrder(BitBtn1, BitBtn4);
    setTabOrder(BitBtn4, BitBtn3);
    setTabOrder(BitBtn3, BitBtn2);
    setTabOrder(BitBtn2, BitBtn5);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm2::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm2::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm2::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm2::BitBtn4Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TForm2::BitBtn5Click);
    organiza();
    centerOnScreen(this);
}

TForm2::~TForm2() {
    // The grid and its open cell editor go while the texts they show exist.
    delete m;
}

void TForm2::setHeaders(const QString& first, const QString& second) {
    grid.setCell(kAddressColumn, 0, kHeaderDireccion);
    grid.setCell(kFirstColumn, 0, first);
    grid.setCell(kSecondColumn, 0, second);
    grid.setCell(kMarkColumn, 0, kHeaderDirErradas);
}

int TForm2::rowsCompared() const {
    return static_cast<int>(comandos_.type().maxdir) + 1;
}

void TForm2::organiza() {
    diagnostico->clear();
    layOutBottom();
    grid.clearColumn(kMarkColumn, 1, rowsCompared());
    formato_.setLetraFromHexa();
    grid.organiza(comandos_.maxdir);
    if (!otherSide_.isEmpty()) {
        otherSide_.clear();
        emit differencesChanged();
    }
}

void TForm2::offerDifferences(const QString& otherSide) {
    otherSide_ = lista.empty() ? QString() : otherSide;
    emit differencesChanged();
}

const QString* TForm2::otherText(std::size_t address) const {
    if (otherSide_.isEmpty()) return nullptr;
    const auto wanted = static_cast<std::int32_t>(address);
    if (!std::binary_search(lista.begin(), lista.end(), wanted)) return nullptr;
    const std::vector<QString>& other = grid.column(kSecondColumn);
    return address < other.size() ? &other[address] : nullptr;
}

void TForm2::malas() {
    listMismatches();
    dialogs_.message(QStringLiteral("Existen  %1  Dirreciones erradas").arg(lista.size()));
}

void TForm2::listMismatches() {
    organiza();
    lista.clear();
    const std::vector<QString>& first = grid.column(kFirstColumn);
    const std::vector<QString>& second = grid.column(kSecondColumn);
    const int rows = rowsCompared();
    const QString& mark = AddressGridModel::ownAddress(formato_);
    grid.updateColumn(kMarkColumn, [&](std::vector<QString>& marks) {
        for (int address = 0; address < rows; ++address) {
            if (first[address] == second[address]) continue;
            lista.push_back(address);
            marks[address] = mark;
        }
    });
    ultima = static_cast<std::int32_t>(lista.size()) - 1;
    pos = -1;
}

void TForm2::explain(int chipColumn) {
    if (lista.empty()) return;
    const int wantedColumn = chipColumn == kFirstColumn ? kSecondColumn : kFirstColumn;
    const std::vector<QString>& chip = grid.column(chipColumn);
    const std::vector<QString>& wanted = grid.column(wantedColumn);
    std::vector<chip::Compared> compared;
    const auto byte = [this](const QString& text) { return formato_.readByte(text); };
    for (int address = 0; address < rowsCompared(); ++address) {
        const auto got = byte(chip[address]);
        const auto want = byte(wanted[address]);
        if (got && want) compared.push_back({std::uint32_t(address), *got, *want});
    }
    const bool prom = comandos_.tipo >= kTipoProm512;
    diagnostico->setText(
        chip::diagnose(compared, prom, {}, comandos_.tipo == kTipoEeprom).value_or(QString()));
    layOutBottom();
}

void TForm2::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOutBottom();
}

void TForm2::layOutBottom() {
    constexpr int kBottomMargin = 4;
    constexpr int kGap = 3;
    const int causeHeight =
        diagnostico->text().isEmpty()
            ? kCauseLine
            : std::max(kCauseLine, diagnostico->heightForWidth(diagnostico->width()));
    const int causeTop = height() - kBottomMargin - causeHeight;
    diagnostico->setGeometry(diagnostico->x(), causeTop, diagnostico->width(), causeHeight);
    m->resize(m->width(), causeTop - kGap - m->y());
}

void TForm2::showEntry(std::int32_t entry) {
    // After a count of 0, or before the first "SIGUIENTE DIR", there is no
    // entry to show: the buttons then do nothing.
    if (entry < 0 || entry > ultima) return;
    m->showCell(kMarkColumn, lista[static_cast<std::size_t>(entry)] + 1);
}

void TForm2::BitBtn1Click() {
    hide();
    if (!mainWindow_) return;
    mainWindow_->show();
    mainWindow_->raise();
    mainWindow_->activateWindow();
}

void TForm2::BitBtn2Click() {
    if (pos < ultima) ++pos;
    showEntry(pos);
}

void TForm2::BitBtn3Click() {
    if (pos > 0) --pos;
    showEntry(pos);
}

void TForm2::BitBtn4Click() {
    showEntry(0);
}

void TForm2::BitBtn5Click() {
    showEntry(ultima);
}
