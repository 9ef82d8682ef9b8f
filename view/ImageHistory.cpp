#include "view/ImageHistory.h"

#include <unordered_map>

#include "view/AddressGridModel.h"

namespace {
// Above this many cells a step is put back as one change of the column.
constexpr std::size_t kCellByCell = 256;

std::size_t costOf(const QString& before, const QString& after) {
    return sizeof(std::uint32_t) + 2 * sizeof(QString) +
           sizeof(char16_t) * static_cast<std::size_t>(before.size() + after.size());
}
}  // namespace

ImageHistory::ImageHistory(AddressGridModel& image, QObject* parent)
    : QObject(parent), image_(image) {
    image_.setJournal({[this] { beginStep(); },
                       [this](std::size_t address, const QString& before) {
                           noteChange(address, before);
                       },
                       [this] { endStep(); }});
}

ImageHistory::~ImageHistory() {
    image_.setJournal({});
}

void ImageHistory::beginStep() {
    if (!applying_) ++depth_;
}

void ImageHistory::endStep() {
    if (applying_ || depth_ == 0) return;
    if (--depth_ == 0) closeStep();
}

void ImageHistory::noteChange(std::size_t address, const QString& before) {
    if (applying_) return;
    if (address >= openIndex_.size()) openIndex_.resize(address + 1, 0);
    // A cell changed twice in a step keeps the text it had before the first.
    if (openIndex_[address] != 0) return;
    open_.cells.push_back({static_cast<std::uint32_t>(address), before, QString()});
    openIndex_[address] = static_cast<std::uint32_t>(open_.cells.size());
}

void ImageHistory::closeStep() {
    Step step = std::exchange(open_, Step{});
    std::vector<Cell> kept;
    for (Cell& cell : step.cells) {
        openIndex_[cell.address] = 0;
        cell.after = image_.cell(kDataColumn, static_cast<int>(cell.address) + 1);
        // Typed and typed back within the step: no change.
        if (cell.after == cell.before) continue;
        step.bytes += costOf(cell.before, cell.after);
        kept.push_back(std::move(cell));
    }
    if (kept.empty()) return;
    step.cells = std::move(kept);
    // A new step after undoing drops the steps that were undone.
    while (steps_.size() > position_) {
        bytes_ -= steps_.back().bytes;
        steps_.pop_back();
    }
    if (keptPosition_ > position_) keptLost_ = true;
    bytes_ += step.bytes;
    steps_.push_back(std::move(step));
    position_ = steps_.size();
    trim();
    emit changed();
}

void ImageHistory::trim() {
    while (!steps_.empty() && (steps_.size() > kMostSteps || bytes_ > kMostBytes)) {
        bytes_ -= steps_.front().bytes;
        steps_.pop_front();
        --position_;
        // The image kept was before the step let go: it cannot be told again.
        if (keptPosition_ == 0)
            keptLost_ = true;
        else
            --keptPosition_;
    }
}

void ImageHistory::apply(const Step& step, bool forward) {
    applying_ = true;
    if (step.cells.size() > kCellByCell) {
        image_.updateColumn(kDataColumn, [&](std::vector<QString>& texts) {
            for (const Cell& cell : step.cells) {
                if (cell.address >= texts.size()) texts.resize(cell.address + 1);
                texts[cell.address] = forward ? cell.after : cell.before;
            }
        });
    } else {
        for (const Cell& cell : step.cells)
            image_.setCell(kDataColumn, static_cast<int>(cell.address) + 1,
                           forward ? cell.after : cell.before);
    }
    applying_ = false;
}

void ImageHistory::undo() {
    if (!canUndo() || depth_ > 0) return;
    apply(steps_[--position_], false);
    emit changed();
}

void ImageHistory::redo() {
    if (!canRedo() || depth_ > 0) return;
    apply(steps_[position_++], true);
    emit changed();
}

void ImageHistory::markKept() {
    keptPosition_ = position_;
    keptLost_ = false;
}

bool ImageHistory::changedSinceKept() const {
    if (keptLost_) return true;
    // The text each cell had when the image was kept, for the cells the
    // steps between then and now changed.
    std::unordered_map<std::uint32_t, QString> kept;
    if (keptPosition_ <= position_) {
        for (std::size_t s = keptPosition_; s < position_; ++s)
            for (const Cell& cell : steps_[s].cells) kept.try_emplace(cell.address, cell.before);
    } else {
        for (std::size_t s = keptPosition_; s-- > position_;)
            for (const Cell& cell : steps_[s].cells) kept.try_emplace(cell.address, cell.after);
    }
    for (const Cell& cell : open_.cells) kept.try_emplace(cell.address, cell.before);
    for (const auto& [address, text] : kept)
        if (image_.cell(kDataColumn, static_cast<int>(address) + 1) != text) return true;
    return false;
}
