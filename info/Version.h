#pragma once

#include <QString>

// What every executable answers to --version: its name, the version and the
// license.
QString versionText(const QString& program);
