#include "device/MemoryTypes.h"

const MemoryType& memoryType(std::uint8_t tipo) {
    return kMemoryTypes.at(tipo < kMemoryTypes.size() ? tipo : kTipoInicial);
}
