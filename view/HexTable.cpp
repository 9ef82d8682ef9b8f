#include "view/HexTable.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include "view/HexRowModel.h"

namespace {
constexpr int kFontPixels = 13;
constexpr int kCellPadding = 10;
constexpr int kRowPadding = 6;

int hexDigit(const QString& text) {
    if (text.size() != 1) return -1;
    const char16_t c = text[0].toUpper().unicode();
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

constexpr char16_t kFirstTyped = 0x20;
constexpr char16_t kDelete = 0x7F;
constexpr char16_t kLastByte = 0xFF;

// Where a character of the text column starts within its cell.
int textMargin(const QWidget* table) {
    return table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1;
}

// The first digit of a byte being typed shows in its cell until the second;
// the text column shows the selection and the cursor character by character.
class PendingDigitDelegate : public QStyledItemDelegate {
  public:
    PendingDigitDelegate(HexTable* table, HexRowModel& model)
        : QStyledItemDelegate(table), table_(table), model_(model) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (index.column() != model_.textColumn())
            return QStyledItemDelegate::paint(painter, option, index);
        QStyleOptionViewItem cell(option);
        initStyleOption(&cell, index);
        const QString text = cell.text;
        cell.text.clear();
        table_->style()->drawControl(QStyle::CE_ItemViewItem, &cell, painter, table_);
        paintCharacters(painter, cell, index.row(), text);
    }

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const auto digit = table_->pendingDigit();
        if (digit && index == table_->currentIndex())
            option->text = QString::number(*digit, 16).toUpper() + u'_';
    }

  private:
    void paintCharacters(QPainter* painter, const QStyleOptionViewItem& cell, int row,
                         const QString& text) const {
        const HexTable::Span span = table_->selection();
        const std::size_t first = std::size_t(row) * std::size_t(model_.bytesPerRow());
        const int advance = std::max(1, cell.fontMetrics.horizontalAdvance(u'0'));
        const QPalette::ColorGroup group =
            table_->hasFocus() ? QPalette::Active : QPalette::Inactive;
        painter->save();
        for (qsizetype i = 0; i < text.size(); ++i) {
            const std::size_t address = first + std::size_t(i);
            const QRect box(cell.rect.left() + textMargin(table_) + int(i) * advance,
                            cell.rect.top(), advance, cell.rect.height());
            const bool selected = address >= span.first && address <= span.last;
            if (selected) painter->fillRect(box, cell.palette.brush(group, QPalette::Highlight));
            painter->setPen(
                cell.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
            painter->drawText(box, Qt::AlignCenter, text.mid(i, 1));
            if (address == table_->cursor() && table_->textSide())
                painter->drawRect(box.adjusted(0, 1, -1, -2));
        }
        painter->restore();
    }

    HexTable* table_;
    HexRowModel& model_;
};
}  // namespace

HexTable::HexTable(HexRowModel& model, Dialogs& dialogs, QWidget* parent)
    : QTableView(parent), model_(model), filter_(dialogs, hexDigits_) {
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setStyleHint(QFont::Monospace);
    mono.setFixedPitch(true);
    mono.setPixelSize(kFontPixels);
    setFont(mono);
    horizontalHeader()->setFont(mono);
    setModel(&model_);
    setItemDelegate(new PendingDigitDelegate(this, model_));
    verticalHeader()->hide();
    // Fixed sizes: the view never measures 8192 rows of contents.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    filter_.watch(this);
    sizeCells();
    connect(&model_, &QAbstractItemModel::modelReset, this, &HexTable::afterReset);
    showSpan();
}

void HexTable::sizeCells() {
    const QFontMetrics metrics(font());
    verticalHeader()->setDefaultSectionSize(metrics.height() + kRowPadding);
    // Wide enough for the header's caption or the cells' text, whichever is wider.
    const auto width = [&](int column, const QString& widest) {
        const QString caption =
            model_.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        setColumnWidth(column, std::max(metrics.horizontalAdvance(widest),
                                        metrics.horizontalAdvance(caption)) +
                                   kCellPadding);
    };
    width(HexRowModel::kAddressColumn, QStringLiteral("0x00000"));
    for (int c = 1; c <= model_.bytesPerRow(); ++c) width(c, QStringLiteral("00_"));
    width(model_.textColumn(), QString(model_.bytesPerRow(), u'W'));
}

