// Functions a module runs when the host enters it the first time and leaves it the last time.
//
//   static ModuleInitializer initCaches ([] { ... });        // at the first ModuleEntry
//   static ModuleTerminator dropCaches ([] { ... }, 200);    // at the last ModuleExit
//
// Both kinds run in ascending priority order (equal priorities in registration order).
#pragma once

#include "pluginterfaces/base/ftypes.h"

#include <functional>

namespace Steinberg {

using ModuleInitFunction = std::function<void ()>;
using ModuleInitPriority = uint32;
static constexpr ModuleInitPriority DefaultModuleInitPriority = 100;

// Registers at static-initialisation time; keep instances at namespace scope.
struct ModuleInitializer
{
	ModuleInitializer (ModuleInitFunction&& func, ModuleInitPriority priority = DefaultModuleInitPriority);
};

struct ModuleTerminator
{
	ModuleTerminator (ModuleInitFunction&& func, ModuleInitPriority priority = DefaultModuleInitPriority);
};

// The handle the host passed to the first ModuleEntry (a dlopen handle on Linux, may be null);
// nullptr outside an entry.
using PlatformModuleHandle = void*;
PlatformModuleHandle getPlatformModuleHandle ();

// Entry counting behind ModuleEntry/ModuleExit (linuxmain.cpp); thread-safe.
namespace ModuleLifetime {
// Counts an entry; the first one stores the handle and runs the initialisers.
bool enter (PlatformModuleHandle handle);
// Counts an exit; the last one runs the terminators. False (and no change) when not entered.
bool exit ();
} // namespace ModuleLifetime

} // namespace Steinberg
