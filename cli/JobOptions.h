#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "cli/Options.h"
#include "image/JobFile.h"

namespace cli {

// --trabajo: the job's settings put under the user's options, each only
// where the user gave none of its own, and the job's image for an order
// that names none. The refusal names the job.
std::optional<QString> applyJob(Parsed& parsed, const QStringList& arguments);

// The job the options make, with its image (trabajo ARCHIVO [IMAGEN]).
job::Job jobFromOptions(const Options& options, const QString& image);
// What a job holds, a line per key, for info.
QStringList describeJob(const job::Job& job);

}  // namespace cli
