#pragma once

#include "pluginterfaces/base/funknown.h"

#include <string>

namespace hosting {

// VST 3 strings are UTF-16 (String128 and friends); hosts print UTF-8.
std::string toUtf8 (const Steinberg::char16* text);
std::string toUtf8 (const Steinberg::char16* text, size_t maxUnits);
std::u16string toUtf16 (const std::string& text);

// "5B1C7D208E4F4A31A2C6D0F43E9B7150": the class id as the four 32-bit words real hosts print.
std::string classIdToString (const Steinberg::TUID id);

} // namespace hosting
