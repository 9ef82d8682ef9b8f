// What the hex view does: go to an address, search, fill, copy and paste,
// and the line that sums up the selection.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>

#include "app/HexView.h"
#include "image/Parse.h"
#include "image/Refusal.h"
#include "view/AddressGridModel.h"
#include "view/HexTable.h"
#include "view/ImageHistory.h"

namespace {
constexpr int kLongestAddress = 12;
// A selection up to this long costs less read alone than the whole image.
constexpr std::size_t kReadAlone = 4096;

QString hex(std::uint32_t value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

QString byteCount(std::size_t count) {
    return count == 1 ? QStringLiteral("1 byte") : QStringLiteral("%1 bytes").arg(count);
}

// Said when a search or a walk went round the end.
QString wrapNote(bool forward) {
    return forward ? QStringLiteral(" · Se siguió desde el principio")
                   : QStringLiteral(" · Se siguió desde el final");
}

bool allDigits(const QString& text, int base) {
    for (QChar c : text) {
        const char16_t u = c.toUpper().unicode();
        const bool decimal = u >= u'0' && u <= u'9';
        if (!decimal && !(base == 16 && u >= u'A' && u <= u'F')) return false;
    }
    return !text.isEmpty() && text.size() <= kLongestAddress;
}

// 0x1F0, $1F0 and 1F0h are hexadecimal; digits alone are decimal: the
// numbers the import's "Desplazamiento" and the command line take.
std::optional<std::size_t> addressFromText(const QString& text) {
    const auto number = image::parseNumber(text.trimmed());
    if (image::refusalOf(number)) return std::nullopt;
    return std::get<std::uint32_t>(number);
}

// One byte in hexadecimal, with or without 0x.
std::optional<std::uint8_t> fillByteFromText(QString text) {
    text = text.trimmed();
    if (text.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)) text.remove(0, 2);
    if (text.size() > 2 || !allDigits(text, 16)) return std::nullopt;
    return static_cast<std::uint8_t>(text.toUInt(nullptr, 16));
}
}  // namespace

void HexView::goTo() {
    const auto address = addressFromText(irA->text());
    if (!address) {
        estado->setText(QStringLiteral("«%1» no es una dirección: escriba 0x1F0, 1F0h o 496")
                            .arg(irA->text().trimmed()));
        return;
    }
    if (*address >= model.addressCount()) {
        estado->setText(QStringLiteral("La dirección supera la maxima dirección de la memoria"));
        return;
    }
    estado->clear();
    tabla->moveTo(*address, false, HexTable::Scroll::ToMiddle);
    tabla->setFocus();
}

QString HexView::said(std::size_t address) const {
    return model.gridAddressText(address);
}

void HexView::goToDifference(bool forward) {
    const auto found = model.nextDifference(tabla->cursor(), forward);
    if (!found) {
        estado->setText(QStringLiteral("No hay bytes que difieran"));
        return;
    }
    tabla->moveTo(found->address, false, HexTable::Scroll::ToMiddle);
    QString line = QStringLiteral("Difiere en %1: aquí %2, %3")
                       .arg(said(found->address), model.indexOf(found->address).data().toString(),
                            model.otherSideText(found->address));
    if (found->wrapped) line += wrapNote(forward);
    estado->setText(line);
}

void HexView::selectAll() {
    if (model.addressCount() == 0) return;
    tabla->selectSpan(0, model.addressCount() - 1);
}

const ImageBytes& HexView::bytes() {
    if (!bytes_) bytes_ = imageBytes(image_.column(kDataColumn), model.addressCount(), format_);
    return *bytes_;
}

void HexView::find(bool forward) {
    const QString wanted = buscar->text();
    const bool asText = buscarComo->currentIndex() == 1;
    const auto pattern = asText ? textPattern(wanted, mayusculas->isChecked()) : hexPattern(wanted);
    if (!pattern) {
        estado->setText(wanted.isEmpty() ? QStringLiteral("Escriba lo que busca")
                        : asText
                            ? QStringLiteral("El texto tiene caracteres que no caben en un byte")
                            : QStringLiteral("«%1» no son bytes en hexadecimal: escriba, por "
                                             "ejemplo, DE AD ?? EF")
                                  .arg(wanted));
        return;
    }
    const std::size_t cursor = tabla->cursor();
    // From the cursor; past a match just shown, so that F3 goes on to the next.
    auto at = forward ? findForward(bytes(), *pattern, found_ == cursor ? cursor + 1 : cursor)
                      : findBackward(bytes(), *pattern, cursor);
    // Then round the end, as editors search.
    const bool wrapped = !at;
    if (wrapped)
        at = forward ? findForward(bytes(), *pattern, 0)
                     : findBackward(bytes(), *pattern, bytes().bytes.size());
    if (!at) {
        estado->setText(kNoSeEncontro);
        return;
    }
    tabla->selectSpan(*at + pattern->size() - 1, *at, HexTable::Scroll::ToMiddle);
    found_ = *at;
    QString line = QStringLiteral("Encontrado en %1").arg(said(*at));
    if (wrapped) line += wrapNote(forward);
    estado->setText(line);
}

