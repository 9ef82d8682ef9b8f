#include "view/Dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalBlocker>
#include <QStringList>

namespace {
// The caption of every box. Not the application's display name: Qt would add
// that to every window title.
const QString kApplicationTitle = QStringLiteral("Programador de Memorias");

void showBox(QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, kApplicationTitle, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

// Opening, a typed name of a file that exists is taken as it is, even when
// the chosen filter hides it or it has no extension; otherwise the default
// extension completes it.
class FileDialog : public QFileDialog {
  public:
    using QFileDialog::QFileDialog;
    // Asked before the dialog closes: false keeps it open.
    std::function<bool()> check;

  protected:
    void accept() override {
        if (check && !check()) return;
        const auto* typed = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const QString name = typed ? typed->text() : QString();
        const QString suffix = defaultSuffix();
        if (acceptMode() == AcceptOpen && !name.isEmpty() && QFileInfo(directory(), name).isFile())
            setDefaultSuffix(QString());
        QFileDialog::accept();
        // Accepted, the name is read afterwards: it must stay as taken.
        if (result() != Accepted) setDefaultSuffix(suffix);
    }
};

// "Desplazamiento" and "Carril" in the dialog's own grid, under its filter.
struct MappingFields {
    QLineEdit* offset = nullptr;
    QComboBox* lane = nullptr;
    QCheckBox* swap = nullptr;
    QCheckBox* keepRest = nullptr;
    QLabel* reason = nullptr;
};

void addImageMapping(QFileDialog& dialog, MappingFields& fields, bool keepRestField) {
    QLineEdit*& offset = fields.offset;
    QComboBox*& lane = fields.lane;
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid) return;
    offset = new QLineEdit(QStringLiteral("0"), &dialog);
    offset->setAccessibleName(QStringLiteral("Desplazamiento"));
    offset->setAccessibleDescription(
        QStringLiteral("Se suma a las direcciones del archivo: decimal, o hexadecimal (0x1F0, "
                       "$1F0 o 1F0h), con signo si hace falta"));
    lane = new QComboBox(&dialog);
    lane->addItems(kCarriles);
    lane->setAccessibleName(QStringLiteral("Carril"));
    lane->setAccessibleDescription(
        QStringLiteral("Los bytes de una memoria de una placa de 16 o 32 bits"));
    const int row = grid->rowCount();
    auto* offsetLabel = new QLabel(QStringLiteral("Desplazamiento"), &dialog);
    offsetLabel->setBuddy(offset);
    auto* laneLabel = new QLabel(QStringLiteral("Carril"), &dialog);
    laneLabel->setBuddy(lane);
    grid->addWidget(offsetLabel, row, 0);
    grid->addWidget(offset, row, 1);
    grid->addWidget(laneLabel, row + 1, 0);
    grid->addWidget(lane, row + 1, 1);
    fields.swap = new QCheckBox(QStringLiteral("Intercambiar bytes"), &dialog);
    fields.swap->setAccessibleName(QStringLiteral("Intercambiar bytes"));
    fields.swap->setAccessibleDescription(
        QStringLiteral("Intercambia los dos bytes de cada palabra de 16 bits"));
    grid->addWidget(fields.swap, row + 2, 1);
    fields.reason = new QLabel(&dialog);
    fields.reason->setWordWrap(true);
    fields.reason->hide();
    grid->addWidget(fields.reason, row + 4, 1);
    if (!keepRestField) return;
    fields.keepRest = new QCheckBox(QStringLiteral("Conservar el resto de la imagen"), &dialog);
    fields.keepRest->setAccessibleName(QStringLiteral("Conservar el resto de la imagen"));
    fields.keepRest->setAccessibleDescription(
        QStringLiteral("Solo cambian las direcciones que da el archivo"));
    grid->addWidget(fields.keepRest, row + 3, 1);
}

// Saving, the format is the extension's: a name typed with a known one
// shows its filter, so that the filter never names another format than the
// one written. Qt's own rename on a filter change is kept out of it.
void filterFollowsTypedExtension(QFileDialog& dialog) {
    auto* typed = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    if (!typed || !types) return;
    QObject::connect(typed, &QLineEdit::textChanged, &dialog,
                     [&dialog, types](const QString& name) {
                         const QString suffix = QFileInfo(name).suffix();
                         if (suffix.isEmpty()) return;
                         const QString pattern = QStringLiteral("*.") + suffix.toLower();
                         const QStringList filters = dialog.nameFilters();
                         for (int i = 0; i < filters.size(); ++i) {
                             const QString patterns = filters[i].section(u'(', 1).chopped(1);
                             if (!patterns.split(u' ').contains(pattern)) continue;
                             if (types->currentIndex() != i) {
                                 const QSignalBlocker quiet(types);
                                 types->setCurrentIndex(i);
                             }
                             dialog.setDefaultSuffix(suffix);
                             return;
                         }
                     });
}

std::optional<ChosenFile> runFileDialog(const FileDialogOptions& options,
                                        QFileDialog::AcceptMode mode, const QString& folder) {
    FileDialog dialog(QApplication::activeWindow(), options.title, folder,
                      qtFilter(options.filter));
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
    if (mode == QFileDialog::AcceptSave) filterFollowsTypedExtension(dialog);
    MappingFields fields;
    if (options.imageMapping) addImageMapping(dialog, fields, options.keepRestField);
    if (fields.offset && options.offsetRefusal)
        dialog.check = [&fields, &options] {
            const auto refusal = options.offsetRefusal(fields.offset->text().trimmed());
            fields.reason->setText(refusal.value_or(QString()));
            fields.reason->setAccessibleName(fields.reason->text());
            fields.reason->setVisible(refusal.has_value());
            if (refusal) {
                fields.offset->setFocus();
                fields.offset->selectAll();
            }
            return !refusal;
        };
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    QString path = dialog.selectedFiles().constFirst();
    if (path.isEmpty()) return std::nullopt;
    // The system's own dialog completes a typed name with the default
    // extension even when the name exists as typed.
    const QString completion = u'.' + dialog.defaultSuffix();
    if (mode == QFileDialog::AcceptOpen && !QFileInfo::exists(path) && path.endsWith(completion) &&
        QFileInfo(path.chopped(completion.size())).isFile())
        path.chop(completion.size());
    const int filter = static_cast<int>(
        qtFilter(options.filter).split(QStringLiteral(";;")).indexOf(dialog.selectedNameFilter()));
    ChosenFile chosen{path, std::max(filter, 0)};
    if (fields.offset) chosen.offset = fields.offset->text().trimmed();
    if (fields.lane) chosen.lane = fields.lane->currentIndex();
    if (fields.swap) chosen.swap = fields.swap->isChecked();
    if (fields.keepRest) chosen.keepRest = fields.keepRest->isChecked();
    return chosen;
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

namespace {
// Each button's first letter that no button before it took, underlined: its
// Alt letter. The visible text and the spoken name go without the "&".
QStringList withAltLetters(const QStringList& captions) {
    QString taken;
    QStringList marked;
    for (QString caption : captions) {
        for (qsizetype i = 0; i < caption.size(); ++i) {
            const QChar letter = caption[i].toLower();
            if (!letter.isLetter() || taken.contains(letter)) continue;
            taken += letter;
            caption.insert(i, u'&');
            break;
        }
        marked << caption;
    }
    return marked;
}
}  // namespace

Unsaved QtDialogs::askUnsaved(const QString& text, const QString& keep, const QString& drop) {
    QMessageBox box(QMessageBox::Question, kApplicationTitle, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    const QStringList captions = withAltLetters({keep, drop, QStringLiteral("Cancelar")});
    QPushButton* guardar = box.addButton(captions[0], QMessageBox::AcceptRole);
    QPushButton* descartar = box.addButton(captions[1], QMessageBox::DestructiveRole);
    QPushButton* cancelar = box.addButton(captions[2], QMessageBox::RejectRole);
    // Nothing is lost by a key pressed on the way: Enter and ESC cancel.
    box.setDefaultButton(cancelar);
    box.setEscapeButton(cancelar);
    box.exec();
    if (box.clickedButton() == guardar) return Unsaved::Guardar;
    if (box.clickedButton() == descartar) return Unsaved::Descartar;
    return Unsaved::Cancelar;
}

std::optional<ChosenFile> QtDialogs::chooseFile(const FileDialogOptions& options, bool save) {
    auto chosen = runFileDialog(options, save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen,
                                lastFolder_);
    if (chosen) lastFolder_ = QFileInfo(chosen->path).absolutePath();
    return chosen;
}

std::optional<QString> QtDialogs::openFileName(const FileDialogOptions& options) {
    const auto chosen = chooseFile(options, false);
    if (!chosen) return std::nullopt;
    return chosen->path;
}

std::optional<ChosenFile> QtDialogs::openFile(const FileDialogOptions& options) {
    return chooseFile(options, false);
}

std::optional<QString> QtDialogs::saveFileName(const FileDialogOptions& options) {
    const auto chosen = chooseFile(options, true);
    if (!chosen) return std::nullopt;
    return chosen->path;
}

std::optional<ChosenFile> QtDialogs::saveFile(const FileDialogOptions& options) {
    return chooseFile(options, true);
}

void keepNoSettings() {
    // A folder that can never be made: every write of a settings file fails
    // quietly, and nothing is read back from one.
    const QString nowhere = QStringLiteral("/dev/null/programador");
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, nowhere);
}
