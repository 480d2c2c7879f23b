// The bundle's VST 2 entry: VST 2 hosts on Linux load the same library and call VSTPluginMain.
#include "adapters/fourcc.h"
#include "adapters/vst2adapter.h"
#include "entry/cids.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

// The VST 2 adapter's configuration: the module's factory, the processor class it presents,
// and the effect's unique identifier "chpw".
vst2::Effect* createEffectInstance (vst2::Callback audioMaster)
{
	IPtr<IPluginFactory> factory = owned (GetPluginFactory ());
	return Vst2Adapter::create (factory, kChopwrightProcessorUID.toTUID (),
	                            static_cast<int32> (chopwright::fourCharCode ("chpw")), audioMaster);
}

extern "C" SMTG_EXPORT_SYMBOL vst2::Effect* VSTPluginMain (vst2::Callback audioMaster)
{
	// A host that does not answer the version query is no VST 2 host.
	if (!audioMaster || audioMaster (nullptr, vst2::audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
		return nullptr;
	try
	{
		return createEffectInstance (audioMaster);
	}
	catch (...)
	{
		return nullptr;
	}
}
