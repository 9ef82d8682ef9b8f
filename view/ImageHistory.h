#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <deque>
#include <unordered_map>
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
    // The image as it is now is the one last read or kept (markKept marks
    // it too); the addresses whose text differs from it now, ascending.
    void markReference();
    std::vector<std::uint32_t> changedSinceReference() const;

    std::size_t steps() const { return steps_.size(); }
    std::size_t bytes() const { return bytes_; }

  signals:
    // What may be undone or redone changed.
    void changed();

  private:
    // The texts of a step, one after the other in one UTF-8 buffer, read in
    // order: a whole-chip read keeps some 4 bytes a cell, not a string
    // object and its block each. A text repeated in the next cells is kept
    // once with its count (a cleared or filled range is a few bytes).
    struct Texts {
        QByteArray chars;
        std::vector<std::uint8_t> lengths;  // per run; kLong: the next of longLengths
        std::vector<std::uint32_t> longLengths;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> repeats;  // run, extra cells
        qsizetype lastStart = 0;  // where the last run's text begins in chars
        void add(QStringView text);
        void squeeze();
        std::size_t bytes() const;
        class Reader;
    };
    // The addresses of a step: a run first..first + count - 1 when they are
    // (a read, a fill, an import), else each one.
    struct Step {
        std::uint32_t first = 0;
        std::uint32_t count = 0;
        std::vector<std::uint32_t> addresses;
        Texts before;
        Texts after;
        std::uint32_t address(std::size_t cell) const {
            return addresses.empty() ? first + static_cast<std::uint32_t>(cell) : addresses[cell];
        }
        std::size_t bytes() const;
        void add(std::uint32_t address);
        void compact();
    };

    void noteChange(std::size_t address, const QString& before);
    void noteColumnBefore(const std::vector<QString>& texts);
    void noteColumnAfter(const std::vector<QString>& texts);
    void closeStep();
    void apply(const Step& step, bool forward);
    void trim();
    QString textAt(std::uint32_t address) const;
    // The texts the cells changed since position had then.
    std::unordered_map<std::uint32_t, QString> textsAt(std::size_t position) const;

    AddressGridModel& image_;
    std::deque<Step> steps_;
    std::size_t position_ = 0;  // steps_[0..position_) are done
    std::size_t bytes_ = 0;
    int depth_ = 0;
    Step open_;
    // A column as it was before a whole-column edit, kept compact.
    Texts snapshot_;
    std::size_t snapshotSize_ = 0;
    std::vector<bool> openTouched_;  // the addresses open_ holds
    bool applying_ = false;
    // Where the image was kept among the steps, and whether the steps back
    // to it are still here.
    std::size_t keptPosition_ = 0;
    bool keptLost_ = false;
    std::size_t referencePosition_ = 0;
    bool referenceLost_ = false;
};
