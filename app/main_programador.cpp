#include "app/Programa.h"
#include "device/HidapiLibrary.h"
#include "view/Dialogs.h"

int main(int argc, char** argv) {
    return runPrograma(argc, argv, [](Platform&, Dialogs& dialogs) {
        return std::make_unique<HidapiLibrary>(
            [&dialogs](const QString& text) { dialogs.message(text); });
    });
}
