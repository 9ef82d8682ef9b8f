#include "cli/ChipRun.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>

#include "cli/Command.h"
#include "cli/Messages.h"
#include "image/SafeIo.h"

namespace cli {

ChipOutcome runChip(const Options& options, Streams& streams, Station& station, ChipContext context,
                    Command& command, const QStringList& arguments) {
    QElapsedTimer clock;
    clock.start();
    Session session(options, streams, station, std::move(context));
    int code = kCorrecto;
    try {
        session.prepare(command, arguments);
        code = command.execute(session, arguments);
    } catch (const Exit& exit) {
        code = exit.code;
    }
    ChipOutcome outcome;
    outcome.numberUsed =
        code == kCorrecto && session.resultOf(kCorrecto) == QLatin1String("correcto");
    outcome.code = session.finish(command, code, double(clock.nsecsElapsed()) / 1e9);
    outcome.result = session.resultOf(outcome.code);
    outcome.verdict = session.verdict();
    outcome.serial = session.context().serial;
    return outcome;
}

int combinedCode(const std::vector<int>& codes) {
    for (const int code : {kInterrumpido, kDifiere, kSinProgramador, kSinMemoria, kUsoInvalido})
        if (std::find(codes.begin(), codes.end(), code) != codes.end()) return code;
    for (const int code : codes)
        if (code != kCorrecto) return code;
    return kCorrecto;
}

QString perChipPath(const QString& path, const QString& programmer, int sequence) {
    if (path == QLatin1String("-") || (programmer.isEmpty() && sequence == 0)) return path;
    if (const auto identity = safe_io::identityOf(path); identity && !identity->regular)
        return path;
    QString tag;
    if (!programmer.isEmpty()) tag += u'-' + programmer;
    if (sequence > 0) tag += QStringLiteral("-%1").arg(sequence, 3, 10, QLatin1Char('0'));
    const QFileInfo info(path);
    const QString suffix = info.completeSuffix();
    const QString base = suffix.isEmpty() ? path : path.left(path.size() - suffix.size() - 1);
    // A programmer's name may hold a slash or a blank: the file stays in its folder.
    tag.replace(u'/', u'_');
    return suffix.isEmpty() ? base + tag : base + tag + u'.' + suffix;
}

}  // namespace cli
