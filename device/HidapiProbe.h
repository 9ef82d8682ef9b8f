#pragma once

#include <QString>
#include <memory>

#include "device/HidProbe.h"

// The probe over hidapi, on the programmers hidraw lists.
// The probe of the programmer at a node; empty, of the first one found.
std::unique_ptr<HidProbe> makeHidapiProbe(const QString& path = {});
