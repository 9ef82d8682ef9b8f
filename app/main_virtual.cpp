#include "app/Programa.h"
#include "device/VirtualProgrammer.h"

int main(int argc, char** argv) {
    return runPrograma(argc, argv, [](Platform& platform, Dialogs&) {
        auto programmer = std::make_unique<VirtualProgrammer>(platform);
        programmer->setRecording(false);
        // Paced like the real link, one report per 1 ms USB frame.
        programmer->setFullSpeedFrames(true);
        return programmer;
    });
}
