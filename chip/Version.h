#pragma once

#include <QString>

// What every executable answers to --version: its name, the version and the
// license.
QString versionText(const QString& program);
// The version alone, "1.2.0".
QString programVersion();
