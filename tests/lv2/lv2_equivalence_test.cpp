// The LV2 plug-in against the VST 3 processor: the same input, parameter values, transport and
// rand() seed through both entries must give the same output and the same level bytes, bit
// for bit, block after block.
#include "lv2_test_host.h"

#include "common/scopemessage.h"
#include "parameterids.h"
#include "processor/chopwright.h"

#include "hosting/audio_buffers.h"
#include "hosting/host_context.h"
#include "hosting/musical_grid.h"
#include "hosting/parameter_changes.h"

#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// Stands where the controller would: keeps the level bytes the processor sends.
class ScopeRecorder : public IConnectionPoint
{
public:
	std::vector<int8_t> bytes;

	tresult PLUGIN_API connect (IConnectionPoint*) override { return kResultOk; }
	tresult PLUGIN_API disconnect (IConnectionPoint*) override { return kResultOk; }
	tresult PLUGIN_API notify (IMessage* message) override
	{
		const void* data = nullptr;
		uint32 size = 0;
		if (message && message->getAttributes ()->getBinary (chopwright::scopemessage::kDataAttribute, data,
		                                                     size) == kResultOk)
			bytes.insert (bytes.end (), static_cast<const int8_t*> (data),
			              static_cast<const int8_t*> (data) + size);
		return kResultOk;
	}
	tresult PLUGIN_API queryInterface (const TUID, void** obj) override
	{
		*obj = nullptr;
		return kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return 1; }
	uint32 PLUGIN_API release () override { return 1; }
};

enum class Positions
{
	everyBlock, // VST 3 style: every run starts with a position, now and then one more inside it
	onChanges,  // LV2 style: positions only when the transport starts, stops, jumps or changes tempo
	none        // no transport at all (VST 3: no process context)
};

double inputAt (int64_t t, int channel)
{
	uint64_t h = static_cast<uint64_t> (t) * 0x9E3779B97F4A7C15ull + (channel ? 0xBF58476D1CE4E5B9ull : 0);
	h ^= h >> 29;
	h *= 0x94D049BB133111EBull;
	h ^= h >> 32;
	return static_cast<double> (static_cast<int32_t> (h)) * 0x1p-31;
}

class Twins
{
public:
	Twins (double rate, Positions mode, uint64_t seed) : mode (mode), random (seed), lv2 (rate)
	{
		grid.sampleRate = rate;
		EXPECT_NE (lv2.handle, nullptr);
		EXPECT_EQ (vst3->initialize (&context), kResultOk);
		vst3->connect (&recorder);
		ProcessSetup setup {kRealtime, kSample32, 8192, rate};
		EXPECT_EQ (vst3->setupProcessing (setup), kResultOk);
		EXPECT_EQ (vst3->setActive (true), kResultOk);
		// The values the LV2 ports start with reach the VST 3 side as a host's first changes.
		setParameter (kBreakId, 0.0);
		setParameter (kSliceSizeId, 0.5);
		setParameter (kGateSizeId, 1.0);
		setParameter (kBypassId, 0.0);
	}
	~Twins ()
	{
		vst3->setActive (false);
		vst3->disconnect (&recorder);
		vst3->terminate ();
	}

	void render (int blocks)
	{
		for (int block = 0; block < blocks && !::testing::Test::HasFatalFailure (); ++block)
			runBlock (static_cast<unsigned> (block));
		EXPECT_EQ (lv2.scope, recorder.bytes) << "level bytes";
	}

private:
	bool chance (double p) { return std::uniform_real_distribution<double> (0.0, 1.0) (random) < p; }
	int64_t uniform (int64_t low, int64_t high)
	{
		return std::uniform_int_distribution<int64_t> (low, high) (random);
	}

	void setParameter (ParamID id, double value) { changes.addPoint (id, 0, value); }

