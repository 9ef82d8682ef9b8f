#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// The members of a zip file, read with libzip: a catalogue packed as
// distributed, or a folder of ROM sets. Opening fails in Spanish.
class ZipArchive {
  public:
    struct Member {
        QString name;
        std::uint64_t size;
        std::uint64_t index;
    };

    explicit ZipArchive(const QString& path);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Why it could not be opened, or nothing.
    const std::optional<QString>& refusal() const { return refusal_; }
    const std::vector<Member>& members() const { return members_; }
    // A member's bytes; nothing when it cannot be read or is larger than limit.
    std::optional<QByteArray> read(const Member& member, std::uint64_t limit) const;

  private:
    struct zip* archive_ = nullptr;
    std::vector<Member> members_;
    std::optional<QString> refusal_;
};
