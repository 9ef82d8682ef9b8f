#pragma once

class ImageHistory;

// Whether the memory image differs from what was last opened, saved or
// cleared: a cell whose text really differs, however it got there. Moving
// the cursor, switching the number format or reading what a cell already
// shows is no change; typing a value and then its old text back is none
// either, and neither is undoing back to the image kept. The history keeps
// what changed, so no second copy of the image is needed.
class ImageChanges {
  public:
    explicit ImageChanges(ImageHistory& history);

    // The image as it is now is the one kept.
    void markKept();
    bool changed() const;

  private:
    ImageHistory& history_;
};
