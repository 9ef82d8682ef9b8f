#pragma once

#include <QStringList>
#include <vector>

#include "chip/RomIdentify.h"

namespace cli {

class Session;

// The catalogues of a run: those --dat names (one that cannot be read ends
// the run, exit 2), else those of the usual folder (one that cannot be read
// is said and passed by). None at all ends the run too.
std::vector<chip::RomCatalogue> loadCatalogues(Session& s);

// The identification said: a line each, or JSON objects with --json.
void tellIdentification(Session& s, const chip::Identification& found, const QString& prefix,
                        bool toStdout);

}  // namespace cli
