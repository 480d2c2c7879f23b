// Modules that fail to load in one particular way, one per BROKEN_* definition.
#include "pluginterfaces/base/ipluginbase.h"

using Steinberg::IPluginFactory;

extern "C" {
#ifndef BROKEN_NO_ENTRY
SMTG_EXPORT_SYMBOL bool ModuleEntry (void*)
{
#ifdef BROKEN_ENTRY_FAILS
	return false;
#else
	return true;
#endif
}
#endif
SMTG_EXPORT_SYMBOL bool ModuleExit () { return true; }
SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory ()
{
	return nullptr; // reached only by the no-factory variant; the others stop earlier
}
}
