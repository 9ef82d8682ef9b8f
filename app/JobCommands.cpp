#include "app/JobCommands.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <algorithm>
#include <cstdint>
#include <limits>

#include "app/ImageChanges.h"
#include "app/Sram.h"
#include "device/MemoryTypes.h"
#include "files/ImageCommands.h"
#include "view/Dialogs.h"
#include "view/Errors.h"
#include "view/conversiones.h"

namespace {
const QString kSuffix = QStringLiteral(".trabajo");
const QString kSi = QStringLiteral("si");
const QString kNo = QStringLiteral("no");
// What the window has no place for: kept from the job last opened.
const QStringList kKeptKeys = {"rango", "serie", "contador", "registro"};
constexpr int kFirstLaneOf4 = 3;

QString faultIn(const QString& path, const QString& what) {
    return QStringLiteral("El trabajo %1: %2").arg(shownText(path), what);
}

std::optional<bool> yes(const job::Job& job, const char* key) {
    const auto text = job.value(QLatin1String(key));
    if (!text) return std::nullopt;
    return *text == kSi;
}

// "3" or "0x3", as the command line takes it.
std::optional<std::int32_t> countOf(const QString& text) {
    const bool hexadecimal = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    const QString digits = hexadecimal ? text.mid(2) : text;
    // Digits alone: toULongLong would also take a sign and blanks.
    bool ok = !digits.isEmpty() && std::none_of(digits.begin(), digits.end(), [](QChar c) {
        return c.isSpace() || c == u'+' || c == u'-';
    });
    const qulonglong value = ok ? digits.toULongLong(&ok, hexadecimal ? 16 : 10) : 0;
    if (!ok || value > qulonglong(std::numeric_limits<std::int32_t>::max())) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// "par", "impar", "K/2" or "K/4" as an index into kCarriles.
std::optional<int> laneIndexOf(const QString& text) {
    const QString lower = text.toLower();
    if (lower == QLatin1String("par")) return 1;
    if (lower == QLatin1String("impar")) return 2;
    const QStringList parts = text.split(u'/');
    bool kOk = false, nOk = false;
    const uint k = parts.size() == 2 ? parts[0].toUInt(&kOk) : 0;
    const uint n = parts.size() == 2 ? parts[1].toUInt(&nOk) : 0;
    if (!kOk || !nOk || k >= n) return std::nullopt;
    if (n == 2) return 1 + int(k);
    if (n == 4) return kFirstLaneOf4 + int(k);
    return std::nullopt;
}

QString laneText(int index) {
    if (index == 1) return QStringLiteral("par");
    if (index == 2) return QStringLiteral("impar");
    return QStringLiteral("%1/4").arg(index - kFirstLaneOf4);
}

QString offsetText(std::int64_t offset) {
    const QString hexadecimal = QString::number(offset < 0 ? -offset : offset, 16).toUpper();
    return (offset < 0 ? QStringLiteral("-0x") : QStringLiteral("0x")) + hexadecimal;
}

bool isMemoryFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("mem") || suffix == QLatin1String("txt");
}
}  // namespace

struct JobCommands::Plan {
    std::optional<std::uint8_t> tipo;
    std::optional<bool> verificacion, rapida, comprobacion;
    std::optional<std::int32_t> reintentos;
    ChosenFile image;
    std::optional<memory_file::Contents> memory;
    std::optional<Imported> imported;
};

void JobCommands::AbrirTrabajo1Click() {
    const auto path = dialogs_.openFileName(kJobDialog);
    if (!path) return;
    const auto read = job::read(*path);
    if (const auto* refusal = std::get_if<QString>(&read)) return dialogs_.message(*refusal);
    const job::Job& job = std::get<job::Job>(read);
    const auto plan = planOf(*path, job);
    if (!plan) return;
    apply(*plan);
    kept_ = job;
}

std::optional<JobCommands::Plan> JobCommands::planOf(const QString& path, const job::Job& job) {
    Plan plan;
    const auto refuse = [&](const QString& what) {
        dialogs_.message(faultIn(path, what));
        return std::nullopt;
    };
    if (const auto tipo = job.value(QStringLiteral("tipo"))) {
        plan.tipo = memoryTypeNamed(*tipo);
        if (!plan.tipo)
            return refuse(QStringLiteral("tipo desconocido: %1 (sram24, sram28, 28c64, 27c512 o "
                                         "27c010)")
                              .arg(shownText(*tipo)));
    }
    if (const auto reintentos = job.value(QStringLiteral("reintentos"))) {
        plan.reintentos = countOf(*reintentos);
        if (!plan.reintentos)
            return refuse(
                QStringLiteral("reintentos no es un número: %1").arg(shownText(*reintentos)));
    }
    plan.verificacion = yes(job, "verificacion");
    plan.rapida = yes(job, "rapida");
    plan.comprobacion = yes(job, "comprobacion");
    if (!planImage(path, job, plan)) return std::nullopt;
    return plan;
}

