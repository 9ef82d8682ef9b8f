#include "app/InfoOptions.h"
#include "app/Programa.h"
#include "device/HidapiLibrary.h"
#include "view/Dialogs.h"

namespace {
const QString kUso = QStringLiteral(
    "Uso: programador [--help] [--version]\n"
    "\n"
    "Programador de Memorias: lee, programa, verifica y compara memorias\n"
    "paralelas con el programador USB HID (vendedor 0x1234, producto 0x0001).\n"
    "Conoce cinco tipos de memoria: Sram 24 Pines (1024 bytes), Sram 28 Pines\n"
    "(8192), Eprom 28c64 (8192), Prom 27c512 (65536) y Prom 27c010 (131072).\n"
    "\n"
    "La imagen de la memoria se edita en una tabla de direcciones y datos: se\n"
    "escribe o se carga de un archivo, se programa una dirección, un rango, un\n"
    "relleno o la memoria completa (con relectura y reintentos), se lee, se\n"
    "compara con un archivo de memoria y se guarda. La ayuda completa está en\n"
    "el menú Ayuda > Topicos (F1).\n"
    "\n"
    "El programador se abre por hidraw. La regla de udev del paquete da acceso\n"
    "al usuario de la sesión local y al grupo plugdev.\n"
    "\n"
    "Opciones:\n"
    "  --help     esta ayuda\n"
    "  --version  versión y licencia\n"
    "\n"
    "Sin programador, para aprender o probar: programador-virtual.\n"
    "Para scripts y máquinas sin escritorio: programador-cli.\n");
}  // namespace

int main(int argc, char** argv) {
    if (const auto status = answerInfoOptions(argc, argv, QStringLiteral("programador"), kUso))
        return *status;
    return runPrograma(argc, argv, [](Platform&, Dialogs& dialogs) {
        return std::make_unique<HidapiLibrary>(
            [&dialogs](const QString& text) { dialogs.message(text); });
    });
}
