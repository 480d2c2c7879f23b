// A small VST 3 module used to check the hosting library from the plug-in side. It reports
// what the host did through its audio and parameters:
//  - output channel 0 = input channel 0 * Gain (id 0); like Chopwright it applies only the last
//    point of a queue, from the start of the block;
//  - output channel 1 = the sample position the plug-in derives from the transport,
//    trunc(sampleRate * 60 / tempo * projectTimeMusic) + frame, or -1 without a transport;
//  - "Processor messages" (id 1) and "Controller messages" (id 2) count text messages that
//    reached each side (value = count / 100); the processor's count travels in its state;
//  - on the processor's "activated" message the controller edits Gain to 0.3 (begin/perform/end);
//  - "Timer ticks" (id 5) counts run loop timer calls when the host offers Linux::IRunLoop.
// Built with PROBE_FACTORY_V1 the factory only answers IPluginFactory (no class info 2/W).

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/vsttypes.h"
#include "public.sdk/source/vst/vstcomponent.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <atomic>
#include <cmath>
#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;

// The SDK subset declares the gui interface ids without defining them (weak: see
// hosting/src/gui_iids.cpp).
#define PROBE_WEAK_IID(ClassName)                                                                            \
	__attribute__ ((weak)) const ::Steinberg::FUID ClassName::iid (ClassName##_iid);
namespace Steinberg {
PROBE_WEAK_IID (IPlugView)
PROBE_WEAK_IID (Linux::ITimerHandler)
PROBE_WEAK_IID (Linux::IRunLoop)
} // namespace Steinberg

namespace {

const FUID kProcessorId (0x9A1E0C31, 0x44D24B70, 0x8C1F55A2, 0x6B3D9E01);
const FUID kControllerId (0x9A1E0C32, 0x44D24B70, 0x8C1F55A2, 0x6B3D9E02);
constexpr int32 kStateMagic = 0x31425250; // "PRB1"

enum ParamIds : ParamID
{
	kGain = 0,
	kProcessorMessages = 1,
	kControllerMessages = 2,
	kMode = 3,
	kBypass = 4,
	kTimerTicks = 5
};

class ProbeProcessor : public Component, public IAudioProcessor
{
public:
	ProbeProcessor () { setControllerClass (kControllerId); }

	tresult PLUGIN_API initialize (FUnknown* context) override
	{
		if (Component::initialize (context) != kResultOk)
			return kResultFalse;
		audioInputs.push_back (
		    owned (new Vst::AudioBus (u"In", kMain, BusInfo::kDefaultActive, SpeakerArr::kStereo)));
		audioOutputs.push_back (
		    owned (new Vst::AudioBus (u"Out", kMain, BusInfo::kDefaultActive, SpeakerArr::kStereo)));
		return kResultOk;
	}

	tresult PLUGIN_API setActive (TBool state) override
	{
		active_ = state;
		if (state)
			sendTextMessage ("activated");
		return Component::setActive (state);
	}

	tresult receiveText (const char8*) override
	{
		++messages_;
		return kResultOk;
	}

	tresult PLUGIN_API getState (IBStream* stream) override
	{
		const int32 magic = kStateMagic, messages = messages_;
		double gain = gain_;
		stream->write (const_cast<int32*> (&magic), sizeof magic, nullptr);
		stream->write (&gain, sizeof gain, nullptr);
		stream->write (const_cast<int32*> (&messages), sizeof messages, nullptr);
		return kResultOk;
	}

	tresult PLUGIN_API setState (IBStream* stream) override
	{
		int32 magic = 0, read = 0;
		double gain = 0;
		if (stream->read (&magic, sizeof magic, &read) != kResultOk || read != sizeof magic ||
		    magic != kStateMagic)
			return kResultFalse;
		if (stream->read (&gain, sizeof gain, &read) != kResultOk || read != sizeof gain)
			return kResultFalse;
		gain_ = gain;
		return kResultOk;
	}

	tresult PLUGIN_API setBusArrangements (SpeakerArrangement* inputs, int32 numIns,
	                                       SpeakerArrangement* outputs, int32 numOuts) override
	{
		if (active_ || numIns != 1 || numOuts != 1 || inputs[0] != outputs[0] ||
		    (inputs[0] != SpeakerArr::kMono && inputs[0] != SpeakerArr::kStereo))
			return kResultFalse;
		static_cast<Vst::AudioBus*> (audioInputs[0].get ())->setArrangement (inputs[0]);
		static_cast<Vst::AudioBus*> (audioOutputs[0].get ())->setArrangement (outputs[0]);
		return kResultTrue;
	}

	tresult PLUGIN_API getBusArrangement (BusDirection dir, int32 index, SpeakerArrangement& arr) override
	{
		BusList& list = dir == kInput ? audioInputs : audioOutputs;
		if (index < 0 || index >= static_cast<int32> (list.size ()))
			return kInvalidArgument;
		arr = static_cast<Vst::AudioBus*> (list[index].get ())->getArrangement ();
		return kResultOk;
	}

	tresult PLUGIN_API canProcessSampleSize (int32) override { return kResultTrue; }
	uint32 PLUGIN_API getLatencySamples () override { return 0; }
	uint32 PLUGIN_API getTailSamples () override { return 0; }
	tresult PLUGIN_API setupProcessing (ProcessSetup& setup) override
	{
		if (active_)
			return kResultFalse;
		setup_ = setup;
		return kResultOk;
	}
	tresult PLUGIN_API setProcessing (TBool state) override
	{
		processing_ = state;
		return kResultOk;
	}

	tresult PLUGIN_API process (ProcessData& data) override
	{
		if (!active_ || !processing_)
			return kNotInitialized; // the host broke the lifecycle
		if (auto* changes = data.inputParameterChanges)
			for (int32 i = 0; i < changes->getParameterCount (); ++i)
			{
				IParamValueQueue* queue = changes->getParameterData (i);
				int32 offset = 0;
				ParamValue value = 0;
				if (queue && queue->getParameterId () == kGain &&
				    queue->getPoint (queue->getPointCount () - 1, offset, value) == kResultOk)
					gain_ = value;
			}
		if (data.numSamples == 0)
			return kResultOk;
		if (data.symbolicSampleSize != setup_.symbolicSampleSize || data.numInputs != 1 ||
		    data.numOutputs != 1 || data.numSamples > setup_.maxSamplesPerBlock)
			return kInvalidArgument;
		if (data.symbolicSampleSize == kSample64)
			render (data.inputs[0], data.outputs[0], data.inputs[0].channelBuffers64,
			        data.outputs[0].channelBuffers64, data);
		else
			render (data.inputs[0], data.outputs[0], data.inputs[0].channelBuffers32,
			        data.outputs[0].channelBuffers32, data);
		return kResultOk;
	}

	OBJ_METHODS (ProbeProcessor, Component)
	DEFINE_INTERFACES
		DEF_INTERFACE (IAudioProcessor)
	END_DEFINE_INTERFACES (Component)
	REFCOUNT_METHODS (Component)

private:
	template <typename Sample>
	void render (const AudioBusBuffers& inBus, AudioBusBuffers& outBus, Sample** in, Sample** out,
	             const ProcessData& data)
	{
		double first = -1;
		if (const ProcessContext* c = data.processContext)
			if ((c->state & ProcessContext::kTempoValid) &&
			    (c->state & ProcessContext::kProjectTimeMusicValid))
				first = std::trunc (setup_.sampleRate * 60.0 / c->tempo * c->projectTimeMusic);
		for (int32 i = 0; i < data.numSamples; ++i)
		{
			out[0][i] = static_cast<Sample> (in[0][i] * gain_);
			if (outBus.numChannels > 1)
				out[1][i] = static_cast<Sample> (first < 0 ? -1.0 : first + i);
		}
		(void)inBus;
	}

	ProcessSetup setup_ {};
	double gain_ = 1.0;
	std::atomic<int32> messages_ {0};
	bool active_ = false;
	bool processing_ = false;
};

class ProbeController : public EditController, public Linux::ITimerHandler
{
public:
	tresult PLUGIN_API initialize (FUnknown* context) override
	{
		if (EditController::initialize (context) != kResultOk)
			return kResultFalse;
		parameters.addParameter (u"Gain", nullptr, 0, 1.0, ParameterInfo::kCanAutomate, kGain);
		parameters.addParameter (u"Processor messages", nullptr, 0, 0.0, ParameterInfo::kIsReadOnly,
		                         kProcessorMessages);
		parameters.addParameter (u"Controller messages", nullptr, 0, 0.0, ParameterInfo::kIsReadOnly,
		                         kControllerMessages);
		auto* mode = new StringListParameter (u"Mode", kMode);
		mode->appendString (u"A");
		mode->appendString (u"B");
		parameters.addParameter (mode);
		parameters.addParameter (u"Bypass", nullptr, 1, 0.0,
		                         ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass, kBypass);
		parameters.addParameter (u"Timer ticks", nullptr, 0, 0.0, ParameterInfo::kIsReadOnly, kTimerTicks);
		FUnknownPtr<Linux::IRunLoop> loop (context);
		if (loop && loop->registerTimer (this, 50) == kResultOk)
			runLoop_ = loop;
		return kResultOk;
	}

	tresult PLUGIN_API terminate () override
	{
		if (runLoop_)
			runLoop_->unregisterTimer (this);
		runLoop_ = nullptr;
		return EditController::terminate ();
	}

	void PLUGIN_API onTimer () override { setParamNormalized (kTimerTicks, ++ticks_ / 100.0); }

	tresult PLUGIN_API connect (IConnectionPoint* other) override
	{
		const tresult result = EditController::connect (other);
		if (result == kResultTrue)
			sendTextMessage ("hello");
		return result;
	}

	tresult receiveText (const char8* text) override
	{
		setParamNormalized (kControllerMessages, ++received_ / 100.0);
		if (std::strcmp (text, "activated") == 0)
		{
			// Acts like a user touching a control, so the host sees edits through its handler.
			beginEdit (kGain);
			performEdit (kGain, 0.3);
			endEdit (kGain);
		}
		return kResultOk;
	}

	tresult PLUGIN_API setComponentState (IBStream* stream) override
	{
		int32 magic = 0, messages = 0;
		double gain = 0;
		if (stream->read (&magic, sizeof magic, nullptr) != kResultOk || magic != kStateMagic ||
		    stream->read (&gain, sizeof gain, nullptr) != kResultOk ||
		    stream->read (&messages, sizeof messages, nullptr) != kResultOk)
			return kResultFalse;
		setParamNormalized (kGain, gain);
		setParamNormalized (kProcessorMessages, messages / 100.0);
		return kResultOk;
	}

	OBJ_METHODS (ProbeController, EditController)
	DEFINE_INTERFACES
		DEF_INTERFACE (Linux::ITimerHandler)
	END_DEFINE_INTERFACES (EditController)
	REFCOUNT_METHODS (EditController)

private:
	IPtr<Linux::IRunLoop> runLoop_;
	int ticks_ = 0;
	int received_ = 0;
};

struct ClassEntry
{
	const FUID* id;
	const char8* category;
	const char16* name;
	FUnknown* (*create) ();
};

const ClassEntry kClasses[] = {
    {&kProcessorId, kVstAudioEffectClass, u"Probe",
     [] { return static_cast<FUnknown*> (static_cast<IAudioProcessor*> (new ProbeProcessor)); }},
    {&kControllerId, kVstComponentControllerClass, u"Probe Controller",
     [] { return static_cast<FUnknown*> (static_cast<IEditController*> (new ProbeController)); }},
};
constexpr int32 kClassCount = 2;

void copyUtf16 (char16* to, const char16* from, size_t capacity)
{
	size_t i = 0;
	for (; i + 1 < capacity && from[i]; ++i)
		to[i] = from[i];
	to[i] = 0;
}

void copyAscii (char8* to, const char16* from, size_t capacity)
{
	size_t i = 0;
	for (; i + 1 < capacity && from[i]; ++i)
		to[i] = static_cast<char8> (from[i]);
	to[i] = 0;
}

class ProbeFactory : public IPluginFactory3
{
public:
	virtual ~ProbeFactory () = default;

	tresult PLUGIN_API getFactoryInfo (PFactoryInfo* info) override
	{
		*info = PFactoryInfo ("Chopwright tests", "https://example.invalid", "", PFactoryInfo::kUnicode);
		return kResultOk;
	}
	int32 PLUGIN_API countClasses () override { return kClassCount; }
	tresult PLUGIN_API getClassInfo (int32 index, PClassInfo* info) override
	{
		if (index < 0 || index >= kClassCount)
			return kInvalidArgument;
		*info = PClassInfo ();
		kClasses[index].id->toTUID (info->cid);
		info->cardinality = PClassInfo::kManyInstances;
		std::strncpy (info->category, kClasses[index].category, PClassInfo::kCategorySize - 1);
		copyAscii (info->name, kClasses[index].name, PClassInfo::kNameSize);
		return kResultOk;
	}
	tresult PLUGIN_API getClassInfo2 (int32 index, PClassInfo2* info) override
	{
		PClassInfo base;
		if (getClassInfo (index, &base) != kResultOk)
			return kInvalidArgument;
		*info = PClassInfo2 (base.cid, base.cardinality, base.category, base.name, kDistributable, "Fx",
		                     "Chopwright tests", "1.0.0", kVstVersionString);
		return kResultOk;
	}
	tresult PLUGIN_API getClassInfoUnicode (int32 index, PClassInfoW* info) override
	{
		PClassInfo2 info2;
		if (getClassInfo2 (index, &info2) != kResultOk)
			return kInvalidArgument;
		*info = PClassInfoW ();
		std::memcpy (info->cid, info2.cid, sizeof (TUID));
		info->cardinality = info2.cardinality;
		std::strcpy (info->category, info2.category);
		copyUtf16 (info->name, kClasses[index].name, PClassInfo::kNameSize);
		info->classFlags = info2.classFlags;
		std::strcpy (info->subCategories, info2.subCategories);
		copyUtf16 (info->vendor, u"Chopwright tests \u00e9", PClassInfoW::kVendorSize);
		copyUtf16 (info->version, u"1.0.0", PClassInfoW::kVersionSize);
		copyUtf16 (info->sdkVersion, u"VST 3.7.2", PClassInfoW::kVersionSize);
		return kResultOk;
	}
	tresult PLUGIN_API createInstance (FIDString cid, FIDString iid, void** obj) override
	{
		*obj = nullptr;
		for (const auto& entry : kClasses)
			if (FUnknownPrivate::iidEqual (cid, *entry.id))
			{
				FUnknown* object = entry.create ();
				const tresult result = object->queryInterface (iid, obj);
				object->release ();
				return result;
			}
		return kNoInterface;
	}
	tresult PLUGIN_API setHostContext (FUnknown*) override { return kResultOk; }

	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override
	{
		QUERY_INTERFACE (iid, obj, FUnknown::iid, IPluginFactory)
		QUERY_INTERFACE (iid, obj, IPluginFactory::iid, IPluginFactory)
#ifndef PROBE_FACTORY_V1
		QUERY_INTERFACE (iid, obj, IPluginFactory2::iid, IPluginFactory2)
		QUERY_INTERFACE (iid, obj, IPluginFactory3::iid, IPluginFactory3)
#endif
		*obj = nullptr;
		return kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return ++references_; }
	uint32 PLUGIN_API release () override
	{
		const uint32 left = --references_;
		if (left == 0)
			delete this;
		return left;
	}

private:
	std::atomic<uint32> references_ {1};
};

} // namespace

extern "C" {
SMTG_EXPORT_SYMBOL bool ModuleEntry (void*) { return true; }
SMTG_EXPORT_SYMBOL bool ModuleExit () { return true; }
SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory ()
{
	return new ProbeFactory; // the caller owns this reference
}
}
