#include "cli/JsonEvents.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "cli/Streams.h"

namespace cli {

namespace {
constexpr int kSchema = 1;
constexpr qint64 kProgressEveryMs = 100;
}  // namespace

void JsonEvents::write(QJsonObject object) {
    object.insert(QStringLiteral("esquema"), kSchema);
    const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    const std::lock_guard<std::mutex> hold(mutex_);
    (void)writeStream(out_, closed_, line);
}

void JsonEvents::start(const QString& order, const QString& type, const QStringList& programmers) {
    write({{"evento", "inicio"},
           {"orden", order},
           {"tipo", type},
           {"programadores", QJsonArray::fromStringList(programmers)}});
}

void JsonEvents::progress(const QString& programmer, int percent, const QString& state) {
    {
        const std::lock_guard<std::mutex> hold(mutex_);
        QElapsedTimer& last = lastProgress_[programmer];
        if (last.isValid() && !last.hasExpired(kProgressEveryMs) && percent < 100) return;
        last.start();
    }
    write({{"evento", "progreso"},
           {"programador", programmer},
           {"porcentaje", percent},
           {"estado", state}});
}

void JsonEvents::memory(const RecordEntry& entry) {
    QJsonObject object{{"evento", "memoria"}};
    const QStringList columns = Record::kCabecera.trimmed().split(u',');
    const QStringList fields = entry.fields();
    for (qsizetype i = 0; i < columns.size() && i < fields.size(); ++i)
        object.insert(columns[i], fields[i]);
    if (!entry.trabajo.isEmpty()) object.insert(QStringLiteral("trabajo"), entry.trabajo);
    write(object);
}

void JsonEvents::end(int exitCode) {
    write({{"evento", "fin"}, {"salida", exitCode}});
}

}  // namespace cli
