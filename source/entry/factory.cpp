#include "controller/chopwrightcontroller.h"
#include "entry/cids.h"
#include "entry/version.h"
#include "processor/chopwright.h"

#include "base/source/updatehandler.h"
#include "public.sdk/source/main/pluginfactory.h"

#include <mutex>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

const PFactoryInfo& factoryInfo ()
{
	static const PFactoryInfo info ("Quillmarsh", "https://www.quillmarsh.com",
	                                "mailto:support@quillmarsh.com", PFactoryInfo::kUnicode);
	return info;
}

// The extended class records, in ASCII: every query form answers for them (hosts enumerate
// with getClassInfo and skip a class whose answer fails), getClassInfoUnicode by conversion.
const PClassInfo2& processorClass ()
{
	static const PClassInfo2 info (kChopwrightProcessorUID.toTUID (), PClassInfo::kManyInstances,
	                               kVstAudioEffectClass, "Chopwright", kDistributable, "Fx", "",
	                               CHOPWRIGHT_VERSION_STR, CHOPWRIGHT_SDK_VERSION_STR);
	return info;
}

const PClassInfo2& controllerClass ()
{
	static const PClassInfo2 info (kChopwrightControllerUID.toTUID (), PClassInfo::kManyInstances,
	                               kVstComponentControllerClass, "ChopwrightController", 0, "", "",
	                               CHOPWRIGHT_VERSION_STR, CHOPWRIGHT_SDK_VERSION_STR);
	return info;
}

std::mutex factoryMutex;

} // namespace

// The one factory of the module: built on first use, shared (counted) afterwards, built anew
// after the last reference has gone.
SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory ()
{
	std::lock_guard<std::mutex> lock (factoryMutex);
	if (gPluginFactory)
	{
		gPluginFactory->addRef ();
		return gPluginFactory;
	}
	// The SDK's update handler is a lazily created singleton whose creation is not thread-safe;
	// controllers made on several threads at once (scanners do that) would race to create it.
	UpdateHandler::instance ();

	auto* factory = new CPluginFactory (factoryInfo ());
	factory->registerClass (&processorClass (), Chopwright::createInstance);
	factory->registerClass (&controllerClass (), ChopwrightController::createInstance);
	gPluginFactory = factory;
	return factory;
}
