#include "view/DataGrid.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>

#include "view/AddressGridModel.h"
#include "view/KeyFilter.h"
#include "view/WindowLook.h"

namespace {
constexpr int kRowHeight = 24;
constexpr int kFontPixels = 13;

// The header row in the grid's own font, smaller only for a caption that
// would not fit its column.
class GridHeader : public QHeaderView {
  public:
    explicit GridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int section) const override {
        const QString caption =
            model() ? model()->headerData(section, orientation()).toString() : QString();
        const int margins = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
        painter->save();
        painter->setFont(shrunkToFit(font(), caption, rect.width() - margins));
        QHeaderView::paintSection(painter, rect, section);
        painter->restore();
    }
};

// The cell editor is guarded before Qt's own handling sees a key: otherwise
// ESC would revert the cell and Enter close it instead of being refused.
class FilteredDelegate : public QStyledItemDelegate {
  public:
    FilteredDelegate(KeyFilter* filter, QObject* parent)
        : QStyledItemDelegate(parent), filter_(filter) {}

  protected:
    bool eventFilter(QObject* editor, QEvent* event) override {
        // Tab leaves the grid for the next control, as in any form; the
        // arrows move between cells.
        if (const auto forward = tabDirection(event)) {
            auto* grid = static_cast<DataGrid*>(parent());
            grid->commitEditor();
            grid->leave(*forward);
            return true;
        }
        if (filter_) {
            if (filter_->filterEvent(editor, event)) return true;
            // Let through only while an operation runs, as its cancel key:
            // it must not revert what was typed.
            if (isEscape(event)) return true;
            // The message box takes the focus for a moment; the cell stays open.
            if (event->type() == QEvent::FocusOut && filter_->showingMessage()) return false;
        }
        return QStyledItemDelegate::eventFilter(editor, event);
    }

  private:
    static std::optional<bool> tabDirection(const QEvent* event) {
        if (event->type() != QEvent::KeyPress) return std::nullopt;
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() == Qt::Key_Backtab) return false;
        if (key->key() != Qt::Key_Tab) return std::nullopt;
        return !(key->modifiers() & Qt::ShiftModifier);
    }

    static bool isEscape(const QEvent* event) {
        return event->type() == QEvent::KeyPress &&
               static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Escape;
    }

    KeyFilter* filter_;
};
}  // namespace

DataGrid::DataGrid(const std::vector<int>& columnWidths, QWidget* parent)
    : QTableView(parent), widths_(columnWidths) {
    setFont(designFont(QStringLiteral("MS Sans Serif"), kFontPixels, true));
    setHorizontalHeader(new GridHeader(this));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::AnyKeyPressed |
                    QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setItemDelegate(new FilteredDelegate(nullptr, this));
}

void DataGrid::setGridModel(AddressGridModel* model) {
    setModel(model);
    // A new memory type resets the rows: the cursor and the scroll stay put.
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, &DataGrid::rememberPlace);
    connect(model, &QAbstractItemModel::modelReset, this, &DataGrid::restorePlace);
    for (std::size_t c = 0; c < widths_.size(); ++c)
        setColumnWidth(static_cast<int>(c), widths_[c]);
}

void DataGrid::rememberPlace() {
    savedRow_ = currentIndex().row();
    savedColumn_ = currentIndex().column();
    savedScroll_ = verticalScrollBar()->value();
}

void DataGrid::restorePlace() {
    const QModelIndex place = model()->index(savedRow_, savedColumn_);
    if (place.isValid()) setCurrentIndex(place);
    verticalScrollBar()->setValue(savedScroll_);
}

void DataGrid::setKeyFilter(KeyFilter* filter) {
    QAbstractItemDelegate* old = itemDelegate();
    setItemDelegate(new FilteredDelegate(filter, this));
    delete old;
    filter->watch(this);
}

void DataGrid::showCell(int column, int row) {
    const QModelIndex target = model() ? model()->index(row - 1, column) : QModelIndex();
    if (target.isValid()) {
        setCurrentIndex(target);
        scrollTo(target);
    }
    setFocus(Qt::OtherFocusReason);
    // With the editor always shown, typing goes to the current cell's editor
    // (already open when the move itself opened it).
    if (target.isValid() && (model()->flags(target) & Qt::ItemIsEditable) &&
        state() != QAbstractItemView::EditingState)
        edit(target);
}

void DataGrid::keyPressEvent(QKeyEvent* event) {
    // A character typed while the grid itself has the focus belongs to the
    // open editor of the current cell, not to a fresh one.
    QWidget* editor = indexWidget(currentIndex());
    if (editor && !event->text().isEmpty()) {
        editor->setFocus(Qt::OtherFocusReason);
        QCoreApplication::sendEvent(editor, event);
        return;
    }
    QTableView::keyPressEvent(event);
}

void DataGrid::leave(bool forward) {
    // From the grid itself, not from its cell's editor, which would come
    // back to the grid.
    setFocus(Qt::OtherFocusReason);
    QWidget::focusNextPrevChild(forward);
}

void DataGrid::commitEditor() {
    if (state() != QAbstractItemView::EditingState) return;
    if (QWidget* editor = indexWidget(currentIndex())) commitData(editor);
}

int DataGrid::currentGridRow() const {
    return currentIndex().isValid() ? currentIndex().row() + 1 : 0;
}

int DataGrid::currentGridColumn() const {
    return currentIndex().isValid() ? currentIndex().column() : 0;
}
