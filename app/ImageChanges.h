#pragma once

#include <QString>
#include <vector>

class AddressGridModel;

// Whether the memory image differs from what was last opened, saved or
// cleared: a cell whose text really differs, however it got there. Moving
// the cursor, switching the number format or reading what a cell already
// shows is no change; typing a value and then its old text back is none
// either.
class ImageChanges {
  public:
    explicit ImageChanges(const AddressGridModel& imagen);

    // The image as it is now is the one kept.
    void markKept();
    bool changed() const;

  private:
    const AddressGridModel& imagen_;
    // Texts share their data with the grid's until one is changed.
    std::vector<QString> kept_;
};
