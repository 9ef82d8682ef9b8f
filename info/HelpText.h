#pragma once

#include <QString>

// The help document shown by the Help window.
QString helpText();
