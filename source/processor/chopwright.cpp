#include "processor/chopwright.h"

#include "common/processorstate.h"
#include "common/scopemessage.h"
#include "common/textmessage.h"
#include "entry/cids.h"
#include "parameterids.h"

#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "sdkext/runloops.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace Steinberg {
namespace Vst {

namespace {

constexpr int32 kScopePeriodMs = 10;

// Stored values are single floats; values beyond the float range are kept at its edge
// rather than converted with undefined results.
float toStoredFloat (double value)
{
	return static_cast<float> (std::fmax (-FLT_MAX, std::fmin (FLT_MAX, value)));
}

// Rates far outside anything a host runs at build no ramp tables at all.
int32 tableSampleRate (SampleRate rate)
{
	return rate >= 1.0 && rate < chopwright::kMaxTableRate ? static_cast<int32> (rate) : 0;
}

template <typename Sample>
Sample** channelBuffers (AudioBusBuffers& bus);
template <>
float** channelBuffers<float> (AudioBusBuffers& bus)
{
	return bus.channelBuffers32;
}
template <>
double** channelBuffers<double> (AudioBusBuffers& bus)
{
	return bus.channelBuffers64;
}

// Left and right of a bus: channel 1 is the right only on a two-channel bus.
template <typename Sample>
bool leftRight (AudioBusBuffers& bus, Sample*& left, Sample*& right)
{
	Sample** channels = channelBuffers<Sample> (bus);
	if (!channels || bus.numChannels < 1 || !channels[0])
		return false;
	left = channels[0];
	right = bus.numChannels == 2 && channels[1] ? channels[1] : channels[0];
	return true;
}

template <typename Sample>
void copyBypassed (AudioBusBuffers& in, AudioBusBuffers& out, int32 numSamples)
{
	Sample** inputs = channelBuffers<Sample> (in);
	Sample** outputs = channelBuffers<Sample> (out);
	if (!inputs || !outputs || in.numChannels < 1)
		return;
	for (int32 channel = 0; channel < out.numChannels; ++channel)
	{
		Sample* target = outputs[channel];
		const Sample* source = inputs[in.numChannels >= out.numChannels ? channel : 0];
		if (target && source && target != source)
			std::memcpy (target, source, sizeof (Sample) * static_cast<size_t> (numSamples));
	}
}

template <typename Sample>
void runBlock (chopwright::SliceEngine& engine, chopwright::ScopeFeed& scope, float gateSize,
               const chopwright::BlockTransport* transport, AudioBusBuffers& in, AudioBusBuffers& out,
               int32 numSamples)
{
	Sample *inLeft = nullptr, *inRight = nullptr, *outLeft = nullptr, *outRight = nullptr;
	const bool buffers = leftRight (in, inLeft, inRight) && leftRight (out, outLeft, outRight);
	chopwright::runBlock (engine, scope, gateSize, transport, buffers, inLeft, inRight, outLeft, outRight,
	                      numSamples);
}

} // namespace

Chopwright::Chopwright ()
{
	setControllerClass (kChopwrightControllerUID);
	std::srand (static_cast<unsigned> (std::time (nullptr)));
	scopeTimer = owned (Timer::create (this, kScopePeriodMs));
}

Chopwright::~Chopwright ()
{
	if (scopeTimer)
		scopeTimer->stop ();
}

tresult PLUGIN_API Chopwright::initialize (FUnknown* context)
{
	const tresult result = AudioEffect::initialize (context);
	if (result != kResultOk)
		return result;
	addAudioInput (STR16 ("Stereo In"), SpeakerArr::kStereo);
	addAudioOutput (STR16 ("Stereo Out"), SpeakerArr::kStereo);
	// A host context that brings its run loop drives the scope timer at once; otherwise the
	// timer waits for one (an open editor offers its frame's).
	offeredRunLoop = SdkExt::offerRunLoop (context);
	return kResultOk;
}

tresult PLUGIN_API Chopwright::terminate ()
{
	if (offeredRunLoop)
		SdkExt::withdrawRunLoop (hostContext);
	offeredRunLoop = false;
	engine.releaseBuffers ();
	return AudioEffect::terminate ();
}

void Chopwright::resetBusesToStereo ()
{
	removeAudioBusses ();
	addAudioInput (STR16 ("Stereo In"), SpeakerArr::kStereo);
	addAudioOutput (STR16 ("Stereo Out"), SpeakerArr::kStereo);
}

tresult PLUGIN_API Chopwright::setBusArrangements (SpeakerArrangement* inputs, int32 numIns,
                                                   SpeakerArrangement* outputs, int32 numOuts)
{
	if (numIns != 1 || numOuts != 1 || !inputs || !outputs)
		return kResultFalse;
	AudioBus* input = getAudioInput (0);
	if (!input)
		return kResultFalse;

	const int32 inChannels = SpeakerArr::getChannelCount (inputs[0]);
	const int32 outChannels = SpeakerArr::getChannelCount (outputs[0]);
	if (inChannels == 1 && outChannels == 1)
	{
		if (input->getArrangement () == inputs[0])
			return kResultTrue;
		removeAudioBusses ();
		addAudioInput (STR16 ("Mono In"), inputs[0]);
		addAudioOutput (STR16 ("Mono Out"), inputs[0]);
		return kResultTrue;
	}
	if (inChannels == 2 && outChannels == 2)
	{
		removeAudioBusses ();
		addAudioInput (STR16 ("Stereo In"), inputs[0]);
		addAudioOutput (STR16 ("Stereo Out"), outputs[0]);
		return kResultTrue;
	}
	if (input->getArrangement () != SpeakerArr::kStereo)
		resetBusesToStereo ();
	return kResultFalse;
}

tresult PLUGIN_API Chopwright::canProcessSampleSize (int32 symbolicSampleSize)
{
	return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API Chopwright::setActive (TBool state)
{
	if (state)
		engine.prepare (tableSampleRate (processSetup.sampleRate));
	return AudioEffect::setActive (state);
}

uint32 PLUGIN_API Chopwright::getProcessContextRequirements ()
{
	processContextRequirements.needSystemTime ()
	    .needContinousTimeSamples ()
	    .needProjectTimeMusic ()
	    .needBarPositionMusic ()
	    .needCycleMusic ()
	    .needSamplesToNextClock ()
	    .needTempo ()
	    .needTimeSignature ()
	    .needChord ()
	    .needFrameRate ()
	    .needTransportState ();
	return processContextRequirements.flags;
}

void Chopwright::applyParameter (ParamID id, ParamValue value)
{
	// A NaN carries no value: it never reaches a threshold, a conversion or an index.
	if (std::isnan (value))
		return;
	switch (id)
	{
		case kBreakId:
			breakValue = toStoredFloat (value);
			chopwright::applyBreak (engine, value);
			break;
		case kSliceSizeId:
			applySliceSize (value);
			break;
		case kGateSizeId:
			gateSizeValue = toStoredFloat (value);
			break;
		case kBypassId:
			bypass = value != 0.0;
			break;
		default:
			break;
	}
}

void Chopwright::applySliceSize (ParamValue value)
{
	sliceSizeValue = toStoredFloat (value);
	updateDivision (value);
}

void Chopwright::updateDivision (ParamValue value) { chopwright::applySliceSize (engine, value); }

bool Chopwright::readTransport (const ProcessData& data, chopwright::BlockTransport& transport)
{
	const ProcessContext* context = data.processContext;
	if (!context)
		return false;
	transport.sampleRate = context->sampleRate;
	transport.tempo = (context->state & ProcessContext::kTempoValid) ? context->tempo : 120.0;
	transport.quarterNotes =
	    (context->state & ProcessContext::kProjectTimeMusicValid) ? context->projectTimeMusic : 0.0;
	transport.playing = (context->state & ProcessContext::kPlaying) != 0;
	return true;
}

tresult PLUGIN_API Chopwright::process (ProcessData& data)
{
	if (sliceSizeLoaded.exchange (false, std::memory_order_acquire))
		updateDivision (loadedSliceSize.load (std::memory_order_relaxed));

	if (IParameterChanges* changes = data.inputParameterChanges)
	{
		const int32 count = changes->getParameterCount ();
		for (int32 i = 0; i < count; ++i)
		{
			IParamValueQueue* queue = changes->getParameterData (i);
			if (!queue)
				continue;
			const int32 points = queue->getPointCount ();
			int32 offset = 0;
			ParamValue value = 0.0;
			if (points > 0 && queue->getPoint (points - 1, offset, value) == kResultTrue)
				applyParameter (queue->getParameterId (), value);
		}
	}

	if (data.numInputs < 1 || data.numOutputs < 1 || !data.inputs || !data.outputs)
		return kResultOk;
	AudioBusBuffers& in = data.inputs[0];
	AudioBusBuffers& out = data.outputs[0];
	out.silenceFlags = 0;
	const int32 numSamples = data.numSamples > 0 ? data.numSamples : 0;
	const bool doublePrecision = data.symbolicSampleSize == kSample64;

	if (bypass)
	{
		if (doublePrecision)
			copyBypassed<double> (in, out, numSamples);
		else
			copyBypassed<float> (in, out, numSamples);
		return kResultOk;
	}

	const float gateSize = gateSizeValue.load (std::memory_order_relaxed);
	chopwright::BlockTransport transport;
	const chopwright::BlockTransport* context = readTransport (data, transport) ? &transport : nullptr;
	if (doublePrecision)
		runBlock<double> (engine, scope, gateSize, context, in, out, numSamples);
	else
		runBlock<float> (engine, scope, gateSize, context, in, out, numSamples);
	return kResultOk;
}

tresult PLUGIN_API Chopwright::setState (IBStream* state)
{
	// Only a complete record applies; a NaN field is skipped (as in applyParameter).
	ProcessorState record;
	if (!record.read (state))
		return kResultFalse;

	applyParameter (kBreakId, record.breakValue);
	if (!std::isnan (record.sliceSize))
	{
		// The division belongs to the audio thread: it switches before the next block.
		sliceSizeValue = record.sliceSize;
		loadedSliceSize.store (record.sliceSize, std::memory_order_relaxed);
		sliceSizeLoaded.store (true, std::memory_order_release);
	}
	applyParameter (kGateSizeId, record.gateSize);
	bypass = record.bypass;
	return kResultOk;
}

tresult PLUGIN_API Chopwright::getState (IBStream* state)
{
	ProcessorState record;
	record.breakValue = breakValue;
	record.sliceSize = sliceSizeValue;
	record.gateSize = gateSizeValue;
	record.bypass = bypass;
	return record.write (state) ? kResultOk : kResultFalse;
}

tresult PLUGIN_API Chopwright::notify (IMessage* message)
{
	// The SDK's handling of text messages reads both without checking.
	if (!message || !message->getMessageID () || !message->getAttributes ())
		return kInvalidArgument;
	if (isTextMessage (message->getMessageID ()))
	{
		const auto text = readMessageText (message->getAttributes ());
		return text ? receiveText (text->c_str ()) : kResultFalse;
	}
	return AudioEffect::notify (message);
}

tresult PLUGIN_API Chopwright::receiveText (const char* text)
{
	if (text)
		std::fprintf (stderr, "[Tidemill] received: %s\n", text);
	return kResultOk;
}

void Chopwright::onTimer (Timer*) { sendScope (); }

void Chopwright::sendScope ()
{
	int8_t bytes[chopwright::ScopeFeed::kRingSize];
	const int32 count = scope.drain (bytes);
	if (count < 0)
		return;
	IPtr<IMessage> message = owned (allocateMessage ());
	if (!message)
		return;
	message->setMessageID (chopwright::scopemessage::kMessageId);
	if (IAttributeList* attributes = message->getAttributes ())
		attributes->setBinary (chopwright::scopemessage::kDataAttribute, bytes, static_cast<uint32> (count));
	sendMessage (message);
}

} // namespace Vst
} // namespace Steinberg
