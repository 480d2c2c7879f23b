#include "adapters/vst2adapter.h"

#include "pluginterfaces/vst/ivstunits.h"
#include "pluginterfaces/vst/vstspeaker.h"
#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/main/moduleinit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace Steinberg {
namespace Vst {

namespace {

// Hosts pass larger buffers than the interface's 8 characters; names like "SliceSize" need them.
constexpr size_t kParamTextBytes = 16;
constexpr int32 kVstVersion = 2400;
constexpr uint64 kChunkTagBytes = 4;  // the unique identifier
constexpr uint64 kChunkSizeBytes = 4; // before each state

// "1.3.0.1" as 1301: the four parts as decimal digits (parts after the first at most 9).
int32 versionNumber (const char* text)
{
	int parts[4] = {};
	std::sscanf (text, "%d.%d.%d.%d", &parts[0], &parts[1], &parts[2], &parts[3]);
	return parts[0] * 1000 + std::clamp (parts[1], 0, 9) * 100 + std::clamp (parts[2], 0, 9) * 10 +
	       std::clamp (parts[3], 0, 9);
}

void appendUint32 (std::vector<char>& out, uint32 value, bool bigEndian)
{
	for (int i = 0; i < 4; ++i)
		out.push_back (static_cast<char> (value >> (bigEndian ? 24 - 8 * i : 8 * i)));
}

uint32 readUint32 (const unsigned char* in, bool bigEndian)
{
	uint32 value = 0;
	for (int i = 0; i < 4; ++i)
		value |= static_cast<uint32> (in[i]) << (bigEndian ? 24 - 8 * i : 8 * i);
	return value;
}

// A host's double as a whole number; what does not fit (or is NaN) is 0.
int64 toInt64 (double value) { return value > -9.2e18 && value < 9.2e18 ? static_cast<int64> (value) : 0; }

int16 toInt16 (int32 value) { return static_cast<int16> (std::clamp<int32> (value, INT16_MIN, INT16_MAX)); }

template <typename Sample>
Sample**& channelBuffers (AudioBusBuffers& bus);
template <>
float**& channelBuffers<float> (AudioBusBuffers& bus)
{
	return bus.channelBuffers32;
}
template <>
double**& channelBuffers<double> (AudioBusBuffers& bus)
{
	return bus.channelBuffers64;
}

} // namespace

vst2::Effect* Vst2Adapter::create (IPluginFactory* factory, const TUID processorClass, int32 uniqueId,
                                   vst2::Callback host)
{
	if (!factory || !host)
		return nullptr;
	Vst2Adapter* adapter = nullptr;
	try
	{
		adapter = new Vst2Adapter (host, uniqueId);
		if (adapter->setUp (factory, processorClass))
			return &adapter->effect;
	}
	catch (...)
	{}
	delete adapter;
	return nullptr;
}

Vst2Adapter* Vst2Adapter::fromEffect (vst2::Effect* effect)
{
	return effect && effect->magic == vst2::kEffectMagic && effect->dispatcher == dispatchProc
	           ? static_cast<Vst2Adapter*> (effect->object)
	           : nullptr;
}

Vst2Adapter::Vst2Adapter (vst2::Callback host, int32 uniqueId)
    : host (host), mainThread (std::this_thread::get_id ())
{
	effect.magic = vst2::kEffectMagic;
	effect.dispatcher = dispatchProc;
	effect.process = accumulateProc;
	effect.setParameter = setParameterProc;
	effect.getParameter = getParameterProc;
	effect.processReplacing = processProc<float>;
	effect.processDoubleReplacing = processProc<double>;
	effect.numPrograms = 1;
	effect.numInputs = kChannels;
	effect.numOutputs = kChannels;
	effect.flags = vst2::effFlagsCanReplacing | vst2::effFlagsCanDoubleReplacing |
	               vst2::effFlagsProgramChunks | vst2::effFlagsHasEditor;
	effect.ioRatio = 1.0f;
	effect.object = this;
	effect.uniqueID = uniqueId;
}

Vst2Adapter::~Vst2Adapter ()
{
	tearDown ();
	// The module's last exit runs its terminators (the view library, the run loops).
	if (moduleEntered)
		ModuleLifetime::exit ();
}

bool Vst2Adapter::setUp (IPluginFactory* factory, const TUID processorClass)
{
	// VST 2 hosts call no module entry: each effect enters the module while it lives.
	moduleEntered = ModuleLifetime::enter (nullptr);
	if (!readClassInfo (factory, processorClass))
		return false;

	hostContext = std::make_unique<AdapterHostContext> ();
	void* object = nullptr;
	if (factory->createInstance (processorClass, IComponent::iid, &object) != kResultOk || !object)
		return false;
	component = owned (static_cast<IComponent*> (object));
	if (component->initialize (hostContext.get ()) != kResultOk)
		return false;
	componentInitialized = true;
	processor = FUnknownPtr<IAudioProcessor> (component);

	TUID controllerClass = {};
	object = nullptr;
	if (!processor || component->getControllerClassId (controllerClass) != kResultOk ||
	    factory->createInstance (controllerClass, IEditController::iid, &object) != kResultOk || !object)
		return false;
	controller = owned (static_cast<IEditController*> (object));
	if (controller->initialize (hostContext.get ()) != kResultOk)
		return false;
	controllerInitialized = true;
	controller->setComponentHandler (this);

	componentPoint = FUnknownPtr<IConnectionPoint> (component);
	controllerPoint = FUnknownPtr<IConnectionPoint> (controller);
	if (componentPoint && controllerPoint)
	{
		componentPoint->connect (controllerPoint);
		controllerPoint->connect (componentPoint);
		connected = true;
	}

	MemoryStream state;
	if (component->getState (&state) == kResultOk)
	{
		state.seek (0, IBStream::kIBSeekSet, nullptr);
		controller->setComponentState (&state);
	}

	SpeakerArrangement stereo = SpeakerArr::kStereo;
	if (processor->setBusArrangements (&stereo, 1, &stereo, 1) != kResultTrue)
		return false;
	component->activateBus (kAudio, kInput, 0, true);
	component->activateBus (kAudio, kOutput, 0, true);
	readParameters ();
	return true;
}

bool Vst2Adapter::readClassInfo (IPluginFactory* factory, const TUID processorClass)
{
	PFactoryInfo factoryInfo;
	if (factory->getFactoryInfo (&factoryInfo) == kResultOk)
		vendor = factoryInfo.vendor;
	FUnknownPtr<IPluginFactory2> factory2 (factory);
	for (int32 i = 0; i < factory->countClasses (); ++i)
	{
		PClassInfo2 info;
		if (!factory2 || factory2->getClassInfo2 (i, &info) != kResultOk ||
		    std::memcmp (info.cid, processorClass, sizeof (TUID)) != 0)
			continue;
		name = info.name;
		if (info.vendor[0])
			vendor = info.vendor;
		effect.version = versionNumber (info.version);
		return true;
	}
	return false;
}

// Every parameter but the program change (the one program stands for it) becomes a VST 2
// parameter, in the controller's order.
void Vst2Adapter::readParameters ()
{
	const int32 count = std::max (controller->getParameterCount (), 0);
	parameters = std::make_unique<Parameter[]> (static_cast<size_t> (count));
	for (int32 i = 0; i < count; ++i)
	{
		ParameterInfo info {};
		if (controller->getParameterInfo (i, info) != kResultOk ||
		    (info.flags & ParameterInfo::kIsProgramChange))
			continue;
		Parameter& parameter = parameters[static_cast<size_t> (numParameters++)];
		parameter.id = info.id;
		parameter.name = toUtf8 (info.title);
		parameter.units = toUtf8 (info.units);
		parameter.automatable = (info.flags & ParameterInfo::kCanAutomate) != 0;
	}
	effect.numParams = numParameters;
	changes = std::make_unique<BlockParameterChanges> (numParameters);
	refreshValues ();

	programName = name;
	FUnknownPtr<IUnitInfo> units (controller);
	ProgramListInfo list {};
	String128 text {};
	if (units && units->getProgramListCount () > 0 && units->getProgramListInfo (0, list) == kResultOk &&
	    units->getProgramName (list.id, 0, text) == kResultOk)
		programName = toUtf8 (text);
}

void Vst2Adapter::tearDown ()
{
	closeEditor ();
	if (active)
		setActive (false);
	if (connected)
	{
		componentPoint->disconnect (controllerPoint);
		controllerPoint->disconnect (componentPoint);
		connected = false;
	}
	if (controller)
		controller->setComponentHandler (nullptr);
	if (controllerInitialized)
		controller->terminate ();
	if (componentInitialized)
		component->terminate ();
	controllerInitialized = componentInitialized = false;
	componentPoint = controllerPoint = nullptr;
	controller = nullptr;
	processor = nullptr;
	component = nullptr;
	hostContext.reset ();
}

//------------------------------------------------------------------------
// The effect's entries: nothing may throw through them.

intptr_t Vst2Adapter::dispatchProc (vst2::Effect* effect, int32_t opcode, int32_t index, intptr_t value,
                                    void* ptr, float opt)
{
	Vst2Adapter* adapter = fromEffect (effect);
	if (!adapter)
		return 0;
	try
	{
		if (opcode == vst2::effClose)
		{
			delete adapter;
			return 1;
		}
		return adapter->dispatch (opcode, index, value, ptr, opt);
	}
	catch (...)
	{
		return 0;
	}
}

void Vst2Adapter::setParameterProc (vst2::Effect* effect, int32_t index, float value)
{
	if (Vst2Adapter* adapter = fromEffect (effect))
	{
		try
		{
			adapter->setParameter (index, value);
		}
		catch (...)
		{}
	}
}

float Vst2Adapter::getParameterProc (vst2::Effect* effect, int32_t index)
{
	Vst2Adapter* adapter = fromEffect (effect);
	if (!adapter || index < 0 || index >= adapter->numParameters)
		return 0.0f;
	return static_cast<float> (adapter->parameters[static_cast<size_t> (index)].value.load ());
}

template <typename Sample>
void Vst2Adapter::processProc (vst2::Effect* effect, Sample** inputs, Sample** outputs, int32_t frames)
{
	if (Vst2Adapter* adapter = fromEffect (effect))
	{
		try
		{
			adapter->process (inputs, outputs, frames);
		}
		catch (...)
		{}
	}
}

//------------------------------------------------------------------------

intptr_t Vst2Adapter::dispatch (int32 opcode, int32 index, intptr_t value, void* ptr, float opt)
{
	// Values set on the audio thread reach the controller on the next call from the UI thread.
	sendToController ();
	switch (opcode)
	{
		case vst2::effGetProgramName:
			copyText (programName, ptr, vst2::kProgramNameBytes);
			return ptr ? 1 : 0;
		case vst2::effGetProgramNameIndexed:
			if (index != 0)
				return 0;
			copyText (programName, ptr, vst2::kProgramNameBytes);
			return ptr ? 1 : 0;
		case vst2::effGetParamLabel:
		case vst2::effGetParamDisplay:
		case vst2::effGetParamName:
			return parameterText (opcode, index, ptr);
		case vst2::effCanBeAutomated:
			return index >= 0 && index < numParameters && parameters[static_cast<size_t> (index)].automatable;
		case vst2::effSetSampleRate:
			if (!(opt > 0.0f))
				return 0;
			setup.sampleRate = opt;
			reactivate ();
			return 1;
		case vst2::effSetBlockSize:
			if (value < 1 || value > INT32_MAX)
				return 0;
			setup.maxSamplesPerBlock = static_cast<int32> (value);
			reactivate ();
			return 1;
		case vst2::effSetProcessPrecision:
			setup.symbolicSampleSize = value == vst2::kProcessPrecision64 ? kSample64 : kSample32;
			return 1;
		case vst2::effMainsChanged:
			setActive (value != 0);
			return 1;
		case vst2::effGetChunk:
			return getChunk (static_cast<void**> (ptr));
		case vst2::effSetChunk:
			return setChunk (ptr, value);
		case vst2::effEditGetRect:
		{
			ViewRect size;
			if (!ptr || !makeView () || view->getSize (&size) != kResultOk)
				return 0;
			editorRect = {toInt16 (size.top), toInt16 (size.left), toInt16 (size.bottom),
			              toInt16 (size.right)};
			*static_cast<vst2::Rect**> (ptr) = &editorRect;
			return 1;
		}
		case vst2::effEditOpen:
			return openEditor (ptr);
		case vst2::effEditClose:
			return closeEditor ();
		case vst2::effEditIdle:
			idleRunLoop ().idle ();
			return editorOpen ? 1 : 0;
		case vst2::effGetPlugCategory:
			return vst2::kPlugCategEffect;
		case vst2::effGetEffectName:
			copyText (name, ptr, vst2::kEffectNameBytes);
			return ptr ? 1 : 0;
		case vst2::effGetProductString:
			copyText (name, ptr, vst2::kVendorBytes);
			return ptr ? 1 : 0;
		case vst2::effGetVendorString:
			copyText (vendor, ptr, vst2::kVendorBytes);
			return ptr ? 1 : 0;
		case vst2::effGetVendorVersion:
			return effect.version;
		case vst2::effCanDo:
			return canDo (static_cast<const char*> (ptr));
		case vst2::effGetTailSize:
		{
			// VST 2 reads 0 as "not known" and 1 as "no tail".
			const uint32 tail = processor->getTailSamples ();
			return tail == kNoTail ? 1 : tail == kInfiniteTail ? 0 : static_cast<intptr_t> (tail);
		}
		case vst2::effGetVstVersion:
			return kVstVersion;
		default:
			// effOpen, the single program (effSetProgram, effGetProgram), and everything else.
			return 0;
	}
}

intptr_t Vst2Adapter::canDo (const char* feature) const
{
	static const char* const supported[] = {"plugAsChannelInsert", "plugAsSend", "receiveVstTimeInfo",
	                                        "2in2out"};
	if (!feature)
		return 0;
	for (const char* yes : supported)
		if (std::strcmp (feature, yes) == 0)
			return 1;
	return -1;
}

//------------------------------------------------------------------------
// Parameters

void Vst2Adapter::setParameter (int32 index, double value)
{
	if (index < 0 || index >= numParameters || std::isnan (value))
		return;
	Parameter& parameter = parameters[static_cast<size_t> (index)];
	parameter.value.store (std::clamp (value, 0.0, 1.0), std::memory_order_relaxed);
	parameter.toProcessor.store (true, std::memory_order_release);
	parameter.toController.store (true, std::memory_order_release);
	if (onMainThread ())
		sendToController ();
}

Vst2Adapter::Parameter* Vst2Adapter::findParameter (ParamID id, int32* index)
{
	for (int32 i = 0; i < numParameters; ++i)
	{
		if (parameters[static_cast<size_t> (i)].id != id)
			continue;
		if (index)
			*index = i;
		return &parameters[static_cast<size_t> (i)];
	}
	return nullptr;
}

void Vst2Adapter::sendToController ()
{
	if (!onMainThread ())
		return;
	for (int32 i = 0; i < numParameters; ++i)
	{
		Parameter& parameter = parameters[static_cast<size_t> (i)];
		if (parameter.toController.exchange (false, std::memory_order_acquire))
			controller->setParamNormalized (parameter.id, parameter.value.load (std::memory_order_relaxed));
	}
}

void Vst2Adapter::refreshValues ()
{
	for (int32 i = 0; i < numParameters; ++i)
	{
		Parameter& parameter = parameters[static_cast<size_t> (i)];
		parameter.value.store (controller->getParamNormalized (parameter.id));
	}
}

intptr_t Vst2Adapter::parameterText (int32 opcode, int32 index, void* text)
{
	if (!text || index < 0 || index >= numParameters)
		return 0;
	const Parameter& parameter = parameters[static_cast<size_t> (index)];
	if (opcode == vst2::effGetParamName)
		copyText (parameter.name, text, kParamTextBytes);
	else if (opcode == vst2::effGetParamLabel)
		copyText (parameter.units, text, kParamTextBytes);
	else
	{
		String128 display {};
		controller->getParamStringByValue (parameter.id, parameter.value.load (), display);
		copyText (toUtf8 (display), text, kParamTextBytes);
	}
	return 1;
}

tresult PLUGIN_API Vst2Adapter::beginEdit (ParamID id)
{
	int32 index = 0;
	if (!findParameter (id, &index))
		return kInvalidArgument;
	host (&effect, vst2::audioMasterBeginEdit, index, 0, nullptr, 0.0f);
	return kResultOk;
}

tresult PLUGIN_API Vst2Adapter::performEdit (ParamID id, ParamValue valueNormalized)
{
	int32 index = 0;
	Parameter* parameter = findParameter (id, &index);
	if (!parameter || std::isnan (valueNormalized))
		return kInvalidArgument;
	parameter->value.store (std::clamp (valueNormalized, 0.0, 1.0), std::memory_order_relaxed);
	parameter->toProcessor.store (true, std::memory_order_release);
	host (&effect, vst2::audioMasterAutomate, index, 0, nullptr, static_cast<float> (valueNormalized));
	return kResultOk;
}

tresult PLUGIN_API Vst2Adapter::endEdit (ParamID id)
{
	int32 index = 0;
	if (!findParameter (id, &index))
		return kInvalidArgument;
	host (&effect, vst2::audioMasterEndEdit, index, 0, nullptr, 0.0f);
	return kResultOk;
}

tresult PLUGIN_API Vst2Adapter::restartComponent (int32 flags)
{
	if (flags & kParamValuesChanged)
	{
		refreshValues ();
		host (&effect, vst2::audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f);
	}
	if (flags & kLatencyChanged)
	{
		effect.initialDelay = static_cast<int32> (processor->getLatencySamples ());
		host (&effect, vst2::audioMasterIOChanged, 0, 0, nullptr, 0.0f);
	}
	return kResultOk;
}

//------------------------------------------------------------------------
// Processing

void Vst2Adapter::setActive (bool state)
{
	if (state == active)
		return;
	if (state)
	{
		if (processor->setupProcessing (setup) != kResultOk || component->setActive (true) != kResultOk)
			return;
		processor->setProcessing (true);
	}
	else
	{
		processor->setProcessing (false);
		component->setActive (false);
	}
	active = state;
	processing.store (state, std::memory_order_release);
}

// A new rate or block size while active applies at once: hosts do send them then.
void Vst2Adapter::reactivate ()
{
	if (!active)
		return;
	setActive (false);
	setActive (true);
}

template <typename Sample>
void Vst2Adapter::process (Sample** inputs, Sample** outputs, int32 frames)
{
	if (!inputs || !outputs)
		return;
	frames = std::max (frames, 0);
	if (!processing.load (std::memory_order_acquire))
	{
		// Not resumed (effMainsChanged): the input passes untouched.
		for (int32 c = 0; c < kChannels; ++c)
			if (inputs[c] && outputs[c] && inputs[c] != outputs[c])
				std::memcpy (outputs[c], inputs[c], sizeof (Sample) * static_cast<size_t> (frames));
		return;
	}

	changes->clear ();
	for (int32 i = 0; i < numParameters; ++i)
	{
		Parameter& parameter = parameters[static_cast<size_t> (i)];
		if (parameter.toProcessor.exchange (false, std::memory_order_acquire))
			changes->add (parameter.id, parameter.value.load (std::memory_order_relaxed));
	}

	Sample* in[kChannels];
	Sample* out[kChannels];
	inputBus.numChannels = outputBus.numChannels = kChannels;
	channelBuffers<Sample> (inputBus) = in;
	channelBuffers<Sample> (outputBus) = out;
	data.symbolicSampleSize = sizeof (Sample) == sizeof (double) ? kSample64 : kSample32;
	data.processMode = setup.processMode;
	data.numInputs = data.numOutputs = 1;
	data.inputs = &inputBus;
	data.outputs = &outputBus;
	data.inputParameterChanges = changes.get ();
	data.processContext = readTime () ? &context : nullptr;

	// Blocks longer than the announced size go in pieces; the changes come with the first.
	int32 done = 0;
	do
	{
		const int32 count = std::min (frames - done, setup.maxSamplesPerBlock);
		for (int32 c = 0; c < kChannels; ++c)
		{
			in[c] = inputs[c] + done;
			out[c] = outputs[c] + done;
		}
		data.numSamples = count;
		processor->process (data);
		changes->clear ();
		context.projectTimeSamples += count;
		context.projectTimeMusic += count * context.tempo / (60.0 * context.sampleRate);
		done += count;
	} while (done < frames);
	channelBuffers<Sample> (inputBus) = nullptr;
	channelBuffers<Sample> (outputBus) = nullptr;
}

// The host's time information as the process context; a field counts only when the host says
// it is valid.
bool Vst2Adapter::readTime ()
{
	constexpr int32 wanted = vst2::kVstPpqPosValid | vst2::kVstTempoValid | vst2::kVstBarsValid |
	                         vst2::kVstCyclePosValid | vst2::kVstTimeSigValid | vst2::kVstNanosValid;
	const auto* time = reinterpret_cast<const vst2::TimeInfo*> (
	    host (&effect, vst2::audioMasterGetTime, 0, wanted, nullptr, 0.0f));
	if (!time)
		return false;
	context = {};
	context.sampleRate = setup.sampleRate;
	context.projectTimeSamples = toInt64 (time->samplePos);
	const int32 flags = time->flags;
	if (flags & vst2::kVstTransportPlaying)
		context.state |= ProcessContext::kPlaying;
	if (flags & vst2::kVstTransportRecording)
		context.state |= ProcessContext::kRecording;
	if (flags & vst2::kVstTransportCycleActive)
		context.state |= ProcessContext::kCycleActive;
	if (flags & vst2::kVstTempoValid)
	{
		context.tempo = time->tempo;
		context.state |= ProcessContext::kTempoValid;
	}
	if (flags & vst2::kVstPpqPosValid)
	{
		context.projectTimeMusic = time->ppqPos;
		context.state |= ProcessContext::kProjectTimeMusicValid;
	}
	if (flags & vst2::kVstBarsValid)
	{
		context.barPositionMusic = time->barStartPos;
		context.state |= ProcessContext::kBarPositionValid;
	}
	if (flags & vst2::kVstCyclePosValid)
	{
		context.cycleStartMusic = time->cycleStartPos;
		context.cycleEndMusic = time->cycleEndPos;
		context.state |= ProcessContext::kCycleValid;
	}
	if (flags & vst2::kVstTimeSigValid)
	{
		context.timeSigNumerator = time->timeSigNumerator;
		context.timeSigDenominator = time->timeSigDenominator;
		context.state |= ProcessContext::kTimeSigValid;
	}
	if (flags & vst2::kVstNanosValid)
	{
		context.systemTime = toInt64 (time->nanoSeconds);
		context.state |= ProcessContext::kSystemTimeValid;
	}
	return true;
}

// Values set while suspended reach the processor in a parameter-only block, so that its
// state includes them.
void Vst2Adapter::sendToInactiveProcessor ()
{
	bool pending = false;
	for (int32 i = 0; i < numParameters; ++i)
		pending = pending || parameters[static_cast<size_t> (i)].toProcessor.load ();
	if (active || !pending)
		return;
	setActive (true);
	if (active)
	{
		changes->clear ();
		for (int32 i = 0; i < numParameters; ++i)
		{
			Parameter& parameter = parameters[static_cast<size_t> (i)];
			if (parameter.toProcessor.exchange (false))
				changes->add (parameter.id, parameter.value.load ());
		}
		ProcessData flush;
		flush.processMode = setup.processMode;
		flush.symbolicSampleSize = setup.symbolicSampleSize;
		flush.inputParameterChanges = changes.get ();
		processor->process (flush);
		changes->clear ();
	}
	setActive (false);
}

//------------------------------------------------------------------------
// State: the unique identifier (most significant byte first), then the processor's and the
// controller's states, each after its size (32 bits, little-endian).

intptr_t Vst2Adapter::getChunk (void** out)
{
	if (!out)
		return 0;
	sendToInactiveProcessor ();
	MemoryStream processorState;
	MemoryStream controllerState;
	if (component->getState (&processorState) != kResultOk)
		return 0;
	if (controller->getState (&controllerState) != kResultOk)
		controllerState.setSize (0);

	chunk.clear ();
	appendUint32 (chunk, static_cast<uint32> (effect.uniqueID), true);
	for (MemoryStream* state : {&processorState, &controllerState})
	{
		const auto size = static_cast<uint32> (state->getSize ());
		appendUint32 (chunk, size, false);
		chunk.insert (chunk.end (), state->getData (), state->getData () + size);
	}
	*out = chunk.data ();
	return static_cast<intptr_t> (chunk.size ());
}

intptr_t Vst2Adapter::setChunk (const void* in, intptr_t size)
{
	const auto total = static_cast<uint64> (std::max<intptr_t> (size, 0));
	if (!in || total < kChunkTagBytes + 2 * kChunkSizeBytes)
		return 0;
	const auto* bytes = static_cast<const unsigned char*> (in);
	if (readUint32 (bytes, true) != static_cast<uint32> (effect.uniqueID))
		return 0;
	const unsigned char* processorBytes = bytes + kChunkTagBytes + kChunkSizeBytes;
	const uint64 processorSize = readUint32 (bytes + kChunkTagBytes, false);
	if (kChunkTagBytes + 2 * kChunkSizeBytes + processorSize > total)
		return 0;
	const unsigned char* controllerBytes = processorBytes + processorSize + kChunkSizeBytes;
	const uint64 controllerSize = readUint32 (processorBytes + processorSize, false);
	if (kChunkTagBytes + 2 * kChunkSizeBytes + processorSize + controllerSize != total)
		return 0;

	// The stored state replaces what earlier setParameter calls have not yet delivered.
	for (int32 i = 0; i < numParameters; ++i)
		parameters[static_cast<size_t> (i)].toProcessor.store (false);
	MemoryStream processorState (const_cast<unsigned char*> (processorBytes),
	                             static_cast<TSize> (processorSize));
	if (component->setState (&processorState) != kResultOk)
		return 0;
	processorState.seek (0, IBStream::kIBSeekSet, nullptr);
	controller->setComponentState (&processorState);
	if (controllerSize > 0)
	{
		MemoryStream controllerState (const_cast<unsigned char*> (controllerBytes),
		                              static_cast<TSize> (controllerSize));
		controller->setState (&controllerState);
	}
	refreshValues ();
	return 1;
}

//------------------------------------------------------------------------
// Editor: the controller's view, embedded in the host's X11 window.

bool Vst2Adapter::makeView ()
{
	if (!view)
	{
		view = owned (controller->createView (ViewType::kEditor));
		if (view && view->isPlatformTypeSupported (kPlatformTypeX11EmbedWindowID) != kResultTrue)
			view = nullptr;
	}
	return view != nullptr;
}

intptr_t Vst2Adapter::openEditor (void* window)
{
	if (editorOpen || !window || !makeView ())
		return 0;
	view->setFrame (this);
	if (view->attached (window, kPlatformTypeX11EmbedWindowID) != kResultOk)
	{
		view->setFrame (nullptr);
		view = nullptr;
		return 0;
	}
	editorOpen = true;
	return 1;
}

intptr_t Vst2Adapter::closeEditor ()
{
	if (!view)
		return 0;
	if (editorOpen)
		view->removed ();
	view->setFrame (nullptr);
	view = nullptr;
	editorOpen = false;
	return 1;
}

tresult PLUGIN_API Vst2Adapter::resizeView (IPlugView* requester, ViewRect* newSize)
{
	if (!requester || requester != view || !newSize)
		return kInvalidArgument;
	if (!host (&effect, vst2::audioMasterSizeWindow, newSize->getWidth (), newSize->getHeight (), nullptr,
	           0.0f))
		return kResultFalse;
	editorRect = {toInt16 (newSize->top), toInt16 (newSize->left), toInt16 (newSize->bottom),
	              toInt16 (newSize->right)};
	return view->onSize (newSize);
}

tresult PLUGIN_API Vst2Adapter::queryInterface (const TUID iid, void** obj)
{
	QUERY_INTERFACE (iid, obj, FUnknown::iid, IComponentHandler)
	QUERY_INTERFACE (iid, obj, IComponentHandler::iid, IComponentHandler)
	QUERY_INTERFACE (iid, obj, IPlugFrame::iid, IPlugFrame)
	if (FUnknownPrivate::iidEqual (iid, Linux::IRunLoop::iid))
		return idleRunLoop ().queryInterface (iid, obj);
	*obj = nullptr;
	return kNoInterface;
}

} // namespace Vst
} // namespace Steinberg
