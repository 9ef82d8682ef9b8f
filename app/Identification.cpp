#include "app/Identification.h"

#include <QDir>

#include "chip/RomIdentify.h"

QString identificationMessage(const std::vector<std::uint8_t>& image) {
    const QString folder = chip::catalogueFolder();
    std::vector<chip::RomCatalogue> catalogues;
    QStringList passedBy;
    for (const QString& path : chip::cataloguesIn(folder)) {
        auto loaded = chip::loadCatalogue(path);
        if (auto* catalogue = std::get_if<chip::RomCatalogue>(&loaded))
            catalogues.push_back(std::move(*catalogue));
        else
            passedBy << std::get<QString>(loaded);
    }
    QString text;
    if (catalogues.empty()) {
        text = QStringLiteral("No hay catálogos de ROM en %1: copie allí un .dat de Logiqx, la "
                              "lista XML de MAME o un .zip con uno.")
                   .arg(QDir::toNativeSeparators(folder));
    } else {
        text = QStringLiteral("La imagen (%1 bytes) en %2:")
                   .arg(image.size())
                   .arg(catalogues.size() == 1
                            ? QStringLiteral("el catálogo %1").arg(catalogues.front().name)
                            : QStringLiteral("%1 catálogos").arg(catalogues.size()));
        for (const QString& line : chip::identify(image, catalogues).lines())
            text += QStringLiteral("\n\n· ") + line;
    }
    for (const QString& refusal : passedBy)
        text += QStringLiteral("\n\nSe dejó de lado un catálogo: ") + refusal;
    return text;
}
