#include "view/ImageHistory.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "view/AddressGridModel.h"

namespace {
// Above this many cells a step is put back as one change of the column.
constexpr std::size_t kCellByCell = 256;
constexpr std::uint8_t kLong = 0xFF;
}  // namespace

void ImageHistory::Texts::add(QStringView text) {
    // Most texts are a few ASCII digits: they go in as they are, without a
    // conversion of their own.
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    const qsizetype start = chars.size();
    if (ascii) {
        const qsizetype needed = start + text.size();
        if (needed > chars.capacity()) chars.reserve(std::max(needed, 2 * chars.capacity()));
        chars.resize(needed);
        char* out = chars.data() + start;
        for (const QChar c : text) *out++ = static_cast<char>(c.unicode());
    } else {
        chars.append(text.toUtf8());
    }
    const qsizetype size = chars.size() - start;
    // The same text as the run before: one more cell of it.
    if (!lengths.empty() && size == start - lastStart &&
        std::memcmp(chars.constData() + lastStart, chars.constData() + start,
                    static_cast<std::size_t>(size)) == 0) {
        chars.truncate(start);
        const auto run = static_cast<std::uint32_t>(lengths.size() - 1);
        if (repeats.empty() || repeats.back().first != run) repeats.push_back({run, 0});
        ++repeats.back().second;
        return;
    }
    lastStart = start;
    if (size < kLong) {
        lengths.push_back(static_cast<std::uint8_t>(size));
    } else {
        lengths.push_back(kLong);
        longLengths.push_back(static_cast<std::uint32_t>(size));
    }
}

void ImageHistory::Texts::squeeze() {
    chars.squeeze();
    lengths.shrink_to_fit();
    longLengths.shrink_to_fit();
    repeats.shrink_to_fit();
}

std::size_t ImageHistory::Texts::bytes() const {
    return static_cast<std::size_t>(chars.capacity()) + lengths.capacity() +
           longLengths.capacity() * sizeof(std::uint32_t) + repeats.capacity() * sizeof(repeats[0]);
}

// The texts of a step, one after the other.
class ImageHistory::Texts::Reader {
  public:
    explicit Reader(const Texts& texts) : texts_(texts) {}
    QString next() {
        advance();
        return current();
    }
    QString current() {
        if (!made_) text_ = QString::fromUtf8(start_, length_), made_ = true;
        return text_;
    }
    // Whether the current text is this one, without making a string of it
    // when it is plain ASCII, as a byte's text is.
    bool currentIs(const QString& text) {
        if (made_) return text == text_;
        const bool ascii = std::none_of(start_, start_ + length_, [](char c) { return c & 0x80; });
        if (!ascii) return text == current();
        if (text.size() != length_) return false;
        for (qsizetype i = 0; i < length_; ++i)
            if (text[i].unicode() != static_cast<unsigned char>(start_[i])) return false;
        return true;
    }
    // On to the next cell: the same text again, or the next run's.
    void advance() {
        if (left_ > 0) {
            --left_;
            return;
        }
        std::uint32_t length = texts_.lengths[run_];
        if (length == kLong) length = texts_.longLengths[long_++];
        start_ = texts_.chars.constData() + offset_;
        length_ = length;
        made_ = false;
        offset_ += length;
        if (repeat_ < texts_.repeats.size() && texts_.repeats[repeat_].first == run_)
            left_ = texts_.repeats[repeat_++].second;
        ++run_;
    }

    const Texts& texts_;
    std::size_t run_ = 0;
    std::size_t long_ = 0;
    std::size_t repeat_ = 0;
    std::uint32_t left_ = 0;
    qsizetype offset_ = 0;
    const char* start_ = nullptr;
    qsizetype length_ = 0;
    bool made_ = false;
    QString text_;
};

void ImageHistory::Step::add(std::uint32_t address) {
    // A run (a read, a fill) needs no list; the first address out of it
    // makes one.
    if (addresses.empty() && (count == 0 || address == first + count)) {
        if (count == 0) first = address;
        ++count;
        return;
    }
    if (addresses.empty())
        for (std::uint32_t cell = 0; cell < count; ++cell) addresses.push_back(first + cell);
    addresses.push_back(address);
    ++count;
}

void ImageHistory::Step::compact() {
    // A run of addresses needs no list.
    bool run = !addresses.empty();
    for (std::size_t cell = 1; run && cell < addresses.size(); ++cell)
        run = addresses[cell] == addresses[0] + cell;
    if (run) {
        first = addresses.front();
        std::vector<std::uint32_t>().swap(addresses);
    } else {
        addresses.shrink_to_fit();
    }
    before.squeeze();
    after.squeeze();
}

std::size_t ImageHistory::Step::bytes() const {
    return sizeof(Step) + addresses.capacity() * sizeof(std::uint32_t) + before.bytes() +
           after.bytes();
}

