#pragma once

#include <QTableView>
#include <cstdint>
#include <optional>

#include "view/KeyFilter.h"
#include "view/NumberFormat.h"

class Dialogs;
class HexRowModel;

// The bytes of a hex view: a cursor on one address, a selection that runs
// from an anchor to the cursor through every address between (as hex
// editors select, not a rectangle), and two hexadecimal digits typed that
// write a byte. Whatever else is typed is refused as the main grid refuses it.
class HexTable : public QTableView {
    Q_OBJECT
  public:
    // Addresses first to last, both included.
    struct Span {
        std::size_t first = 0;
        std::size_t last = 0;
        std::size_t size() const { return last - first + 1; }
    };

    // Where a moved cursor is scrolled to: into view, or to the middle (a
    // match, a go-to target), so that what is around it shows too.
    enum class Scroll { IntoView, ToMiddle };

    HexTable(HexRowModel& model, Dialogs& dialogs, QWidget* parent = nullptr);

    std::size_t cursor() const { return cursor_; }
    Span selection() const;
    // The cursor to an address; extending keeps the anchor where it is.
    void moveTo(std::size_t address, bool extend, Scroll scroll = Scroll::IntoView);
    // Anchor and cursor at once, the cursor where the eye should go.
    void selectSpan(std::size_t anchor, std::size_t cursor, Scroll scroll = Scroll::IntoView);
    // Typing goes into the text column: a character writes its code.
    bool textSide() const { return textSide_; }
    void setTextSide(bool textSide);
    // While not editable, typed digits write nothing.
    void setEditable(bool editable) { editable_ = editable; }
    // While an operation runs, ESC is its cancel key.
    void setEscapePasses(bool passes) { filter_.setEscapePasses(passes); }
    // The first digit of a byte being typed, if any.
    std::optional<int> pendingDigit() const { return pending_; }

  signals:
    void cursorMoved(std::size_t address);
    void spanChanged();
    // A digit was typed while the image may not change.
    void typedWhileLocked();
    // Something typed was not taken: why, for the status line.
    void refused(const QString& why);
    void textSideChanged(bool textSide);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void sizeCells();
    void showSpan(Scroll scroll = Scroll::IntoView);
    // A first digit given up on, said so on the status line.
    void dropPending();
    void afterReset();
    bool typeDigit(const QString& text);
    bool typeCharacter(const QString& text);
    void write(std::uint8_t value);
    std::optional<std::size_t> addressAt(QPoint position) const;
    std::size_t lastAddress() const;
    int rowsPerPage() const;

    HexRowModel& model_;
    // The view takes hexadecimal digits in either number format.
    NumberFormat hexDigits_{1, u'h'};
    KeyFilter filter_;
    std::size_t cursor_ = 0;
    std::size_t anchor_ = 0;
    std::optional<int> pending_;
    bool editable_ = true;
    bool dragging_ = false;
    bool textSide_ = false;
};
