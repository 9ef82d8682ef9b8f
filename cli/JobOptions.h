#pragma once

#include <QString>
#include <QStringList>
#include <variant>

#include "cli/Options.h"
#include "image/JobFile.h"

namespace cli {

// The command line with a job file's options put in front of the user's
// (--trabajo), each only where the user gave none of its own, and the job's
// image for an order that names none.
struct WithJob {
    QStringList arguments;
    QString image;
    // The job numbers the chips it programs; another order leaves that out.
    bool serialFromJob = false;
};
std::variant<WithJob, QString> withJob(const QStringList& arguments);

// The job the options make, with its image (trabajo ARCHIVO [IMAGEN]).
job::Job jobFromOptions(const Options& options, const QString& image);
// What a job holds, a line per key, for info.
QStringList describeJob(const job::Job& job);

}  // namespace cli