	// Host-side changes before a block; true when the transport changed.
	bool changeSomething ()
	{
		if (chance (0.02))
			setParameter (kBreakId, lv2.breakOn = chance (0.6) ? 1.0f : 0.0f);
		if (chance (0.01))
		{
			lv2.sliceSize = static_cast<float> (uniform (0, 2));
			setParameter (kSliceSizeId, lv2.sliceSize / 2.0);
		}
		if (chance (0.01))
			setParameter (kGateSizeId, lv2.gateSize = static_cast<float> (uniform (0, 100)) / 100.0f);
		if (chance (0.005))
		{
			lv2.enabled = lv2.enabled > 0.0f ? 0.0f : 1.0f;
			setParameter (kBypassId, lv2.enabled > 0.0f ? 0.0 : 1.0);
		}
		bool transportChanged = false;
		if (chance (0.005))
		{
			grid.tempo = static_cast<double> (uniform (60 * 4, 200 * 4)) / 4.0;
			transportChanged = true;
		}
		if (chance (0.005))
		{
			playing = !playing;
			transportChanged = true;
		}
		if (chance (0.003))
		{
			// A locate, or a loop back to an earlier bar.
			position = chance (0.5) ? uniform (0, position) : position + uniform (0, 400000);
			transportChanged = true;
		}
		return transportChanged;
	}

	uint32_t blockSize ()
	{
		switch (uniform (0, 3))
		{
			case 0:
				return static_cast<uint32_t> (uniform (1, 16));
			case 1:
				return 512;
			default:
				return static_cast<uint32_t> (uniform (1, 4096));
		}
	}

	lv2test::PositionEvent positionAt (uint32_t frame, int64_t sample) const
	{
		lv2test::PositionEvent event;
		event.frame = frame;
		event.beat = grid.beatsAt (sample);
		event.beatsPerMinute = grid.tempo;
		event.speed = playing ? 1.0f : 0.0f;
		return event;
	}

	void runBlock (unsigned seed)
	{
		const bool transportChanged = changeSomething () || position == 0;
		const uint32_t n = blockSize ();
		for (int c = 0; c < 2; ++c)
			for (uint32_t i = 0; i < n; ++i)
				lv2.in (c)[i] = input.channel32 (c)[i] = static_cast<float> (inputAt (position + i, c));

		// Where the VST 3 side cuts the block: at a position the LV2 run gets inside it.
		uint32_t split = n;
		if (mode == Positions::everyBlock)
		{
			lv2.addPosition (positionAt (0, position));
			if (n > 1 && chance (0.1))
			{
				split = static_cast<uint32_t> (uniform (1, n - 1));
				lv2.addPosition (positionAt (split, position + (playing ? split : 0)));
			}
		}
		else if (mode == Positions::onChanges && transportChanged)
			lv2.addPosition (positionAt (0, position));

		std::srand (seed);
		runVst3 (0, split);
		runVst3 (split, n);
		std::srand (seed);
		lv2.run (n);

		for (int c = 0; c < 2; ++c)
			ASSERT_EQ (std::memcmp (lv2.out (c), output.channel32 (c), sizeof (float) * n), 0)
			    << "channel " << c << " of the block at " << position << " (" << n << " frames)";
		if (playing)
			position += n;
	}

	void runVst3 (uint32_t from, uint32_t until)
	{
		if (until <= from)
			return;
		const auto count = static_cast<int32> (until - from);
		AudioBusBuffers& in = input.buffers ();
		AudioBusBuffers& out = output.buffers ();
		for (int c = 0; c < 2; ++c)
		{
			in.channelBuffers32[c] += from;
			out.channelBuffers32[c] += from;
		}
		ProcessContext processContext {};
		processContext.state = ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid |
		                       (playing ? static_cast<uint32> (ProcessContext::kPlaying) : 0u);
		processContext.sampleRate = grid.sampleRate;
		processContext.tempo = grid.tempo;
		processContext.projectTimeMusic = grid.beatsAt (position + (playing ? from : 0));
		ProcessData data;
		data.symbolicSampleSize = kSample32;
		data.numSamples = count;
		data.numInputs = data.numOutputs = 1;
		data.inputs = &in;
		data.outputs = &out;
		data.inputParameterChanges = &changes;
		data.processContext = mode == Positions::none ? nullptr : &processContext;
		ASSERT_EQ (vst3->process (data), kResultOk);
		changes.clear ();
		vst3->sendScope ();
	}

