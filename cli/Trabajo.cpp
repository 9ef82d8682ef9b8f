#include <QFileInfo>

#include "cli/Command.h"
#include "cli/JobOptions.h"
#include "cli/Messages.h"
#include "cli/Session.h"

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
        refuseOverwriting(s, path, image);
        if (const auto refusal = job::write(path, jobFromOptions(s.options(), image)))
            s.fail(kUsoInvalido, *refusal);
        s.setVerdict(QStringLiteral("Trabajo guardado en %1").arg(shown(path)));
        return kCorrecto;
    }

  private:
    // A job is written over nothing but an older job: never over its own
    // image, nor over a file that is something else (an image, a record).
    static void refuseOverwriting(Session& s, const QString& path, const QString& image) {
        const QFileInfo target(path);
        if (!image.isEmpty() && target.exists() &&
            target.canonicalFilePath() == QFileInfo(image).canonicalFilePath())
            s.fail(kUsoInvalido, QStringLiteral("trabajo: %1 es la imagen del trabajo; el trabajo "
                                                "necesita un archivo propio")
                                     .arg(shown(path)));
        if (!target.exists() || (target.isFile() && target.size() == 0)) return;
        if (!target.isFile() || std::holds_alternative<QString>(job::read(path)))
            s.fail(kUsoInvalido, QStringLiteral("trabajo: %1 existe y no es un trabajo; no se "
                                                "escribe encima")
                                     .arg(shown(path)));
    }
};
}  // namespace

std::unique_ptr<Command> makeTrabajo() {
    return std::make_unique<Trabajo>();
}

}  // namespace cli