HexTable::Span HexTable::selection() const {
    return {std::min(anchor_, cursor_), std::max(anchor_, cursor_)};
}

std::size_t HexTable::lastAddress() const {
    const std::size_t count = model_.addressCount();
    return count > 0 ? count - 1 : 0;
}

void HexTable::moveTo(std::size_t address, bool extend, Scroll scroll) {
    selectSpan(extend ? anchor_ : address, address, scroll);
}

void HexTable::selectSpan(std::size_t anchor, std::size_t cursor, Scroll scroll) {
    const std::size_t last = lastAddress();
    const bool moved = std::min(cursor, last) != cursor_;
    dropPending();
    anchor_ = std::min(anchor, last);
    cursor_ = std::min(cursor, last);
    showSpan(scroll);
    if (moved) emit cursorMoved(cursor_);
    emit spanChanged();
}

void HexTable::dropPending() {
    // Half a byte is never dropped without a word; its cell keeps its text.
    if (!pending_) return;
    const int digit = *pending_;
    pending_.reset();
    viewport()->update();
    emit refused(QStringLiteral("«%1» sola no es un byte: %2 conserva su valor")
                     .arg(QString::number(digit, 16).toUpper(), model_.gridAddressText(cursor_)));
}

void HexTable::setTextSide(bool textSide) {
    if (textSide == textSide_) return;
    textSide_ = textSide;
    // Characters of every kind are the text column's to judge.
    filter_.setCharactersPass(textSide);
    dropPending();
    viewport()->update();
    emit textSideChanged(textSide);
}

void HexTable::showSpan(Scroll scroll) {
    if (model_.addressCount() == 0) return;
    // At most three rectangles: the rest of the first row, the rows between,
    // the start of the last row.
    const int perRow = model_.bytesPerRow();
    const Span span = selection();
    const int firstRow = int(span.first / perRow), firstColumn = int(span.first % perRow) + 1;
    const int lastRow = int(span.last / perRow), lastColumn = int(span.last % perRow) + 1;
    const auto cell = [this](int row, int column) { return model_.index(row, column); };
    QItemSelection cells;
    if (firstRow == lastRow) {
        cells.select(cell(firstRow, firstColumn), cell(lastRow, lastColumn));
    } else {
        cells.select(cell(firstRow, firstColumn), cell(firstRow, perRow));
        if (lastRow > firstRow + 1) cells.select(cell(firstRow + 1, 1), cell(lastRow - 1, perRow));
        cells.select(cell(lastRow, 1), cell(lastRow, lastColumn));
    }
    selectionModel()->select(cells, QItemSelectionModel::ClearAndSelect);
    const QModelIndex current = model_.indexOf(cursor_);
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    scrollTo(current, scroll == Scroll::ToMiddle ? PositionAtCenter : EnsureVisible);
    // The text column draws the selection itself.
    viewport()->update();
}

void HexTable::afterReset() {
    sizeCells();
    selectSpan(anchor_, cursor_);
}

int HexTable::rowsPerPage() const {
    return std::max(1, viewport()->height() / verticalHeader()->defaultSectionSize());
}

