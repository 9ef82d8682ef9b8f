#include "cli/Targets.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>

#include "cli/Messages.h"
#include "cli/Session.h"
#include "image/SafeIo.h"

namespace cli {

namespace {
bool standard(const Target& target) {
    return target.path == QLatin1String("-");
}

QString named(const Target& target, const QString& stream) {
    return QStringLiteral("%1 (%2)").arg(pathShown(target.path, stream), target.what);
}

std::optional<QString> unwritable(const Target& target, const Streams& streams) {
    if (standard(target))
        return streams.outClosed ? std::optional<QString>(QStringLiteral(
                                       "No se puede escribir en la salida estándar: está cerrada"))
                                 : std::nullopt;
    const int error = safe_io::checkWritable(target.path);
    if (error == 0) return std::nullopt;
    const QString folder = QFileInfo(target.path).absolutePath();
    if (error == ENOENT && !QFileInfo(folder).isDir())
        return QStringLiteral("No se puede escribir %1: no existe la carpeta %2")
            .arg(named(target, {}), shown(folder));
    return QStringLiteral("No se puede escribir %1: %2")
        .arg(named(target, {}), safe_io::reason(error));
}

// Two names of one file: the same file on disk, or the same path for one
// not made yet.
struct Where {
    std::optional<safe_io::Identity> identity;
    QString path;
    bool operator==(const Where& other) const {
        if (identity && other.identity) return *identity == *other.identity;
        return !path.isEmpty() && path == other.path;
    }
};

Where whereOf(const Target& target, int standardFd) {
    if (standard(target)) {
        // Only a regular file behind a standard stream can be another name.
        const auto identity = safe_io::identityOfFd(standardFd);
        if (identity && identity->regular) return {identity, {}};
        return {std::nullopt, {}};
    }
    return {safe_io::identityOf(target.path),
            QDir::cleanPath(QFileInfo(target.path).absoluteFilePath())};
}

struct Named {
    Target target;
    Where where;
    QString stream;
};
}  // namespace

std::optional<QString> refusal(const Targets& targets, const Streams& streams) {
    if (streams.inClosed)
        for (const Target& input : targets.inputs)
            if (standard(input))
                return QStringLiteral("No se puede leer la entrada estándar: está cerrada");
    for (const Target& output : targets.outputs)
        if (auto why = unwritable(output, streams)) return why;
    if (targets.chip && !standard(*targets.chip) && !QFileInfo::exists(targets.chip->path))
        if (auto why = unwritable(*targets.chip, streams)) return why;

    const QString entrada = QStringLiteral("la entrada estándar");
    const QString salida = QStringLiteral("la salida estándar");
    std::vector<Named> written;
    for (const Target& output : targets.outputs)
        written.push_back({output, whereOf(output, STDOUT_FILENO), salida});
    if (targets.chip) written.push_back({*targets.chip, whereOf(*targets.chip, -1), {}});
    std::vector<Named> read;
    for (const Target& input : targets.inputs)
        read.push_back({input, whereOf(input, STDIN_FILENO), entrada});
    for (std::size_t i = 0; i < written.size(); ++i) {
        const Named& one = written[i];
        const auto same = [&](const Named& other) {
            return QStringLiteral("%1 es también %2")
                .arg(named(one.target, one.stream), named(other.target, other.stream));
        };
        for (std::size_t j = i + 1; j < written.size(); ++j)
            if (one.where == written[j].where) return same(written[j]);
        for (const Named& input : read)
            if (one.where == input.where) return same(input);
    }
    return std::nullopt;
}

}  // namespace cli
