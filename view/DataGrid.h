#pragma once

#include <QTableView>
#include <vector>

class KeyFilter;
class AddressGridModel;

// The look and behaviour shared by the memory grids: a fixed address column,
// a header row, bold red texts, rows of 24 pixels, the current data cell ready
// for typing.
class DataGrid : public QTableView {
    Q_OBJECT
  public:
    DataGrid(const std::vector<int>& columnWidths, QWidget* parent = nullptr);

    void setGridModel(AddressGridModel* model);
    // Every cell editor is guarded by this filter, and so is typing into the grid.
    void setKeyFilter(KeyFilter* filter);
    // Makes a cell (grid rows: 1 for address 0) current, scrolls it into view
    // and gives the grid the focus.
    void showCell(int column, int row);
    // What is being typed into the open cell goes into the image; the cell
    // stays open for more.
    void commitEditor();
    // The focus to the next (or the previous) control of the window.
    void leave(bool forward);
    int currentGridRow() const;
    int currentGridColumn() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void rememberPlace();
    void restorePlace();

    std::vector<int> widths_;
    int savedRow_ = -1;
    int savedColumn_ = -1;
    int savedScroll_ = 0;
};
