// A host-call script: bus arrangements, setups at any rate and block size, activation
// changes, blocks of 0 to 8192 samples with or without a process context (NaN and infinite
// fields included), parameter queues with any ids, values and offsets, null or mismatched
// buffers, the level timer and state loads in between. Every channel buffer is its own
// allocation of exactly the block's length, so ASan sees a read or write past it. As long as
// every input sample so far was finite (and within the float range), so is every output.
#include "host.h"
#include "scripts.h"

#include "hosting/parameter_changes.h"
#include "hosting/transport.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/vstspeaker.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

using fuzz::HostOp;

constexpr int32 kMaxBlock = 8192;
constexpr int64 kMaxFramesPerInput = 1 << 21; // keeps one input well under the time limit

// One process call as the script describes it (see readBlock).
struct Block
{
	int32 frames = 0;
	bool doublePrecision = false;
	uint8 buses = 0;
	uint8 shape = 0;
	uint8 signal = 0;
	double level = 0.0;
	uint8 seed = 0;
	uint8 context = 0;
	double field = 0.0;
	uint32 rawField = 0;
	struct Point
	{
		ParamID id;
		int32 offset;
		ParamValue value;
	};
	std::vector<Point> points;
};

//   frames byte (255: raw uint16 % 8193, 254: -1, else byte × 33 up to 8192), 64-bit flag,
//   buses byte (bits 0-1 inputs, 2-3 outputs, 4 null input array, 5 null output array,
//     6 no output parameter changes, 7 no input parameter changes),
//   shape byte (bits 0-1 input channels, 2-3 output channels, 4 in place, 5 null input
//     channel 0, 6 null last output channel, 7 null channel arrays),
//   signal byte (% 5: silence, sine, noise, constant, alternating), level value, seed byte,
//   context byte (0 none, 1 transport, else transport with one field replaced: a value and
//     a raw uint32 follow), point count byte (% 9), per point: id, index (offset), value
Block readBlock (fuzz::Reader& in)
{
	Block b;
	const uint8 frames = in.byte ();
	if (frames == 255)
		b.frames = in.raw<uint16> () % (kMaxBlock + 1);
	else
		b.frames = frames == 254 ? -1 : std::min (frames * 33, kMaxBlock);
	b.doublePrecision = in.flag ();
	b.buses = in.byte ();
	b.shape = in.byte ();
	b.signal = in.byte () % 5;
	b.level = in.value ();
	b.seed = in.byte ();
	b.context = in.byte ();
	if (b.context >= 2)
	{
		b.field = in.value ();
		b.rawField = in.raw<uint32> ();
	}
	const int points = in.byte () % 9;
	for (int i = 0; i < points; ++i)
	{
		const ParamID id = in.paramId ();
		const int32 offset = in.index ();
		b.points.push_back ({id, offset, in.value ()});
	}
	return b;
}

// A sample as the host stores it: out-of-range values become infinities, never an undefined
// conversion.
template <typename Sample>
Sample toSample (double value)
{
	if (sizeof (Sample) == sizeof (float) && std::fabs (value) > FLT_MAX)
		return static_cast<Sample> (std::copysign (INFINITY, value));
	return static_cast<Sample> (value);
}

double signalAt (const Block& b, int32 frame, uint32& noise)
{
	switch (b.signal)
	{
		case 1:
			return b.level * std::sin (frame * 0.0627);
		case 2:
			noise = noise * 1664525u + 1013904223u;
			return b.level * (static_cast<int32> (noise) * 0x1p-31);
		case 3:
			return b.level;
		case 4:
			return frame % 2 ? b.level : -b.level;
		default:
			return 0.0;
	}
}

// The channel buffers of one bus, each allocated separately with exactly `frames` samples.
template <typename Sample>
struct Channels
{
	std::vector<std::unique_ptr<Sample[]>> storage;
	std::vector<Sample*> pointers;

	Channels (int32 count, int32 frames)
	{
		for (int32 c = 0; c < count; ++c)
		{
			storage.emplace_back (new Sample[static_cast<size_t> (frames)]());
			pointers.push_back (storage.back ().get ());
		}
	}
};

