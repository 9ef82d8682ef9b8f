#include "app/ImageChanges.h"

#include <algorithm>

#include "view/AddressGridModel.h"

ImageChanges::ImageChanges(const AddressGridModel& imagen) : imagen_(imagen) {
    markKept();
}

void ImageChanges::markKept() {
    kept_ = imagen_.column(kDataColumn);
}

bool ImageChanges::changed() const {
    const std::vector<QString>& now = imagen_.column(kDataColumn);
    // A row that exists on one side only counts as empty on the other.
    const auto text = [](const std::vector<QString>& texts, std::size_t at) {
        return at < texts.size() ? QStringView(texts[at]) : QStringView();
    };
    for (std::size_t at = 0; at < std::max(now.size(), kept_.size()); ++at)
        if (text(now, at) != text(kept_, at)) return true;
    return false;
}