void HexTable::keyPressEvent(QKeyEvent* event) {
    if (model_.addressCount() == 0) return QTableView::keyPressEvent(event);
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool whole = event->modifiers() & Qt::ControlModifier;
    const std::size_t perRow = model_.bytesPerRow(), last = lastAddress();
    const std::size_t page = perRow * std::size_t(rowsPerPage());
    const std::size_t rowStart = cursor_ - cursor_ % perRow;
    std::optional<std::size_t> target;
    switch (event->key()) {
        case Qt::Key_Left:
            target = cursor_ > 0 ? cursor_ - 1 : 0;
            break;
        case Qt::Key_Right:
            target = std::min(cursor_ + 1, last);
            break;
        case Qt::Key_Up:
            target = cursor_ >= perRow ? cursor_ - perRow : cursor_;
            break;
        case Qt::Key_Down:
            target = cursor_ + perRow <= last ? cursor_ + perRow : cursor_;
            break;
        case Qt::Key_PageUp:
            target = cursor_ >= page ? cursor_ - page : cursor_ % perRow;
            break;
        case Qt::Key_PageDown:
            target = std::min(cursor_ + page, last);
            break;
        case Qt::Key_Home:
            target = whole ? 0 : rowStart;
            break;
        case Qt::Key_End:
            target = whole ? last : std::min(rowStart + perRow - 1, last);
            break;
        default:
            break;
    }
    if (target) {
        moveTo(*target, extend);
        return;
    }
    if (textSide_ ? typeCharacter(event->text()) : typeDigit(event->text())) return;
    event->ignore();
}

bool HexTable::typeCharacter(const QString& text) {
    if (text.size() != 1 || text[0].unicode() < kFirstTyped || text[0].unicode() == kDelete)
        return false;
    if (text[0].unicode() > kLastByte) {
        emit refused(QStringLiteral("«%1» no cabe en un byte: el texto toma caracteres de código "
                                    "0x20 a 0xFF")
                         .arg(text));
        return true;
    }
    if (!editable_) {
        emit typedWhileLocked();
        return true;
    }
    write(static_cast<std::uint8_t>(text[0].unicode()));
    return true;
}

void HexTable::write(std::uint8_t value) {
    model_.writeByte(cursor_, value);
    if (cursor_ < lastAddress()) moveTo(cursor_ + 1, false);
}

bool HexTable::typeDigit(const QString& text) {
    if (text == QStringLiteral("\b")) {
        // Backspace takes back a first digit.
        pending_.reset();
        viewport()->update();
        return true;
    }
    const int digit = hexDigit(text);
    if (digit < 0) return false;
    if (!editable_) {
        emit typedWhileLocked();
        return true;
    }
    if (!pending_) {
        pending_ = digit;
        viewport()->update();
        return true;
    }
    const auto value = static_cast<std::uint8_t>(*pending_ * 16 + digit);
    pending_.reset();
    write(value);
    return true;
}

std::optional<std::size_t> HexTable::addressAt(QPoint position) const {
    const QModelIndex index = indexAt(position);
    if (!index.isValid()) return std::nullopt;
    const std::size_t rowStart = std::size_t(index.row()) * std::size_t(model_.bytesPerRow());
    if (index.column() == HexRowModel::kAddressColumn) return rowStart;
    if (index.column() != model_.textColumn()) return model_.addressOf(index);
    // In the text, the character under the pointer.
    const int offset = (position.x() - visualRect(index).left() - textMargin(this)) /
                       std::max(1, fontMetrics().horizontalAdvance(u'0'));
    const int within = std::clamp(offset, 0, model_.bytesPerRow() - 1);
    return std::min(rowStart + std::size_t(within), lastAddress());
}

void HexTable::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    const QPoint at = event->position().toPoint();
    const auto address = addressAt(at);
    if (!address) return;
    // A click chooses the side typing goes to; on the addresses it keeps it.
    const int column = indexAt(at).column();
    moveTo(*address, event->modifiers() & Qt::ShiftModifier);
    if (column != HexRowModel::kAddressColumn) setTextSide(column == model_.textColumn());
    dragging_ = true;
}

void HexTable::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    QPoint at = event->position().toPoint();
    // Past the top or bottom edge the view scrolls a row at a time.
    const int rowHeight = verticalHeader()->defaultSectionSize();
    if (at.y() < 0) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    if (at.y() >= viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    at.setY(std::clamp(at.y(), 0, viewport()->height() - rowHeight / 2));
    at.setX(std::clamp(at.x(), 0, viewport()->width() - 1));
    if (const auto address = addressAt(at)) moveTo(*address, true);
}

void HexTable::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
}

void HexTable::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}