ImageHistory::ImageHistory(AddressGridModel& image, QObject* parent)
    : QObject(parent), image_(image) {
    image_.setJournal(
        {[this] { beginStep(); },
         [this](std::size_t address, const QString& before) { noteChange(address, before); },
         [this](const std::vector<QString>& texts) { noteColumnBefore(texts); },
         [this](const std::vector<QString>& texts) { noteColumnAfter(texts); },
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

QString ImageHistory::textAt(std::uint32_t address) const {
    return image_.cell(kDataColumn, static_cast<int>(address) + 1);
}

void ImageHistory::noteChange(std::size_t address, const QString& before) {
    if (applying_) return;
    if (address >= openTouched_.size()) openTouched_.resize(address + 1, false);
    // A cell changed twice in a step keeps the text it had before the first.
    if (openTouched_[address]) return;
    openTouched_[address] = true;
    open_.add(static_cast<std::uint32_t>(address));
    open_.before.add(before);
}

void ImageHistory::noteColumnBefore(const std::vector<QString>& texts) {
    if (applying_) return;
    snapshot_ = Texts{};
    snapshotSize_ = texts.size();
    for (const QString& text : texts) snapshot_.add(text);
}

void ImageHistory::noteColumnAfter(const std::vector<QString>& texts) {
    if (applying_) return;
    Texts::Reader before(snapshot_);
    for (std::size_t address = 0; address < texts.size(); ++address) {
        if (address >= snapshotSize_) {
            if (!texts[address].isEmpty()) noteChange(address, QString());
        } else {
            before.advance();
            if (!before.currentIs(texts[address])) noteChange(address, before.current());
        }
    }
    snapshot_ = Texts{};
}

void ImageHistory::closeStep() {
    Step open = std::exchange(open_, Step{});
    // Which cells really changed: typed and typed back is no change.
    std::vector<bool> changedCell(open.count);
    std::size_t changedCount = 0;
    Texts::Reader was(open.before);
    for (std::size_t cell = 0; cell < open.count; ++cell) {
        const std::uint32_t address = open.address(cell);
        openTouched_[address] = false;
        changedCell[cell] = textAt(address) != was.next();
        changedCount += changedCell[cell];
    }
    Step step;
    if (changedCount == open.count) {
        // The usual case: the texts before are kept as they were noted.
        step.first = open.first;
        step.count = open.count;
        step.addresses = std::move(open.addresses);
        step.before = std::move(open.before);
        for (std::size_t cell = 0; cell < step.count; ++cell)
            step.after.add(textAt(step.address(cell)));
    } else {
        Texts::Reader before(open.before);
        for (std::size_t cell = 0; cell < open.count; ++cell) {
            const QString text = before.next();
            if (!changedCell[cell]) continue;
            const std::uint32_t address = open.address(cell);
            step.add(address);
            step.before.add(text);
            step.after.add(textAt(address));
        }
    }
    if (step.count == 0) return;
    step.compact();
    // A new step after undoing drops the steps that were undone.
    while (steps_.size() > position_) {
        bytes_ -= steps_.back().bytes();
        steps_.pop_back();
    }
    if (keptPosition_ > position_) keptLost_ = true;
    if (referencePosition_ > position_) referenceLost_ = true;
    bytes_ += step.bytes();
    steps_.push_back(std::move(step));
    position_ = steps_.size();
    trim();
    emit changed();
}

void ImageHistory::trim() {
    while (!steps_.empty() && (steps_.size() > kMostSteps || bytes_ > kMostBytes)) {
        bytes_ -= steps_.front().bytes();
        steps_.pop_front();
        --position_;
        // The image kept was before the step let go: it cannot be told again.
        if (keptPosition_ == 0)
            keptLost_ = true;
        else
            --keptPosition_;
        if (referencePosition_ == 0)
            referenceLost_ = true;
        else
            --referencePosition_;
    }
}

void ImageHistory::apply(const Step& step, bool forward) {
    Texts::Reader texts(forward ? step.after : step.before);
    applying_ = true;
    if (step.count > kCellByCell) {
        image_.updateColumn(kDataColumn, [&](std::vector<QString>& column) {
            for (std::size_t cell = 0; cell < step.count; ++cell) {
                const std::uint32_t address = step.address(cell);
                if (address >= column.size()) column.resize(address + 1);
                column[address] = texts.next();
            }
        });
    } else {
        for (std::size_t cell = 0; cell < step.count; ++cell)
            image_.setCell(kDataColumn, static_cast<int>(step.address(cell)) + 1, texts.next());
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
    markReference();
}

std::unordered_map<std::uint32_t, QString> ImageHistory::textsAt(std::size_t position) const {
    // The text each cell had then, for the cells the steps between then and
    // now changed.
    std::unordered_map<std::uint32_t, QString> then;
    const auto note = [&](const Step& step, const Texts& texts) {
        Texts::Reader reader(texts);
        for (std::size_t cell = 0; cell < step.count; ++cell)
            then.try_emplace(step.address(cell), reader.next());
    };
    if (position <= position_) {
        for (std::size_t s = position; s < position_; ++s) note(steps_[s], steps_[s].before);
    } else {
        for (std::size_t s = position; s-- > position_;) note(steps_[s], steps_[s].after);
    }
    note(open_, open_.before);
    return then;
}

bool ImageHistory::changedSinceKept() const {
    if (keptLost_) return true;
    for (const auto& [address, text] : textsAt(keptPosition_))
        if (textAt(address) != text) return true;
    return false;
}

void ImageHistory::markReference() {
    referencePosition_ = position_;
    referenceLost_ = false;
    emit changed();
}

std::vector<std::uint32_t> ImageHistory::changedSinceReference() const {
    // Steps let go of: what the oldest one kept still tells.
    std::vector<std::uint32_t> changed;
    for (const auto& [address, text] : textsAt(referenceLost_ ? 0 : referencePosition_))
        if (textAt(address) != text) changed.push_back(address);
    std::sort(changed.begin(), changed.end());
    return changed;
}
