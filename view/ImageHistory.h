#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <deque>
#include <vector>

class AddressGridModel;

// Undo and redo over the memory image (the data column of the main grid):
// every change of a text, from any view or command, becomes part of a step
// that keeps only the cells it changed, their texts before and after. A
// change made between beginStep and endStep (an operation, a fill, an
// import) is one step; one made outside is a step of its own (a typed cell).
// At most kMostSteps steps or kMostBytes of texts are kept, the oldest going
// first. It also knows whether the image differs from the one kept (opened,
// saved, cleared): undoing back to it is no change.
class ImageHistory : public QObject {
    Q_OBJECT
  public:
    static constexpr std::size_t kMostSteps = 100;
    static constexpr std::size_t kMostBytes = 32u * 1024 * 1024;

    explicit ImageHistory(AddressGridModel& image, QObject* parent = nullptr);
    ~ImageHistory() override;

    // Nested calls make one step; the step ends with the outermost end.
    void beginStep();
    void endStep();

    bool canUndo() const { return position_ > 0; }
    bool canRedo() const { return position_ < steps_.size(); }
    void undo();
    void redo();

    // The image as it is now is the one kept; changedSinceKept tells whether
    // any text differs from it now.
    void markKept();
    bool changedSinceKept() const;

    std::size_t steps() const { return steps_.size(); }
    std::size_t bytes() const { return bytes_; }

  signals:
    // What may be undone or redone changed.
    void changed();

  private:
    struct Cell {
        std::uint32_t address;
        QString before;
        QString after;
    };
    struct Step {
        std::vector<Cell> cells;
        std::size_t bytes = 0;
    };

    void noteChange(std::size_t address, const QString& before);
    void closeStep();
    void apply(const Step& step, bool forward);
    void trim();

    AddressGridModel& image_;
    std::deque<Step> steps_;
    std::size_t position_ = 0;  // steps_[0..position_) are done
    std::size_t bytes_ = 0;
    int depth_ = 0;
    Step open_;
    std::vector<std::uint32_t> openIndex_;  // address -> cell + 1 in open_, 0 none
    bool applying_ = false;
    // Where the image was kept among the steps, and whether the steps back
    // to it are still here.
    std::size_t keptPosition_ = 0;
    bool keptLost_ = false;
};
