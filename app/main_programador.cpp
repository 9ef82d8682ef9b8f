#include "app/Programa.h"
#include "device/HidapiLibrary.h"

int main(int argc, char** argv) {
    return runPrograma(argc, argv, [](Platform&) { return std::make_unique<HidapiLibrary>(); });
}
