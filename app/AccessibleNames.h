#pragma once

struct Form1Controls;

// What a screen reader says of each control of the main window, and what it
// is for. Every name holds the visible caption, so a speech-input user can
// say what they see; labels whose text changes (the programmer's state, the
// checksums, the progress) keep their text as their name.
void nameControls(const Form1Controls& controls);