class Host
{
public:
	void run (fuzz::Reader& in)
	{
		while (!in.done () && framesLeft > 0)
			step (in);
	}

private:
	void step (fuzz::Reader& in)
	{
		switch (static_cast<HostOp> (in.byte () % static_cast<uint8> (HostOp::count)))
		{
			case HostOp::arrange:
				arrange (in);
				break;
			case HostOp::setup:
				setup (in);
				break;
			case HostOp::activate:
				component ()->setActive (in.flag ());
				break;
			case HostOp::processing:
				processor ()->setProcessing (in.flag ());
				break;
			case HostOp::activateBus:
			{
				const MediaType type = in.byte () % 3;
				const BusDirection direction = in.byte () % 3;
				const int32 index = in.index ();
				component ()->activateBus (type, direction, index, in.flag ());
				break;
			}
			case HostOp::transport:
				tempo = in.raw<double> ();
				playing = in.flag ();
				position += in.raw<int32> ();
				break;
			case HostOp::process:
			{
				const int repeat = in.byte () % 64 + 1;
				const Block block = readBlock (in);
				for (int i = 0; i < repeat && framesLeft > 0; ++i)
				{
					if (block.doublePrecision)
						process<double> (block, i == 0);
					else
						process<float> (block, i == 0);
				}
				break;
			}
			case HostOp::timers:
				session.runLoop.advance (in.byte ());
				break;
			case HostOp::loadState:
				if (component ()->setState (fuzz::streamOf (in.bytes (in.dataSize ()))) == kResultOk)
					session.plugin.controller ()->setComponentState (
					    fuzz::streamOf (fuzz::stateOf (component ())));
				break;
			case HostOp::count:
				break;
		}
	}

	//   inputs byte (% 3), outputs byte (% 3), flags byte (bit 0 null inputs, bit 1 null
	//   outputs), per bus an arrangement byte (0 mono, 1 stereo, 2 empty, 3 5.1, else raw
	//   uint64), then index (bus queried afterwards)
	void arrange (fuzz::Reader& in)
	{
		const int32 inputs = in.byte () % 3;
		const int32 outputs = in.byte () % 3;
		const uint8 flags = in.byte ();
		SpeakerArrangement arrangements[4] {};
		for (int32 i = 0; i < inputs + outputs; ++i)
		{
			static const SpeakerArrangement kKnown[] = {SpeakerArr::kMono, SpeakerArr::kStereo,
			                                            SpeakerArr::kEmpty, SpeakerArr::k51};
			const uint8 s = in.byte ();
			arrangements[i] = s < 4 ? kKnown[s] : in.raw<uint64> ();
		}
		processor ()->setBusArrangements ((flags & 1) ? nullptr : arrangements, inputs,
		                                  (flags & 2) ? nullptr : arrangements + inputs, outputs);

		const int32 bus = in.index ();
		for (BusDirection direction : {kInput, kOutput})
		{
			SpeakerArrangement arrangement = 0;
			processor ()->getBusArrangement (direction, bus, arrangement);
			BusInfo info {};
			component ()->getBusInfo (kAudio, direction, bus, info);
			component ()->getBusCount (kAudio, direction);
		}
	}

	//   mode byte (< 3 a process mode, else passed as it is), 64-bit flag, index (max block),
	//   rate byte (< 6 a common rate, else a value follows)
	void setup (fuzz::Reader& in)
	{
		static const double kRates[] = {44100.0, 48000.0, 96000.0, 192000.0, 8000.0, 22050.0};
		ProcessSetup setup {};
		setup.processMode = in.byte ();
		setup.symbolicSampleSize = in.flag () ? kSample64 : kSample32;
		setup.maxSamplesPerBlock = in.index ();
		const uint8 rateChoice = in.byte ();
		setup.sampleRate = rateChoice < 6 ? kRates[rateChoice] : in.value ();
		rate = setup.sampleRate;
		processor ()->setupProcessing (setup);
	}

	// The context a host sends: its transport at the current position, computed on a sane
	// grid (hosting::Transport needs one), carrying the rate and tempo this host announced.
	void fillContext (const Block& b)
	{
		hosting::Transport transport;
		transport.sampleRate = rate >= 1.0 && rate <= 1.0e7 ? rate : 44100.0;
		transport.tempo = tempo >= 1.0 && tempo <= 1.0e5 ? tempo : 120.0;
		transport.playing = playing;
		transport.fill (context, position);
		context.sampleRate = rate;
		context.tempo = tempo;
		switch (b.context >= 2 ? (b.context - 2) % 6 : 6)
		{
			case 0:
				context.tempo = b.field;
				break;
			case 1:
				context.projectTimeMusic = b.field;
				break;
			case 2:
				context.sampleRate = b.field;
				break;
			case 3:
				context.barPositionMusic = b.field;
				break;
			case 4:
				context.state = b.rawField;
				break;
			case 5:
				context.projectTimeSamples = static_cast<int64> (b.rawField) << 31;
				break;
			default:
				break;
		}
	}

