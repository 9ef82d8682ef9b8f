#include "chip/Version.h"

QString versionText(const QString& program) {
    return program + QStringLiteral(" " PROGRAMADOR_VERSION "\n") +
           QStringLiteral(
               "Copyright (C) 2026 Equipo del programador\n"
               "Licencia GPLv3+: GNU GPL versión 3 o posterior "
               "<https://www.gnu.org/licenses/gpl.html>.\n"
               "Esto es software libre: puede modificarlo y redistribuirlo.\n"
               "No hay NINGUNA GARANTÍA, en la medida en que lo permita la ley.\n");
}

QString programVersion() {
    return QStringLiteral(PROGRAMADOR_VERSION);
}
