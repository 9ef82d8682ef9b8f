#include "view/Errors.h"

QString withFullStop(const QString& text) {
    if (!text.isEmpty() && text.back().unicode() > u'.') return text + u'.';
    return text;
}
