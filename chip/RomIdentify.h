#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "chip/RomCatalogue.h"

// What a dump is, by the catalogues: the whole image, its halves and
// quarters, its two and four lanes and the image with the bytes of each
// word swapped are each sought by size and CRC-32 (and SHA-1 where the
// catalogue gives it), since arcade boards split one program over chips.
namespace chip {

struct ImagePart {
    QString name;  // "imagen entera", "carril impar", "segunda mitad"...
    std::vector<std::uint8_t> bytes;
};
// The parts sought; the swapped image only when swapping changes it.
std::vector<ImagePart> partsOf(const std::vector<std::uint8_t>& image);

struct RomMatch {
    QString part;
    QString catalogue;
    QString set;
    QString rom;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    bool sha1Checked = false;
    RomEntry::Status status = RomEntry::Status::Good;
    // "carril impar = set pacman, rom pacman.6f (CRC 1A6FB2D4)"
    QString text(bool withCatalogue) const;
};

// The closest entry of the image's size, when no part matched and the
// entry's bytes were found in a ROM folder: a guess, and said so.
struct RomGuess {
    QString catalogue;
    QString set;
    QString rom;
    QString file;
    double share = 0;
};

struct Identification {
    std::vector<RomMatch> matches;
    // Entries of the size of the image or of a part that no dump exists of.
    std::size_t noDumps = 0;
    std::optional<RomGuess> guess;
    // An image of one value everywhere is not sought: this is the value.
    std::optional<std::uint8_t> constant;
    std::size_t catalogues = 0;
    std::size_t entries = 0;
    // The lines a person reads, in Spanish.
    QStringList lines() const;
};

std::uint32_t crc32Of(const std::vector<std::uint8_t>& bytes);

// romFolder, when given, is searched (files and zips, folders within) for
// the bytes of the entries of the image's size.
Identification identify(const std::vector<std::uint8_t>& image,
                        const std::vector<RomCatalogue>& catalogues, const QString& romFolder = {});

}  // namespace chip
