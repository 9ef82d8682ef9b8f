#pragma once

#include <functional>
#include <memory>

#include "device/ApplicationWindow.h"

class Dialogs;
class HidLibrary;
class Platform;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class Tform1;

// The six windows, created in the program's fixed order: the splash first (its
// 3 s are counted from here), then the main window, then the others.
class Programa {
  public:
    Programa(Platform& platform, Dialogs& dialogs, HidLibrary& hid);
    ~Programa();

    // Shows the splash; the event loop takes it from there.
    void run();

    ApplicationWindow applicationWindow;
    std::unique_ptr<TForm3> Form3;
    std::unique_ptr<Tform1> form1;
    std::unique_ptr<TForm2> Form2;
    std::unique_ptr<TForm4> Form4;
    std::unique_ptr<TForm5> Form5;
    std::unique_ptr<TForm6> Form6;
};

// The HID library of the program; it may tell the user things through dialogs.
using HidFactory = std::function<std::unique_ptr<HidLibrary>(Platform&, Dialogs&)>;

// What the program sets on the application object before any window exists.
void configureApplication();

// The program entry: the application object, the windows, the event loop.
int runPrograma(int argc, char** argv, const HidFactory& makeHid);
