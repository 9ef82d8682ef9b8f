// The session's images: a file read through the image library, placed on
// the chip as the options say, and what a read gives written back the same way.
#include "cli/Messages.h"
#include "cli/Session.h"
#include "image/ImageIo.h"
#include "image/MemoryFile.h"

namespace cli {

namespace {
QString givesNoByte(const QString& subject) {
    return QStringLiteral("%1 no da ningún byte: no hay nada que usar").arg(subject);
}
}  // namespace

image::Refusal Session::refusalIn(const image::Refusal& refusal) const {
    image::Refusal worded = refusal;
    worded.text = refusal.wording([this](std::uint64_t address) { return addressText(address); });
    worded.addresses.clear();
    return worded;
}

Session::ImageFile Session::readImageFile(const QString& path) {
    const QString name = pathShown(path, QStringLiteral("la entrada estándar"));
    std::optional<FileFormat> format = options_.formato;
    if (!format && path != QLatin1String("-")) format = image::formatOfPath(path);
    ImageFile file{readInput(path), FileFormat::Binary};
    if (file.bytes.isEmpty()) fail(kUsoInvalido, givesNoByte(subject(path)));
    const bool sniffed = !format;
    if (!format) {
        format = image::formatOfBytes(file.bytes);
        if (!format)
            fail(kUsoInvalido, QStringLiteral("No se sabe el formato de %1: no es Intel HEX, "
                                              "S-records ni un archivo de memoria; indíquelo con "
                                              "--formato bin | hex | srec | mem")
                                   .arg(name));
    }
    file.format = *format;
    lastFormatText_ = QStringLiteral("Formato: %1%2")
                          .arg(image::formatName(*format),
                               sniffed ? QStringLiteral(" (por su contenido)") : QString());
    if (sniffed && !options_.silencioso) say(lastFormatText_);
    return file;
}

// A file's name as the subject of a sentence; never capitalised, for a
// name is what it is.
QString Session::subject(const QString& path) const {
    return path == QLatin1String("-") ? QStringLiteral("La entrada estándar") : shown(path);
}

QString Session::imageFileName(const QString& path) const {
    return path == QLatin1String("-") ? QStringLiteral("la entrada estándar")
                                      : shown(memory_file::nameOf(path));
}

image::Map Session::readImageMap(const QString& path) {
    const ImageFile file = readImageFile(path);
    auto read = image::readFileMap(file.format, file.bytes);
    if (const auto* refusal = image::refusalOf(read))
        fail(kUsoInvalido, QStringLiteral("No se puede usar %1:\n%2")
                               .arg(imageFileName(path), refusalIn(*refusal).text));
    image::MapRead& map = std::get<image::MapRead>(read);
    for (const QString& warning : map.warnings)
        say(QStringLiteral("Aviso: %1: %2").arg(imageFileName(path), warning));
    if (map.map.empty()) fail(kUsoInvalido, givesNoByte(subject(path)));
    return std::move(map.map);
}

Wanted Session::loadWanted(const QString& path) {
    const ImageFile file = readImageFile(path);
    const image::Range range{first(), last()};
    auto result = image::load(file.bytes, file.format, options_.placement(), range, type().maxdir);
    if (const auto* refusal = image::refusalOf(result))
        fail(kUsoInvalido, QStringLiteral("No se puede usar %1:\n%2")
                               .arg(imageFileName(path), refusalIn(*refusal).text));
    image::Loaded& loaded = std::get<image::Loaded>(result);
    if (loaded.given == 0) fail(kUsoInvalido, givesNoByte(subject(path)));
    for (const QString& warning : loaded.warnings)
        say(QStringLiteral("Aviso: %1: %2").arg(imageFileName(path), warning));
    const QString rangeText = addressText(first()) + QStringLiteral("–") + addressText(last());
    // Said even with -q: a byte of the file that is not used is news.
    if (loaded.outside > 0)
        say((loaded.outside == 1
                 ? QStringLiteral("Se omite 1 byte del archivo fuera de %1")
                 : QStringLiteral("Se omiten %1 bytes del archivo fuera de %2").arg(loaded.outside))
                .arg(rangeText));
    if (loaded.map.empty())
        fail(kUsoInvalido,
             QStringLiteral("%1 no da ningún byte en %2").arg(subject(path), rangeText));
    Wanted wanted;
    wanted.map = std::move(loaded.map);
    wanted.filled = options_.rellenar.has_value();
    wanted.bytes.assign(memorySize(), options_.rellenar.value_or(image::kBlank));
    wanted.given.assign(memorySize(), false);
    wanted.map.forEach([&](std::uint64_t address, std::uint8_t byte) {
        wanted.bytes[address] = byte;
        wanted.given[address] = true;
    });
    wanted.addresses = wanted.map.size();
    imageName_ = path == QLatin1String("-") ? path : memory_file::nameOf(path);
    return wanted;
}

void Session::checkOutputPlacement(FileFormat format) {
    if (const auto refusal = image::saveRefusal(format, options_.placement(), {first(), last()}))
        fail(kUsoInvalido,
             QStringLiteral("No se puede leer en ese archivo: %1").arg(refusalIn(*refusal).text));
}

void Session::beforeWrite(std::uint32_t address) {
    if (serialBurning_ || !options_.serie || !context_.serial) return;
    const SerialLayout& layout = *options_.serie;
    if (address < layout.address || address - layout.address >= layout.bytes) return;
    serialBurning_ = true;
    if (context_.burning)
        if (const auto failure = context_.burning(*context_.serial)) fail(kUsoInvalido, *failure);
}

image::Bytes Session::memoryBytes(const QString& path, const image::Map& map, std::size_t size) {
    if (map.highest() >= size)
        fail(kUsoInvalido, QStringLiteral("%1 pasa de la última dirección de la memoria, %2")
                               .arg(shown(path), addressText(size - 1)));
    image::Bytes bytes(size, image::kBlank);
    map.forEach([&](std::uint64_t a, std::uint8_t byte) { bytes[a] = byte; });
    return bytes;
}

void Session::placeSerial(Wanted& wanted) {
    if (!options_.serie) return;
    // The number comes after the socket check, which may have written its
    // patterns in the range: a refusal now says so, since the chip changed.
    const auto refuse = [this](const QString& why) {
        fail(kUsoInvalido,
             socketWrites_ == 0
                 ? why
                 : why + QStringLiteral("\nLa comprobación del zócalo ya había escrito %1 de "
                                        "prueba en el rango; la orden no escribió nada más")
                             .arg(counted(socketWrites_, "byte", "bytes")));
    };
    if (context_.reserve && !context_.serial)
        if (const auto failure = context_.reserve(context_.serial)) refuse(*failure);
    if (!context_.serial)
        refuse(QStringLiteral("No quedan números de serie: el último posible ya se dio"));
    const SerialLayout& layout = *options_.serie;
    const auto bytes = serialBytes(layout, *context_.serial);
    if (!bytes)
        refuse(QStringLiteral("El número de serie %1 no cabe en %2 (%3)")
                 .arg(*context_.serial)
                 .arg(counted(layout.bytes, "byte", "bytes"), serialFormatName(layout.format)));
    const std::uint64_t end = std::uint64_t{layout.address} + layout.bytes - 1;
    if (layout.address < first() || end > last())
        refuse(QStringLiteral("--serie: %1–%2 queda fuera del rango %3–%4")
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
