#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <variant>
#include <vector>

// A catalogue of known ROMs: a Logiqx datafile (<datafile>, <game> or
// <machine>, <rom name size crc sha1 status>) or MAME's own list (<mame>,
// <game> or <machine>), as a .dat or .xml file, or a .zip holding one. It
// is read with a streaming XML reader, and its index is kept beside it
// (NAME.indice), keyed by the catalogue's size and time, so that the next
// load reads no XML.
namespace chip {

struct RomEntry {
    enum class Status : std::uint8_t { Good, BadDump, NoDump };
    std::uint32_t set = 0;  // into RomCatalogue::sets
    QString rom;
    std::uint64_t size = 0;
    std::optional<std::uint32_t> crc;
    QByteArray sha1;  // 20 bytes, or none
    Status status = Status::Good;
};

class RomCatalogue {
  public:
    // The catalogue's own name (its header's), else its file name.
    QString name;
    QString path;
    std::vector<QString> sets;
    std::vector<RomEntry> entries;
    // Whether this load came from the index beside it.
    bool fromIndex = false;

    const QString& setOf(const RomEntry& entry) const { return sets[entry.set]; }
    // The entries of this size and CRC-32.
    std::vector<const RomEntry*> find(std::uint64_t size, std::uint32_t crc) const;
    bool hasSize(std::uint64_t size) const { return sizes_.count(size) > 0; }
    // The entries of this size that no dump exists of.
    std::size_t noDumps(std::uint64_t size) const;
    // Builds the lookups after entries change.
    void index();

  private:
    std::unordered_multimap<std::uint64_t, std::uint32_t> byKey_;
    std::unordered_map<std::uint64_t, std::size_t> sizes_;
    std::unordered_map<std::uint64_t, std::size_t> noDumps_;
};

// The catalogue, or why it was refused (in Spanish, naming the file).
// With useIndex, an index beside it that matches is read instead, and a
// fresh one written when it does not (silently skipped where the folder
// cannot be written).
std::variant<RomCatalogue, QString> loadCatalogue(const QString& path, bool useIndex = true);
// The XML of a catalogue, for tests and for a catalogue inside a zip.
std::variant<RomCatalogue, QString> parseCatalogue(const QByteArray& xml, const QString& shownName);

// Where catalogues are looked for when none is given:
// ~/.local/share/programador/catalogos.
QString catalogueFolder();
// The catalogues of that folder (.dat, .xml, .zip), sorted by name.
QStringList cataloguesIn(const QString& folder);

}  // namespace chip
