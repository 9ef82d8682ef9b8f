#include <QFileInfo>

#include "cli/Command.h"
#include "cli/JobOptions.h"
#include "cli/Messages.h"
#include "cli/Session.h"
#include "engine/Settings.h"
#include "image/SafeIo.h"

namespace cli {

namespace {
// trabajo ARCHIVO [IMAGEN]: a job file of the type, the options and the image given.
class Trabajo : public Command {
  public:
    QString name() const override { return QStringLiteral("trabajo"); }
    int arguments() const override { return 1; }
    int optionalArguments() const override { return 1; }
    bool needsType() const override { return false; }
    bool touchesProgrammer() const override { return false; }

    int execute(Session& s, const QStringList& arguments) override {
        const QString& path = arguments.constFirst();
        if (path == QLatin1String("-"))
            s.fail(kUsoInvalido, QStringLiteral("trabajo necesita un archivo: un trabajo se "
                                                "guarda para usarlo después"));
        const QString image = arguments.value(1);
        if (image == QLatin1String("-"))
            s.fail(kUsoInvalido, QStringLiteral("La imagen de un trabajo es un archivo, no la "
                                                "entrada estándar"));
        // A job that names no image file it can find would fail on the bench.
        if (!image.isEmpty() && !QFileInfo(image).isFile())
            s.fail(kUsoInvalido, QStringLiteral("No existe la imagen %1").arg(shown(image)));
        // A job is written over nothing but an older job.
        if (const auto refusal = job::overwriteRefusal(path, image))
            s.fail(kUsoInvalido, QStringLiteral("trabajo: ") + *refusal);
        job::Job job = jobFromOptions(s.options(), image);
        if (s.options().sellar) {
            if (image.isEmpty())
                s.fail(kUsoInvalido, QStringLiteral("trabajo --sellar necesita la imagen: el sello "
                                                    "cubre sus bytes"));
            const safe_io::Read bytes =
                safe_io::readPath(image, safe_io::kMaxInputBytes, [] { return true; });
            if (bytes.end != safe_io::Read::End::Complete)
                s.fail(kUsoInvalido, QStringLiteral("No se puede leer la imagen %1").arg(shown(image)));
            job.set(QStringLiteral("sello"), engine::sealOf(job, bytes.bytes));
        }
        if (const auto refusal = job::write(path, job))
            s.fail(kUsoInvalido, *refusal);
        s.setVerdict(QStringLiteral("Trabajo guardado en %1").arg(shown(path)));
        return kCorrecto;
    }
};
}  // namespace

std::unique_ptr<Command> makeTrabajo() {
    return std::make_unique<Trabajo>();
}

}  // namespace cli
