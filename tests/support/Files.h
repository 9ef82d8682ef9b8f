#pragma once

#include <QAction>
#include <QByteArray>
#include <QFile>
#include <QString>

// The committed memory file fixtures, and a file's bytes as they are on disk.
inline QString fixture(const char* name) { return QStringLiteral(FIXTURES_DIR "/") + QLatin1String(name); }

// Opening through "Archivo" > "Abrir", the dialog answering with the path.
template <typename Rig>
void openFile(Rig& rig, const QString& path) {
    rig.dialogs.fileAnswers.push_back(path);
    rig.form().Abrir1->trigger();
}

inline QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}
