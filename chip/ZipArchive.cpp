#include "chip/ZipArchive.h"

#include <zip.h>

namespace {
// libzip's own words are English: the usual reasons, in ours.
QString whyNot(int error) {
    switch (error) {
        case ZIP_ER_NOZIP:
            return QStringLiteral("no es un zip");
        case ZIP_ER_INCONS:
            return QStringLiteral("es un zip dañado");
        case ZIP_ER_OPEN:
        case ZIP_ER_READ:
        case ZIP_ER_SEEK:
            return QStringLiteral("no se puede leer");
        case ZIP_ER_MEMORY:
            return QStringLiteral("no cabe en la memoria");
        default:
            break;
    }
    return QStringLiteral("no es un zip que se pueda leer (error %1 de libzip)").arg(error);
}
}  // namespace

ZipArchive::ZipArchive(const QString& path) {
    int error = 0;
    archive_ = zip_open(path.toLocal8Bit().constData(), ZIP_RDONLY, &error);
    if (!archive_) {
        refusal_ = whyNot(error);
        return;
    }
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive_, zip_uint64_t(i), 0, &stat) != 0) continue;
        if (!(stat.valid & ZIP_STAT_NAME) || !(stat.valid & ZIP_STAT_SIZE)) continue;
        members_.push_back({QString::fromUtf8(stat.name), stat.size, zip_uint64_t(i)});
    }
}

ZipArchive::~ZipArchive() {
    if (archive_) zip_discard(archive_);
}

std::optional<QByteArray> ZipArchive::read(const Member& member, std::uint64_t limit) const {
    if (!archive_ || member.size > limit) return std::nullopt;
    zip_file_t* file = zip_fopen_index(archive_, member.index, 0);
    if (!file) return std::nullopt;
    QByteArray bytes(qsizetype(member.size), '\0');
    qsizetype done = 0;
    while (done < bytes.size()) {
        const zip_int64_t got = zip_fread(file, bytes.data() + done, zip_uint64_t(bytes.size() - done));
        if (got <= 0) break;
        done += qsizetype(got);
    }
    zip_fclose(file);
    if (done != bytes.size()) return std::nullopt;
    return bytes;
}
