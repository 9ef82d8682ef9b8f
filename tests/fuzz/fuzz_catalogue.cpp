// A catalogue of ROMs is a file from elsewhere: any bytes give a catalogue
// or a refusal that names the file, and a catalogue given is one whose
// every entry can be looked up again.
#include <cstdint>
#include <cstdlib>

#include "chip/RomCatalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray xml(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto result = chip::parseCatalogue(xml, QStringLiteral("f.dat"));
    if (const auto* refusal = std::get_if<QString>(&result)) {
        if (!refusal->contains(QStringLiteral("f.dat"))) std::abort();
        return 0;
    }
    const chip::RomCatalogue& catalogue = std::get<chip::RomCatalogue>(result);
    if (catalogue.entries.empty()) std::abort();
    for (const chip::RomEntry& entry : catalogue.entries) {
        if (entry.set >= catalogue.sets.size()) std::abort();
        if (!entry.crc) continue;
        bool found = false;
        for (const chip::RomEntry* same : catalogue.find(entry.size, *entry.crc)) found |= same == &entry;
        if (!found) std::abort();
    }
    return 0;
}
