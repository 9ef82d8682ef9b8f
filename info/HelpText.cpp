#include "info/HelpText.h"

QString helpText() { return QStringLiteral("AYUDA DEL PROGRAMADOR DE MEMORIAS.\n"); }
