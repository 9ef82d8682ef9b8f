#include "app/Programa.h"
#include "device/VirtualProgrammer.h"

int main(int argc, char** argv) {
    return runPrograma(argc, argv, [](Platform& platform) {
        auto programmer = std::make_unique<VirtualProgrammer>(platform);
        programmer->setRecording(false);
        return programmer;
    });
}
