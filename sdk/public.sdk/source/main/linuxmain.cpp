// Linux entry points a host calls after dlopen and before dlclose of the module.
// Built as an object library so these exported symbols always reach the plug-in binary.
#include "public.sdk/source/main/moduleinit.h"

#include "pluginterfaces/base/fplatform.h"

extern "C" {

// Every call must be paired with a ModuleExit. The handle is not checked (may be null).
SMTG_EXPORT_SYMBOL bool ModuleEntry (void* sharedLibraryHandle)
{
	return Steinberg::ModuleLifetime::enter (sharedLibraryHandle);
}

SMTG_EXPORT_SYMBOL bool ModuleExit () { return Steinberg::ModuleLifetime::exit (); }

} // extern "C"
