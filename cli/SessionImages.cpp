// The session's images: a file's bytes at its addresses, moved, swapped
// and laned to the chip's, and back again.
#include <cstdlib>

#include "cli/Messages.h"
#include "cli/Session.h"
#include "files/MemoryFile.h"

namespace cli {

image::Map Session::readImageMap(const QString& path) {
    const QString name = pathShown(path, QStringLiteral("la entrada estándar"));
    std::optional<FileFormat> format = options_.formato;
    if (!format && path != QLatin1String("-")) format = formatOfPath(path);
    const QByteArray bytes = readInput(path);
    const QString noByte =
        capitalized(QStringLiteral("%1 no da ningún byte: no hay nada que usar").arg(name));
    if (bytes.isEmpty()) fail(kUsoInvalido, noByte);
    const bool sniffed = !format;
    if (!format) {
        format = formatOfContents(bytes);
        if (!format)
            fail(kUsoInvalido, QStringLiteral("No se sabe el formato de %1: no es Intel HEX, "
                                              "S-records ni un archivo de memoria; indíquelo con "
                                              "--formato bin | hex | srec | mem")
                                   .arg(name));
    }
    lastFormatText_ =
        QStringLiteral("Formato: %1%2")
            .arg(formatName(*format), sniffed ? QStringLiteral(" (por su contenido)") : QString());
    if (sniffed && !options_.silencioso) say(lastFormatText_);
    // Without a type, a memory file may be as long as the largest memory.
    LoadedMap loaded =
        loadMap(bytes, *format, options_.tipo ? memorySize() : std::size_t{kLargestMemory});
    const QString fileName = path == QLatin1String("-") ? name : shown(memory_file::nameOf(path));
    if (loaded.fault)
        fail(kUsoInvalido, QStringLiteral("No se puede usar %1:\n%2").arg(fileName, *loaded.fault));
    for (const QString& warning : loaded.warnings)
        say(QStringLiteral("Aviso: %1: %2").arg(fileName, warning));
    if (loaded.map.empty()) fail(kUsoInvalido, noByte);
    return std::move(loaded.map);
}

image::Map Session::moved(image::Map map, const QString& name) {
    if (options_.desplazamiento != 0) {
        auto moved = image::shifted(map, options_.desplazamiento);
        if (!moved)
            fail(kUsoInvalido,
                 QStringLiteral("--desplazamiento: %1%2 lleva %3 fuera de las direcciones "
                                "0x0000–0xFFFFFFFF")
                     .arg(options_.desplazamiento < 0 ? QStringLiteral("-") : QString())
                     .arg(image::hexAddressText(
                         static_cast<std::uint64_t>(std::abs(options_.desplazamiento))))
                     .arg(name));
        map = std::move(*moved);
    }
    if (options_.intercambiar) map = image::swapped(map);
    return map;
}

image::Map Session::unmoved(image::Map map, const QString& name) {
    if (options_.intercambiar) map = image::swapped(map);
    if (options_.desplazamiento == 0) return map;
    auto back = image::shifted(map, -options_.desplazamiento);
    if (!back)
        fail(kUsoInvalido, QStringLiteral("--desplazamiento: lo leído no cabe en %1 en las "
                                          "direcciones 0x0000–0xFFFFFFFF")
                               .arg(name));
    return std::move(*back);
}

image::Map Session::chipAddresses(image::Map map, const QString& name) {
    map = moved(std::move(map), name);
    if (options_.carril) map = image::lane(map, options_.carril->k, options_.carril->n);
    std::uint64_t outside = 0;
    image::Map inside = image::cropped(map, first(), last(), &outside);
    const QString range = addressText(first()) + QStringLiteral("–") + addressText(last());
    // Said even with -q: a byte of the file that is not used is news.
    if (outside > 0)
        say((outside == 1
                 ? QStringLiteral("Se omite 1 byte del archivo fuera de %1")
                 : QStringLiteral("Se omiten %1 bytes del archivo fuera de %2").arg(outside))
                .arg(range));
    if (inside.empty())
        fail(kUsoInvalido,
             capitalized(QStringLiteral("%1 no da ningún byte en %2").arg(name, range)));
    return inside;
}

Wanted Session::loadWanted(const QString& path) {
    const QString name = pathShown(path, QStringLiteral("la entrada estándar"));
    Wanted wanted;
    wanted.map = chipAddresses(readImageMap(path), name);
    wanted.filled = options_.rellenar.has_value();
    wanted.bytes.assign(memorySize(), options_.rellenar.value_or(image::kBlank));
    wanted.given.assign(memorySize(), wanted.filled);
    wanted.map.forEach([&](std::uint64_t address, std::uint8_t byte) {
        wanted.bytes[address] = byte;
        wanted.given[address] = true;
    });
    wanted.addresses = wanted.filled ? rangeSize() : wanted.map.size();
    imageName_ = path == QLatin1String("-") ? path : memory_file::nameOf(path);
    return wanted;
}

void Session::placeSerial(Wanted& wanted) {
    if (!options_.serie) return;
    if (!context_.serial)
        fail(kUsoInvalido, QStringLiteral("No quedan números de serie: el último posible ya se "
                                          "dio"));
    const SerialLayout& layout = *options_.serie;
    const auto bytes = serialBytes(layout, *context_.serial);
    if (!bytes)
        fail(kUsoInvalido,
             QStringLiteral("El número de serie %1 no cabe en %2 (%3)")
                 .arg(*context_.serial)
                 .arg(counted(layout.bytes, "byte", "bytes"), serialFormatName(layout.format)));
    const std::uint64_t end = std::uint64_t{layout.address} + layout.bytes - 1;
    if (layout.address < first() || end > last())
        fail(kUsoInvalido, QStringLiteral("--serie: %1–%2 queda fuera del rango %3–%4")
                               .arg(addressText(layout.address), addressText(end),
                                    addressText(first()), addressText(last())));
    for (std::uint32_t i = 0; i < layout.bytes; ++i) {
        const std::uint32_t address = layout.address + i;
        if (!wanted.given[address]) ++wanted.addresses;
        wanted.bytes[address] = (*bytes)[i];
        wanted.given[address] = true;
        wanted.map.set(address, (*bytes)[i]);
    }
}

}  // namespace cli