	template <typename Sample>
	void process (const Block& b, bool firstOfRun)
	{
		const int32 frames = std::max (b.frames, 0);
		const int32 inChannels = b.shape & 3;
		const int32 outChannels = (b.shape >> 2) & 3;
		const int32 numInputs = b.buses & 3;
		const int32 numOutputs = (b.buses >> 2) & 3;

		// Every bus gets the same shape and signal; odd pointers go on bus 0.
		std::vector<Channels<Sample>> inputs, outputs;
		uint32 noise = b.seed;
		for (int32 i = 0; i < numInputs; ++i)
		{
			inputs.emplace_back (inChannels, frames);
			for (Sample* channel : inputs.back ().pointers)
				for (int32 f = 0; f < frames; ++f)
					channel[f] = toSample<Sample> (signalAt (b, f, noise));
		}
		for (int32 i = 0; i < numOutputs; ++i)
		{
			outputs.emplace_back (outChannels, frames);
			if ((b.shape & 16) && i < numInputs)
				for (int32 c = 0; c < std::min (inChannels, outChannels); ++c)
					outputs.back ().pointers[c] = inputs[i].pointers[c];
		}
		for (auto& bus : inputs)
			for (Sample* channel : bus.pointers)
				for (int32 f = 0; f < frames; ++f)
					if (!std::isfinite (channel[f]))
						sawNonFinite = true;

		auto busBuffers = [&] (std::vector<Channels<Sample>>& buses, bool nullChannel, int32 nullIndex) {
			std::vector<AudioBusBuffers> out (buses.size ());
			for (size_t i = 0; i < buses.size (); ++i)
			{
				out[i].numChannels = static_cast<int32> (buses[i].pointers.size ());
				if (i == 0 && nullChannel && nullIndex >= 0 && nullIndex < out[i].numChannels)
					buses[i].pointers[static_cast<size_t> (nullIndex)] = nullptr;
				Sample** channels = (i == 0 && (b.shape & 128)) ? nullptr : buses[i].pointers.data ();
				if (sizeof (Sample) == sizeof (double))
					out[i].channelBuffers64 = reinterpret_cast<Sample64**> (channels);
				else
					out[i].channelBuffers32 = reinterpret_cast<Sample32**> (channels);
			}
			return out;
		};
		// Output pointers first: in place, an output shares the input's channel storage.
		std::vector<AudioBusBuffers> outBuffers = busBuffers (outputs, b.shape & 64, outChannels - 1);
		std::vector<AudioBusBuffers> inBuffers = busBuffers (inputs, b.shape & 32, 0);

		changes.clear ();
		if (firstOfRun)
			for (const Block::Point& p : b.points)
				changes.addPoint (p.id, p.offset, p.value);
		outputChanges.clear ();
		if (b.context != 0)
			fillContext (b);

		ProcessData data;
		data.processMode = kRealtime;
		data.symbolicSampleSize = sizeof (Sample) == sizeof (double) ? kSample64 : kSample32;
		data.numSamples = b.frames;
		data.numInputs = numInputs;
		data.numOutputs = numOutputs;
		data.inputs = (b.buses & 16) ? nullptr : inBuffers.data ();
		data.outputs = (b.buses & 32) ? nullptr : outBuffers.data ();
		data.inputParameterChanges = (b.buses & 128) ? nullptr : &changes;
		data.outputParameterChanges = (b.buses & 64) ? nullptr : &outputChanges;
		data.processContext = b.context != 0 ? &context : nullptr;
		processor ()->process (data);

		// Wherever the plug-in wrote (in place, that is the inputs' storage), all is finite.
		if (!sawNonFinite)
			for (auto* buses : {&inputs, &outputs})
				for (auto& bus : *buses)
					for (auto& channel : bus.storage)
						for (int32 f = 0; f < frames; ++f)
							FUZZ_CHECK (std::isfinite (channel[f]));

		if (playing)
			position += frames;
		framesLeft -= std::max (frames, 1);
	}

	IComponent* component () { return session.plugin.component (); }
	IAudioProcessor* processor () { return session.plugin.processor (); }

	fuzz::Session session;
	hosting::ParameterChanges changes {8, 8};
	hosting::ParameterChanges outputChanges {8, 8};
	ProcessContext context {};
	double rate = 44100.0;
	double tempo = 120.0;
	bool playing = true;
	int64 position = 0;
	int64 framesLeft = kMaxFramesPerInput;
	// Set once any input sample was NaN, infinite or beyond the float range: the engine records
	// and replays what it was given.
	bool sawNonFinite = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
	fuzz::Reader in (data, size);
	Host host;
	host.run (in);
	return 0;
}