	Positions mode;
	std::mt19937_64 random;
	hosting::MusicalGrid grid;
	int64_t position = 0;
	bool playing = true;

	lv2test::Instance lv2;
	hosting::RunLoop runLoop;
	hosting::HostContext context {&runLoop};
	ScopeRecorder recorder;
	IPtr<Chopwright> vst3 = owned (new Chopwright);
	hosting::AudioBus input {2, 8192}, output {2, 8192};
	hosting::ParameterChanges changes;
};

// The same transport as time:beat in quarter notes (as JUCE sends it) and as time:bar and
// time:barBeat in 6/8 (beats of an eighth note, as Ardour sends them) drives the plug-in alike; the
// tempo counts quarter notes in both.
void expectBarAndBeatIn68LikeQuarterNotes ()
{
	lv2test::Instance quarters (48000.0), eighths (48000.0);
	lv2test::PositionEvent inQuarters, inEighths;
	inQuarters.beat = 10.5;
	inEighths.bar = 3.0;
	inEighths.barBeat = 3.0f; // 3 × 6 + 3 eighths
	inEighths.beatsPerBar = 6.0f;
	inEighths.beatUnit = 8;
	inEighths.beatsPerMinute = 120.0;
	quarters.addPosition (inQuarters);
	eighths.addPosition (inEighths);
	bool sliced = false;
	for (unsigned block = 0; block < 400; ++block) // past two bar starts
	{
		for (lv2test::Instance* instance : {&quarters, &eighths})
		{
			instance->breakOn = block >= 100 ? 1.0f : 0.0f;
			for (int c = 0; c < 2; ++c)
				for (int i = 0; i < 512; ++i)
					instance->in (c)[i] = static_cast<float> (inputAt (block * 512 + i, c));
			std::srand (block);
			instance->run (512);
		}
		for (int c = 0; c < 2; ++c)
		{
			ASSERT_EQ (std::memcmp (quarters.out (c), eighths.out (c), 512 * sizeof (float)), 0) << block;
			sliced = sliced || std::memcmp (quarters.out (c), quarters.in (c), 512 * sizeof (float)) != 0;
		}
	}
	EXPECT_TRUE (sliced) << "Break never changed the output";
}

} // namespace

TEST (Lv2Equivalence, SameTransportEveryBlockGivesTheVst3Output)
{
	// Tempo, Break, SliceSize, GateSize and bypass changes, stops, locates and loops, blocks of
	// 1 to 4096 frames, some cut by a position inside them.
	for (double rate : {44100.0, 48000.0})
		for (uint64_t seed = 1; seed <= 2 && !HasFatalFailure (); ++seed)
		{
			SCOPED_TRACE (::testing::Message () << "seed " << seed << ", rate " << rate);
			Twins (rate, Positions::everyBlock, seed).render (1500);
		}
}

TEST (Lv2Equivalence, PositionsOnlyAtTransportChangesInAnyUnitOrNone)
{
	expectBarAndBeatIn68LikeQuarterNotes ();
	// The LV2 plug-in runs its clock on between positions exactly as a VST 3 host with a
	// sample-exact grid fills every context; without any position both pass the input through.
	for (Positions mode : {Positions::onChanges, Positions::none})
		for (uint64_t seed = 1; seed <= 2 && !HasFatalFailure (); ++seed)
		{
			SCOPED_TRACE (::testing::Message ()
			              << "seed " << seed << (mode == Positions::none ? ", none" : ""));
			Twins (48000.0, mode, seed).render (1500);
		}
}
