#include <cstdio>

#include "app/InfoOptions.h"
#include "app/Programa.h"
#include "device/EmulatedFaults.h"
#include "device/Firmware.h"
#include "device/VirtualProgrammer.h"

namespace {
const QString kUso = QStringLiteral(
    "Uso: programador-virtual [--help] [--version]\n"
    "\n"
    "El Programador de Memorias con un programador emulado, conectado desde el\n"
    "inicio y al ritmo del real (un informe por trama USB de 1 ms): la misma\n"
    "ventana, los mismos tipos de memoria y las mismas operaciones, sin\n"
    "hardware. Sirve para aprender el programa y para probarlo. La EEPROM y\n"
    "las PROM emuladas empiezan borradas (FF) y las RAM en 0; nada se guarda\n"
    "al salir. ESC cancela una operación.\n"
    "\n"
    "Opciones:\n"
    "  --help     esta ayuda\n"
    "  --version  versión y licencia\n"
    "\n"
    "Para pruebas, PROGRAMADOR_FALLO_VIRTUAL pone una memoria con fallos en el\n"
    "zócalo, con los nombres de --fallo-virtual de programador-cli separados por\n"
    "comas: vacio, vacio-ff, menor=B, bit=D:V, protegida.\n"
    "\n"
    "Con el programador real: programador.\n");
}  // namespace

int main(int argc, char** argv) {
    if (const auto status =
            answerInfoOptions(argc, argv, QStringLiteral("programador-virtual"), kUso))
        return *status;
    const QStringList faults =
        qEnvironmentVariable("PROGRAMADOR_FALLO_VIRTUAL").split(u',', Qt::SkipEmptyParts);
    for (const QString& fault : faults)
        if (!isChipFault(fault.trimmed())) {
            std::fprintf(
                stderr, "%s\n",
                qPrintable(QStringLiteral("PROGRAMADOR_FALLO_VIRTUAL: %1 no es un fallo "
                                          "(vacio, vacio-ff, menor=B, bit=D:V o protegida)")
                               .arg(fault)));
            return 2;
        }
    return runPrograma(argc, argv, [faults](Platform& platform, Dialogs&) {
        auto programmer = std::make_unique<VirtualProgrammer>(platform);
        programmer->setRecording(false);
        // Paced like the real link, one report per 1 ms USB frame.
        programmer->setFullSpeedFrames(true);
        for (const QString& fault : faults)
            applyChipFault(programmer->firmware(), fault.trimmed(), 1);
        return programmer;
    });
}