bool JobCommands::planImage(const QString& path, const job::Job& job, Plan& plan) {
    const auto refuse = [&](const QString& what) {
        dialogs_.message(faultIn(path, what));
        return false;
    };
    const QString image = job.value(QStringLiteral("imagen")).value_or(QString());
    if (image.isEmpty()) return true;
    if (!QFileInfo::exists(image))
        return refuse(QStringLiteral("no existe la imagen %1").arg(shownText(image)));
    plan.image.path = image;
    const auto formato = job.value(QStringLiteral("formato"));
    const bool memory =
        formato ? formato->compare(kFormatoMemoria, Qt::CaseInsensitive) == 0 : isMemoryFile(image);
    const std::optional<image::Format> format = formato ? formatoNamed(*formato) : std::nullopt;
    if (formato && !memory && !format)
        return refuse(QStringLiteral("formato desconocido: %1 (bin, hex, srec o mem)")
                          .arg(shownText(*formato)));
    const auto desplazamiento = job.value(QStringLiteral("desplazamiento"));
    const auto carril = job.value(QStringLiteral("carril"));
    if (memory) {
        if (carril || (desplazamiento && offsetOf(*desplazamiento) != 0))
            return refuse(
                QStringLiteral("un archivo de memoria no admite desplazamiento ni carril"));
        plan.memory = archivos_.load(image);
        return plan.memory.has_value();
    }
    if (carril) {
        const auto lane = laneIndexOf(*carril);
        if (!lane)
            return refuse(QStringLiteral("carril no válido: %1 (par, impar, K/2 o K/4)")
                              .arg(shownText(*carril)));
        plan.image.lane = *lane;
    }
    if (desplazamiento) plan.image.offset = *desplazamiento;
    const std::uint8_t tipo = plan.tipo.value_or(form_.comandos.tipo);
    auto loaded = ImageCommands::load(plan.image, memoryType(tipo).maxdir + 1, format);
    if (const auto* refusal = std::get_if<QString>(&loaded)) {
        dialogs_.message(*refusal);
        return false;
    }
    plan.imported = std::move(std::get<Imported>(loaded));
    return true;
}

void JobCommands::apply(const Plan& plan) {
    if (plan.tipo) form_.selectMemoryType(*plan.tipo);
    if (plan.verificacion) form_.ch->setChecked(*plan.verificacion);
    if (plan.reintentos) form_.Edit2->setText(QString::number(*plan.reintentos));
    if (plan.rapida) form_.ProgramacionRapida1->setChecked(*plan.rapida);
    if (plan.comprobacion) form_.ComprobarAntes1->setChecked(*plan.comprobacion);
    if (plan.memory) {
        archivos_.show(plan.image.path, *plan.memory);
        cambios_.markKept();
    } else if (plan.imported) {
        imagenes_.show(plan.image, *plan.imported);
    }
}

void JobCommands::GuardarTrabajo1Click() {
    if (!image_) return dialogs_.message(kGuardeLaImagen);
    // A retry count that is no number is refused before anything is asked.
    const std::int32_t reintentos = decimalToInt(form_.Edit2->text());
    auto path = dialogs_.saveFileName(kJobDialog);
    if (!path) return;
    if (!path->endsWith(kSuffix, Qt::CaseInsensitive)) *path += kSuffix;
    job::Job job;
    for (const auto& [key, text] : kept_.values)
        if (kKeptKeys.contains(key)) job.set(key, text);
    job.set(QStringLiteral("tipo"), memoryTypeName(form_.comandos.tipo));
    job.set(QStringLiteral("imagen"), image_->path);
    job.set(QStringLiteral("formato"), image_->formato);
    if (image_->offset != 0) job.set(QStringLiteral("desplazamiento"), offsetText(image_->offset));
    if (image_->lane != 0) job.set(QStringLiteral("carril"), laneText(image_->lane));
    const auto yesNo = [](bool on) { return on ? kSi : kNo; };
    job.set(QStringLiteral("verificacion"), yesNo(form_.ch->isChecked()));
    job.set(QStringLiteral("reintentos"), QString::number(reintentos));
    job.set(QStringLiteral("rapida"), yesNo(form_.ProgramacionRapida1->isChecked()));
    job.set(QStringLiteral("comprobacion"), yesNo(form_.ComprobarAntes1->isChecked()));
    if (const auto refusal = job::write(*path, job)) dialogs_.message(*refusal);
}
