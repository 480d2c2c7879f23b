// Where the module's own binary lives, found from the loaded library itself. Our layer: the SDK
// has no such functions.
#pragma once

#include <string>

namespace Steinberg {
namespace SdkExt {

// For a library at ".../NAME.vst3/Contents/<arch>-linux/NAME.so" the bundle folder
// ".../NAME.vst3"; otherwise the folder holding the library. Empty if it cannot be found.
std::string getModuleBundlePath ();

// getModuleBundlePath () + "/Contents/Resources" (empty when the bundle path is).
std::string getModuleResourcesPath ();

} // namespace SdkExt
} // namespace Steinberg
