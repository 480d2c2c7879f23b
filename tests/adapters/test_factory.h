#pragma once

// The plug-in's two classes in a factory of the test's own, so that the VST 2 adapter can be
// built into a test program; the controller class may be a stand-in.

#include "controller/chopwrightcontroller.h"
#include "entry/cids.h"
#include "processor/chopwright.h"

#include "public.sdk/source/main/pluginfactory.h"

template <typename Controller>
Steinberg::FUnknown* createController (void*)
{
	return static_cast<Steinberg::Vst::IEditController*> (new Controller);
}

inline Steinberg::IPtr<Steinberg::IPluginFactory> makeTestFactory (
    Steinberg::CPluginFactory::CreateFunction controller =
        createController<Steinberg::Vst::ChopwrightController>)
{
	using namespace Steinberg;
	using namespace Steinberg::Vst;
	auto* factory = new CPluginFactory (PFactoryInfo ("Quillmarsh", "", "", PFactoryInfo::kUnicode));
	const PClassInfo2 processorClass (kChopwrightProcessorUID.toTUID (), PClassInfo::kManyInstances,
	                                  kVstAudioEffectClass, "Chopwright", kDistributable, "Fx", "", "1.3.0.1",
	                                  "VST 3.7.3");
	const PClassInfo2 controllerClass (kChopwrightControllerUID.toTUID (), PClassInfo::kManyInstances,
	                                   kVstComponentControllerClass, "ChopwrightController", 0, "", "",
	                                   "1.3.0.1", "VST 3.7.3");
	factory->registerClass (&processorClass, Chopwright::createInstance);
	factory->registerClass (&controllerClass, controller);
	return owned (factory);
}
