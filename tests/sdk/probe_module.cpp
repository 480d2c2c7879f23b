// A minimal plug-in module for the sdk tests, built as SdkProbe.so inside a fake bundle:
// checks what a host sees of a binary linked the way the plug-in is.
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "public.sdk/source/common/pluginview.h"
#include "public.sdk/source/main/moduleinit.h"
#include "public.sdk/source/main/pluginfactory.h"
#include "public.sdk/source/vst/vstaudioeffect.h"
#include "sdkext/modulepath.h"

#include <atomic>
#include <string>

namespace {

std::atomic<int> initializerRuns {0};
Steinberg::ModuleInitializer countRuns ([] { ++initializerRuns; });

std::string bundlePath, resourcesPath;

Steinberg::FUnknown* createEffect (void*)
{
	return static_cast<Steinberg::Vst::IAudioProcessor*> (new Steinberg::Vst::AudioEffect);
}

} // namespace

extern "C" {

SMTG_EXPORT_SYMBOL int probeInitializerRuns () { return initializerRuns; }
SMTG_EXPORT_SYMBOL void* probeModuleHandle () { return Steinberg::getPlatformModuleHandle (); }

SMTG_EXPORT_SYMBOL const char* probeBundlePath ()
{
	bundlePath = Steinberg::SdkExt::getModuleBundlePath ();
	return bundlePath.c_str ();
}

SMTG_EXPORT_SYMBOL const char* probeResourcesPath ()
{
	resourcesPath = Steinberg::SdkExt::getModuleResourcesPath ();
	return resourcesPath.c_str ();
}

// Needs IPlugView::iid, which libvst3sdk.a references but only vst3sdk_ext defines.
SMTG_EXPORT_SYMBOL bool probeViewAnswersIPlugView ()
{
	auto* view = new Steinberg::CPluginView (nullptr);
	void* obj = nullptr;
	const bool answered = view->queryInterface (Steinberg::IPlugView::iid, &obj) == Steinberg::kResultOk;
	if (answered)
		static_cast<Steinberg::IPlugView*> (obj)->release ();
	view->release ();
	return answered;
}

} // extern "C"

BEGIN_FACTORY_DEF ("Chopwright Tests", "https://example.org", "tests@example.org")
DEF_CLASS2 (INLINE_UID (0x0A0B0C0D, 0x10203040, 0x50607080, 0x90A0B0C0), PClassInfo::kManyInstances,
            kVstAudioEffectClass, "Probe Effect", Vst::kDistributable, "Fx", "1.0.0", kVstVersionString,
            createEffect)
END_FACTORY
