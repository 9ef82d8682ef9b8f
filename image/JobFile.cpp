#include "image/JobFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>

#include "image/SafeIo.h"
#include "image/Texts.h"

namespace job {

namespace {
// A job names a few files and options: anything larger is no job.
constexpr qint64 kMaxJobBytes = 1024 * 1024;
const QStringList kPathKeys = {"imagen", "contador", "registro"};
const QStringList kBooleanKeys = {"verificacion", "rapida", "comprobacion", "intercambiar"};
const QString kSi = QStringLiteral("si");
const QString kNo = QStringLiteral("no");

QString named(const QString& path) {
    return QStringLiteral("El trabajo %1").arg(shownText(path));
}

QString faultIn(const QString& path, const QString& what) {
    return named(path) + QStringLiteral(": ") + what;
}

std::optional<QString> yesOrNo(const QString& text) {
    const QString lower = text.trimmed().toLower();
    for (const char* yes : {"si", "sí", "true", "1"})
        if (lower == QString::fromUtf8(yes)) return kSi;
    for (const char* no : {"no", "false", "0"})
        if (lower == QLatin1String(no)) return kNo;
    return std::nullopt;
}

QString notABoolean(const QString& path, const QString& key, const QString& text) {
    return faultIn(path, QStringLiteral("%1 debe ser si o no: %2").arg(key, shownText(text)));
}

QString folderOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}

// QSettings gives a value with commas as a list: the text is the list joined.
QString textOf(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(u',');
    return value.toString();
}

bool isHexDigit(char16_t u) {
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

// Written without quotes, a value must say nothing QSettings would read
// otherwise: commas only between pieces, which are joined back as they were.
bool isPlain(const QString& text) {
    if (text.startsWith(u',') || text.endsWith(u',') || text.contains(QLatin1String(",,")))
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.isLetterOrNumber() || QStringLiteral("._-+/:,").contains(c);
    });
}

// A value as QSettings' INI reader takes it back, to the last character.
QString iniValue(const QString& text) {
    // A leading @ would announce a typed value.
    const QString value = text.startsWith(u'@') ? u'@' + text : text;
    if (isPlain(value)) return value;
    QString out(u'"');
    bool afterHexEscape = false;
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        // A hex escape takes every hex digit after it: one that follows is escaped too.
        if (u < 0x20 || u == 0x7F || (afterHexEscape && isHexDigit(u))) {
            out += QStringLiteral("\\x") + QString::number(u, 16);
            afterHexEscape = true;
            continue;
        }
        afterHexEscape = false;
        if (u == u'\\' || u == u'"') out += u'\\';
        out += c;
    }
    return out + u'"';
}

// A path of the job's folder, or one beneath it, relative to it.
QString relativeTo(const QString& folder, const QString& path) {
    if (path.isEmpty() || QDir::isRelativePath(path)) return path;
    const QString relative = QDir(folder).relativeFilePath(QDir::cleanPath(path));
    if (relative == QLatin1String("..") || relative.startsWith(QLatin1String("../")) ||
        QDir::isAbsolutePath(relative))
        return path;
    return relative;
}

// Why the file can be no job: missing, unreadable, no regular file, too
// large, not UTF-8; nothing when it may be one.
std::optional<QString> checkContents(const QString& path) {
    // A job is a regular file: nothing is waited for, as a FIFO would make us.
    const safe_io::Read read = safe_io::readPath(path, kMaxJobBytes, [] { return true; });
    switch (read.end) {
        case safe_io::Read::End::Complete:
            break;
        case safe_io::Read::End::TooLarge:
            return named(path) + QStringLiteral(" pasa de 1 MiB: no es un trabajo");
        case safe_io::Read::End::Cancelled:
            return named(path) + QStringLiteral(" no es un archivo normal");
        case safe_io::Read::End::Failed:
            if (read.error == ENOENT)
                return QStringLiteral("No existe el trabajo %1").arg(shownText(path));
            return QStringLiteral("No se puede leer el trabajo %1: %2")
                .arg(shownText(path), safe_io::reason(read.error));
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    // The decoder works when its result is taken.
    const QString text = utf8.decode(read.bytes);
    if (utf8.hasError()) return named(path) + QStringLiteral(" no está escrito en UTF-8");
    return std::nullopt;
}
}  // namespace

std::optional<QString> Job::value(const QString& key) const {
    for (const auto& [name, text] : values)
        if (name == key) return text;
    return std::nullopt;
}

