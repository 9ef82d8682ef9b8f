#include "view/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStringList>

namespace {
// The caption of every box. Not the application's display name: Qt would add
// that to every window title.
const QString kApplicationTitle = QStringLiteral("Programador de Memorias");

void showBox(QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, kApplicationTitle, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

std::optional<QString> runFileDialog(const FileDialogOptions& options, QFileDialog::AcceptMode mode,
                                     const QString& folder) {
    QFileDialog dialog(QApplication::activeWindow(), QString(), folder, qtFilter(options.filter));
    dialog.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptOpen) dialog.setFileMode(QFileDialog::ExistingFile);
    // Saving replaces an existing file without asking.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(QString(options.defaultSuffix).remove(u'*').remove(u'.'));
    if (!options.fileName.isEmpty()) dialog.selectFile(options.fileName);
    // A name typed without extension takes the chosen filter's.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& filter) {
                         const QRegularExpressionMatch first =
                             QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
                         if (first.hasMatch()) dialog.setDefaultSuffix(first.captured(1));
                     });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString path = dialog.selectedFiles().constFirst();
    if (path.isEmpty()) return std::nullopt;
    return path;
}
}  // namespace

QString qtFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        entries << QStringLiteral("%1 (%2)").arg(parts[i],
                                                 QString(parts[i + 1]).replace(u';', u' '));
    return entries.join(QStringLiteral(";;"));
}

void QtDialogs::message(const QString& text) {
    showBox(QMessageBox::NoIcon, text);
}

void QtDialogs::errorBox(const QString& text) {
    showBox(QMessageBox::Critical, text);
}

bool QtDialogs::ask(const QString& text) {
    QMessageBox box(QMessageBox::Question, kApplicationTitle, text,
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtDialogs::chooseFile(const FileDialogOptions& options, bool save) {
    const auto path = runFileDialog(
        options, save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen, lastFolder_);
    if (path) lastFolder_ = QFileInfo(*path).absolutePath();
    return path;
}

std::optional<QString> QtDialogs::openFileName(const FileDialogOptions& options) {
    return chooseFile(options, false);
}

std::optional<QString> QtDialogs::saveFileName(const FileDialogOptions& options) {
    return chooseFile(options, true);
}