GridBytes HexView::selectionBytes() {
    const HexTable::Span span = tabla->selection();
    GridBytes selected;
    if (span.last >= model.addressCount()) return selected;
    // A short selection is read alone; a long one from the search's bytes.
    if (!bytes_ && span.size() <= kReadAlone) {
        ImageBytes alone = spanBytes(image_.column(kDataColumn), span.first, span.size(), format_);
        selected.bytes = std::move(alone.bytes);
        if (!alone.notBytes.empty()) selected.notAByte = alone.notBytes.front();
        return selected;
    }
    const ImageBytes& image = bytes();
    selected.bytes.assign(image.bytes.begin() + std::ptrdiff_t(span.first),
                          image.bytes.begin() + std::ptrdiff_t(span.last) + 1);
    if (const auto notByte = image.firstNotAByte(span.first, span.last))
        selected.notAByte = *notByte - span.first;
    return selected;
}

void HexView::showSelection() {
    const HexTable::Span span = tabla->selection();
    if (model.addressCount() == 0) {
        seleccion->clear();
        return;
    }
    const GridBytes image = selectionBytes();
    QString line = QStringLiteral("Selección %1–%2 · %3")
                       .arg(said(span.first), said(span.last), byteCount(span.size()));
    if (image.notAByte)
        line += QStringLiteral(" · la dirección %1 no tiene un byte")
                    .arg(said(span.first + *image.notAByte));
    else
        line += QStringLiteral(" · Suma %1 · CRC-32 %2")
                    .arg(hex(image::sum16(image.bytes), 4), hex(image::crc32(image.bytes), 8));
    seleccion->setText(line);
}

bool HexView::refuseWhileRunning() {
    if (!running_) return false;
    estado->setText(
        QStringLiteral("Hay una operación en curso: la imagen no cambia hasta que termine"));
    return true;
}

void HexView::writeStep(std::size_t first, const std::vector<std::uint8_t>& values) {
    commitGrid();
    history_.beginStep();
    model.writeBytes(first, values);
    history_.endStep();
}

void HexView::fillSelection() {
    if (refuseWhileRunning()) return;
    const auto value = fillByteFromText(llenarCon->text());
    if (!value) {
        estado->setText(QStringLiteral("El byte de llenado va en hexadecimal, de 00 a FF"));
        return;
    }
    const HexTable::Span span = tabla->selection();
    writeStep(span.first, std::vector<std::uint8_t>(span.size(), *value));
    barraLlenar->hide();
    tabla->setFocus();
    estado->setText(QStringLiteral("Llenada la selección (%1) con %2")
                        .arg(byteCount(span.size()), hex(*value, 2)));
}

void HexView::copySelection() {
    const HexTable::Span span = tabla->selection();
    const GridBytes image = selectionBytes();
    if (image.notAByte) {
        estado->setText(QStringLiteral("La dirección %1 no tiene un byte: no se copió nada")
                            .arg(said(span.first + *image.notAByte)));
        return;
    }
    QGuiApplication::clipboard()->setText(hexText(image.bytes, 0, image.bytes.size()));
    estado->setText(QStringLiteral("Copiado: %1").arg(byteCount(span.size())));
}

void HexView::paste() {
    if (refuseWhileRunning()) return;
    const auto pasted = pastedBytes(QGuiApplication::clipboard()->text());
    if (!pasted) {
        estado->setText(
            QStringLiteral("El portapapeles no tiene bytes en hexadecimal (12 34, "
                           "0x12, $12 o 12h): no se pegó nada"));
        return;
    }
    const std::size_t first = tabla->cursor(), count = pasted->size();
    if (count > model.addressCount() - first) {
        estado->setText(QStringLiteral("%1 no caben desde %2 hasta la última dirección, %3: no "
                                       "se pegó nada")
                            .arg(byteCount(count), said(first), said(model.addressCount() - 1)));
        return;
    }
    writeStep(first, *pasted);
    tabla->selectSpan(first, first + count - 1);
    estado->setText(QStringLiteral("Pegado: %1 desde %2").arg(byteCount(count), said(first)));
}
