#include "app/JobCommands.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <cstdint>

#include "app/ImageChanges.h"
#include "device/CommandSet.h"
#include "device/MemoryTypes.h"
#include "engine/Settings.h"
#include "files/ImageCommands.h"
#include "image/Parse.h"
#include "image/Texts.h"
#include "view/Dialogs.h"
#include "view/Errors.h"
#include "view/NumberFormat.h"
#include "view/conversiones.h"

namespace {
const QString kSuffix = QStringLiteral(".trabajo");
const QString kSi = QStringLiteral("si");
const QString kNo = QStringLiteral("no");
// What the window has no place for: kept from the job last opened.
constexpr int kFirstLaneOf4 = 3;

QString faultIn(const QString& path, const QString& what) {
    return QStringLiteral("El trabajo %1: %2").arg(shownText(path), what);
}

// A lane as an index into kCarriles, and back.
int laneIndexOf(const std::optional<image::Lane>& lane) {
    if (!lane) return 0;
    return lane->n == 2 ? 1 + int(lane->k) : kFirstLaneOf4 + int(lane->k);
}

std::optional<image::Lane> laneOfIndex(int index) {
    if (index == 1 || index == 2) return image::Lane{unsigned(index - 1), 2};
    if (index >= kFirstLaneOf4) return image::Lane{unsigned(index - kFirstLaneOf4), 4};
    return std::nullopt;
}

bool isMemoryFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("mem") || suffix == QLatin1String("txt");
}
}  // namespace

struct JobCommands::Plan {
    engine::JobSettings job;
    ChosenFile image;
    std::optional<memory_file::Contents> memory;
    std::optional<Imported> imported;
};

void JobCommands::AbrirTrabajo1Click(const std::function<bool()>& mayDiscardChanges) {
    const auto path = dialogs_.openFileName(kJobDialog);
    if (!path) return;
    const auto read = job::read(*path);
    if (const auto* refusal = std::get_if<QString>(&read)) return dialogs_.message(*refusal);
    const auto plan = planOf(*path, std::get<job::Job>(read));
    // A job that is refused asks nothing: the unsaved edits stay as they are.
    if (!plan || !mayDiscardChanges()) return;
    apply(*plan);
    kept_ = plan->job.settings;
}

std::optional<JobCommands::Plan> JobCommands::planOf(const QString& path, const job::Job& job) {
    auto settings = engine::settingsOf(job);
    if (const auto* refusal = image::refusalOf(settings)) {
        dialogs_.message(faultIn(path, refusal->text));
        return std::nullopt;
    }
    Plan plan{std::get<engine::JobSettings>(settings), {}, {}, {}};
    if (!planImage(path, plan)) return std::nullopt;
    return plan;
}

bool JobCommands::planImage(const QString& path, Plan& plan) {
    const auto refuse = [&](const QString& what) {
        dialogs_.message(faultIn(path, what));
        return false;
    };
    const engine::Settings& s = plan.job.settings;
    if (s.imagen.isEmpty()) return true;
    if (!QFileInfo::exists(s.imagen))
        return refuse(QStringLiteral("no existe la imagen %1").arg(shownText(s.imagen)));
    plan.image =
        ChosenFile{s.imagen,       0,    image::offsetKey(s.desplazamiento), laneIndexOf(s.carril),
                   s.intercambiar, false};
    const bool memory = s.formato ? *s.formato == image::Format::Memory : isMemoryFile(s.imagen);
    if (memory) {
        if (s.carril || s.desplazamiento != 0 || s.intercambiar)
            return refuse(
                QStringLiteral("un archivo de memoria no admite desplazamiento ni carril"));
        plan.memory = archivos_.load(s.imagen);
        return plan.memory.has_value();
    }
    const std::uint8_t tipo = s.tipo.value_or(form_.comandos.tipo);
    const ImageCommands::AddressText gridAddress = [this](std::uint64_t address) {
        return form_.formato.show(static_cast<std::uint32_t>(address));
    };
    auto loaded =
        ImageCommands::load(plan.image, memoryType(tipo).maxdir + 1, s.formato, gridAddress);
    if (const auto* refusal = std::get_if<QString>(&loaded)) {
        dialogs_.message(*refusal);
        return false;
    }
    plan.imported = std::move(std::get<Imported>(loaded));
    return true;
}

void JobCommands::apply(const Plan& plan) {
    const engine::Settings& s = plan.job.settings;
    const auto in = [&](const char* key) { return plan.job.keys.contains(QLatin1String(key)); };
    if (s.tipo) form_.selectMemoryType(*s.tipo);
    if (in("verificacion")) form_.verificar.setChecked(s.verificar);
    if (in("reintentos")) form_.reintentos.setText(QString::number(s.reintentos));
    if (in("rapida")) form_.rapida.setChecked(s.rapida);
    if (in("comprobacion")) form_.comprobar.setChecked(s.comprobar);
    if (plan.memory) {
        archivos_.show(plan.image.path, *plan.memory);
        cambios_.markKept();
    } else if (plan.imported) {
        imagenes_.show(plan.image, *plan.imported);
    }
}

bool JobCommands::imageHoldsTheEdits() {
    if (!cambios_.changed()) return true;
    const QFileInfo file(image_->path);
    switch (dialogs_.askUnsaved(kTrabajoSinLosCambios.arg(file.fileName()),
                                QStringLiteral("Exportar…"), QStringLiteral("Guardar sin ellos"))) {
        case Unsaved::Cancelar:
            return false;
        case Unsaved::Descartar:
            return true;
        case Unsaved::Guardar:
            break;
    }
    // Never the job's own file by itself: it may be a whole board read
    // through one lane, and a lane's export would leave only that lane.
    FileDialogOptions options = kExportDialog;
    const QString suffix = file.suffix().compare(QLatin1String("mem"), Qt::CaseInsensitive) == 0
                               ? QStringLiteral("bin")
                               : file.suffix();
    options.fileName =
        file.dir().filePath(file.completeBaseName() + QStringLiteral("-editado.") + suffix);
    options.imageMapping = false;
    const auto written = imagenes_.exportForJob(*image_, options);
    if (!written) return false;
    image_ = *written;
    return true;
}

void JobCommands::GuardarTrabajo1Click() {
    if (!image_) return dialogs_.message(kGuardeLaImagen);
    // A retry count that is no number is refused before anything is asked.
    const std::int32_t reintentos = decimalToInt(form_.reintentos.text());
    if (!imageHoldsTheEdits()) return;
    auto path = dialogs_.saveFileName(kSaveJobDialog);
    if (!path) return;
    if (!path->endsWith(kSuffix, Qt::CaseInsensitive)) *path += kSuffix;
    if (const auto refusal = job::overwriteRefusal(*path, image_->path))
        return dialogs_.message(QStringLiteral("No se guarda el trabajo: ") + *refusal);
    // What the window has no place for comes from the job last opened.
    engine::Settings settings = kept_;
    settings.tipo = form_.comandos.tipo;
    settings.imagen = image_->path;
    settings.formato = image::valueOf(image::parseFormat(image_->formato));
    settings.desplazamiento = image_->offset;
    settings.carril = laneOfIndex(image_->lane);
    settings.intercambiar = image_->swap;
    settings.verificar = form_.verificar.isChecked();
    settings.reintentos = reintentos;
    settings.rapida = form_.rapida.isChecked();
    settings.comprobar = form_.comprobar.isChecked();
    const job::Job job = engine::jobOf(settings);
    if (const auto refusal = job::write(*path, job)) dialogs_.message(*refusal);
}
