#include "public.sdk/source/vst/vstaudioeffect.h"

namespace Steinberg {
namespace Vst {

namespace {

template <typename BusClass>
BusClass* busAt (BusList& list, int32 index)
{
	if (index < 0 || index >= static_cast<int32> (list.size ()))
		return nullptr;
	return FCast<BusClass> (list[static_cast<size_t> (index)].get ());
}

template <typename BusClass, typename... Args>
BusClass* appendBus (BusList& list, Args... args)
{
	auto* bus = new BusClass (args...);
	list.push_back (IPtr<Vst::Bus> (bus, false)); // the list takes the creation reference
	return bus;
}

// Applies the requested arrangements one to one; counts were checked by the caller.
void applyArrangements (BusList& list, const SpeakerArrangement* arrangements)
{
	for (size_t i = 0; i < list.size (); ++i)
		if (auto* bus = FCast<AudioBus> (list[i].get ()))
			bus->setArrangement (arrangements[i]);
}

} // namespace

AudioEffect::AudioEffect ()
{
	processSetup.processMode = kRealtime;
	processSetup.symbolicSampleSize = kSample32;
	processSetup.maxSamplesPerBlock = 1024;
	processSetup.sampleRate = 44100.0;
}

AudioBus* AudioEffect::addAudioInput (const TChar* name, SpeakerArrangement arr, BusType busType, int32 flags)
{
	return appendBus<AudioBus> (audioInputs, name, busType, flags, arr);
}

AudioBus* AudioEffect::addAudioOutput (const TChar* name, SpeakerArrangement arr, BusType busType,
                                       int32 flags)
{
	return appendBus<AudioBus> (audioOutputs, name, busType, flags, arr);
}

EventBus* AudioEffect::addEventInput (const TChar* name, int32 channels, BusType busType, int32 flags)
{
	return appendBus<EventBus> (eventInputs, name, busType, flags, channels);
}

EventBus* AudioEffect::addEventOutput (const TChar* name, int32 channels, BusType busType, int32 flags)
{
	return appendBus<EventBus> (eventOutputs, name, busType, flags, channels);
}

AudioBus* AudioEffect::getAudioInput (int32 index) { return busAt<AudioBus> (audioInputs, index); }
AudioBus* AudioEffect::getAudioOutput (int32 index) { return busAt<AudioBus> (audioOutputs, index); }
EventBus* AudioEffect::getEventInput (int32 index) { return busAt<EventBus> (eventInputs, index); }
EventBus* AudioEffect::getEventOutput (int32 index) { return busAt<EventBus> (eventOutputs, index); }

tresult PLUGIN_API AudioEffect::setBusArrangements (SpeakerArrangement* inputs, int32 numIns,
                                                    SpeakerArrangement* outputs, int32 numOuts)
{
	if (numIns < 0 || numOuts < 0 || (numIns > 0 && !inputs) || (numOuts > 0 && !outputs))
		return kInvalidArgument;
	// The default accepts only a full set: one arrangement for every bus, nothing more.
	if (numIns != static_cast<int32> (audioInputs.size ()) ||
	    numOuts != static_cast<int32> (audioOutputs.size ()))
		return kResultFalse;

	applyArrangements (audioInputs, inputs);
	applyArrangements (audioOutputs, outputs);
	return kResultTrue;
}

tresult PLUGIN_API AudioEffect::getBusArrangement (BusDirection dir, int32 index, SpeakerArrangement& arr)
{
	auto* bus = dir == kInput ? getAudioInput (index) : getAudioOutput (index);
	if (!bus)
		return kInvalidArgument;
	arr = bus->getArrangement ();
	return kResultTrue;
}

tresult PLUGIN_API AudioEffect::canProcessSampleSize (int32 symbolicSampleSize)
{
	return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API AudioEffect::setupProcessing (ProcessSetup& setup)
{
	// A setup with a sample size this processor refuses is not stored.
	if (canProcessSampleSize (setup.symbolicSampleSize) != kResultTrue)
		return kResultFalse;
	processSetup = setup;
	return kResultOk;
}

} // namespace Vst
} // namespace Steinberg
