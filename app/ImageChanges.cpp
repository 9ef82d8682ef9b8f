#include "app/ImageChanges.h"

#include "view/ImageHistory.h"

ImageChanges::ImageChanges(ImageHistory& history) : history_(history) {
    markKept();
}

void ImageChanges::markKept() {
    history_.markKept();
}

bool ImageChanges::changed() const {
    return history_.changedSinceKept();
}