void Job::set(const QString& key, const QString& text) {
    for (auto& [name, old] : values)
        if (name == key) {
            old = text;
            return;
        }
    // A key that no job holds goes last, for write() to refuse.
    const qsizetype order = kKeys.indexOf(key);
    auto place = values.end();
    if (order >= 0)
        place = std::find_if(values.begin(), values.end(), [&](const auto& entry) {
            const qsizetype other = kKeys.indexOf(entry.first);
            return other < 0 || other > order;
        });
    values.insert(place, {key, text});
}

// A key given twice: QSettings would keep one in silence, and which one was
// meant is not for the program to guess.
std::optional<QString> keyGivenTwice(const QString& path) {
    const safe_io::Read read = safe_io::readPath(path, kMaxJobBytes, [] { return true; });
    QSet<QString> seen;
    for (const QByteArray& raw : read.bytes.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#') ||
            line.startsWith(u'[') || !line.contains(u'='))
            continue;
        const QString key = line.section(u'=', 0, 0).trimmed();
        if (seen.contains(key))
            return faultIn(path,
                           QStringLiteral("la clave %1 aparece dos veces").arg(shownText(key)));
        seen.insert(key);
    }
    return std::nullopt;
}

std::variant<Job, QString> read(const QString& path) {
    if (auto refused = checkContents(path)) return *refused;
    if (auto twice = keyGivenTwice(path)) return *twice;
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() == QSettings::AccessError)
        return QStringLiteral("No se puede leer el trabajo %1").arg(shownText(path));
    if (settings.status() == QSettings::FormatError)
        return named(path) + QStringLiteral(" no es un archivo INI válido");
    const QStringList keys = settings.allKeys();
    if (keys.isEmpty()) return named(path) + QStringLiteral(" está vacío");
    for (const QString& key : keys) {
        if (key.contains(u'/'))
            return faultIn(
                path,
                QStringLiteral("sección desconocida: %1").arg(shownText(key.section(u'/', 0, 0))));
        if (!kKeys.contains(key))
            return faultIn(path, QStringLiteral("clave desconocida: %1").arg(shownText(key)));
    }
    const QDir folder(folderOf(path));
    Job job;
    for (const QString& key : kKeys) {
        if (!keys.contains(key)) continue;
        QString text = textOf(settings.value(key));
        if (kBooleanKeys.contains(key)) {
            const auto answer = yesOrNo(text);
            if (!answer) return notABoolean(path, key, text);
            text = *answer;
        } else if (kPathKeys.contains(key) && !text.isEmpty()) {
            text = QDir::cleanPath(folder.absoluteFilePath(text));
        }
        job.values.emplace_back(key, text);
    }
    return job;
}

std::optional<QString> write(const QString& path, const Job& job) {
    if (job.values.empty()) return named(path) + QStringLiteral(" está vacío");
    for (const auto& [key, value] : job.values)
        if (!kKeys.contains(key))
            return faultIn(path, QStringLiteral("clave desconocida: %1").arg(shownText(key)));
    const QString folder = folderOf(path);
    QString text = QStringLiteral("[General]\n");
    for (const QString& key : kKeys) {
        const auto value = job.value(key);
        if (!value) continue;
        QString written = *value;
        if (kBooleanKeys.contains(key)) {
            const auto answer = yesOrNo(written);
            if (!answer) return notABoolean(path, key, written);
            written = *answer;
        } else if (kPathKeys.contains(key)) {
            written = relativeTo(folder, written);
        }
        text += key + u'=' + iniValue(written) + u'\n';
    }
    if (const int error = safe_io::writePath(path, text.toUtf8()))
        return QStringLiteral("No se puede escribir el trabajo %1: %2")
            .arg(shownText(path), safe_io::reason(error));
    return std::nullopt;
}

std::optional<QString> overwriteRefusal(const QString& path, const QString& image) {
    const QFileInfo target(path);
    if (!image.isEmpty() && target.exists() &&
        target.canonicalFilePath() == QFileInfo(image).canonicalFilePath())
        return QStringLiteral("%1 es la imagen del trabajo; el trabajo necesita un archivo propio")
            .arg(shownText(path));
    if (!target.exists() || (target.isFile() && target.size() == 0)) return std::nullopt;
    if (!target.isFile() || std::holds_alternative<QString>(read(path)))
        return QStringLiteral("%1 existe y no es un trabajo; no se escribe encima")
            .arg(shownText(path));
    return std::nullopt;
}

}  // namespace job
