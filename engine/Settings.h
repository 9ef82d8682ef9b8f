#pragma once

#include <QSet>
#include <QString>
#include <cstdint>
#include <optional>

#include "engine/SerialNumber.h"
#include "image/ImageFormats.h"
#include "image/JobFile.h"
#include "image/Placement.h"
#include "image/Refusal.h"

// What a programming job is, whoever asks for it: the window, the command
// line or a job file. A job file holds every field; the command line's
// options and the window's menus set them.
namespace engine {

struct Settings {
    std::optional<std::uint8_t> tipo;
    std::optional<std::uint32_t> desde;
    std::optional<std::uint32_t> hasta;
    bool verificar = true;
    std::int32_t reintentos = 1;
    // Off with --completa: every address written, as the window's default.
    bool rapida = true;
    // A PROM read before it is programmed, refused when it cannot take the image.
    bool comprobar = true;
    // The image: its file, its format and how its addresses lie on the chip.
    QString imagen;
    std::optional<image::Format> formato;
    std::int64_t desplazamiento = 0;
    std::optional<image::Lane> carril;
    bool intercambiar = false;
    // The byte of the gaps of the range, programmed and verified.
    std::optional<std::uint8_t> rellenar;
    std::optional<SerialLayout> serie;
    QString contador;
    QString registro;

    image::Placement placement() const {
        return image::Placement{desplazamiento, carril, intercambiar, rellenar};
    }
};

// A job's settings, and which of the job's keys gave them.
struct JobSettings {
    Settings settings;
    QSet<QString> keys;
};
// The job's texts read into settings; the refusal names the key, and the
// caller puts the job's name in front.
image::Result<JobSettings> settingsOf(const job::Job& job);
// The job that holds these settings; keys lists those to write (all, when empty).
job::Job jobOf(const Settings& settings, const QSet<QString>& keys = {});

// A job's seal: the SHA-256 of its settings (every key but the image's path
// and the seal) and that of its image's bytes, "AJUSTES:IMAGEN" in hexadecimal.
QString sealOf(const job::Job& job, const QByteArray& imageBytes);
// Why a sealed job no longer matches its seal, or nothing when it does.
std::optional<QString> sealBroken(const QString& seal, const job::Job& job,
                                  const QByteArray& imageBytes);

}  // namespace engine
