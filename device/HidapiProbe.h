#pragma once

#include <memory>

#include "device/HidProbe.h"

// The probe over hidapi, on the programmers hidraw lists.
std::unique_ptr<HidProbe> makeHidapiProbe();
