// The engine computes run by run what the reference computes sample by sample: long renders of
// random scenarios must match it bit for bit, output and state, block after block.
#include "processor/sliceengine.h"
#include "reference_engine.h"

#include "hosting/musical_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

using chopwright::SliceEngine;
using chopwright::reference::ReferenceEngine;

namespace {

// A noise-like input that names its frame, with now and then a value that arithmetic treats
// specially: zero, negative zero, subnormal, huge.
double inputAt (int64_t t, int channel)
{
	uint64_t h = static_cast<uint64_t> (t) * 0x9E3779B97F4A7C15ull +
	             static_cast<uint64_t> (channel) * 0xBF58476D1CE4E5B9ull;
	h ^= h >> 29;
	h *= 0x94D049BB133111EBull;
	h ^= h >> 32;
	switch (h % 4096)
	{
		case 0:
			return 0.0;
		case 1:
			return -0.0;
		case 2:
			return 0x1p-140;
		case 3:
			return -1e30;
		default:
			return static_cast<double> (static_cast<int32_t> (h)) * 0x1p-31;
	}
}

struct Scenario
{
	double rate = 48000.0;
	double tempo = 120.0;
	int64_t frames = 2000000;
	bool mono = false;
	bool inPlace = false;
	int32_t largestBlock = 4096;
	// Per block: chances of a tempo change, a Break value, a SliceSize or GateSize change, a
	// stop, a jump of the position.
	double tempoChange = 0.002, breakChange = 0.01, sliceSizeChange = 0.004, gateChange = 0.004;
	double stop = 0.002, jump = 0.001;
	bool noPosition = false;     // every block at position 0
	double roundedPositions = 0; // chance per block of a position in 1/1920 quarter notes
	int64_t loopLength = 0;      // frames the host loops over, from loopStart, when above 0
	int64_t loopStart = 0;
	bool breakFromStart = false;
	double lowestTempo = 30.0, highestTempo = 300.0;
};

template <typename Sample>
class Twin
{
public:
	Twin (const Scenario& s, uint64_t seed) : scenario (s), random (seed), grid {s.rate, s.tempo}
	{
		engine.prepare (static_cast<int32_t> (s.rate));
		reference.prepare (static_cast<int32_t> (s.rate));
		for (int c = 0; c < 2; ++c)
		{
			in[c].resize (static_cast<size_t> (s.largestBlock));
			out[c].resize (in[c].size ());
			expected[c].resize (in[c].size ());
		}
		if (s.breakFromStart)
			requestBreak (true);
	}

	void render ()
	{
		int64_t played = 0;
		for (int64_t block = 0; played < scenario.frames; ++block)
		{
			changeSomething ();
			const int32_t n = blockSize ();
			const bool playing = !(stoppedBlocks > 0);
			if (stoppedBlocks > 0)
				--stoppedBlocks;
			runBlock (n, playing, static_cast<unsigned> (block));
			if (::testing::Test::HasFatalFailure ())
				return;
			if (playing)
			{
				played += n;
				position += n;
				if (scenario.loopLength > 0 && position >= scenario.loopStart + scenario.loopLength)
					position = scenario.loopStart;
			}
		}
		compareSnapshots ();
	}

private:
	bool chance (double p) { return std::uniform_real_distribution<double> (0.0, 1.0) (random) < p; }
	int64_t uniform (int64_t low, int64_t high)
	{
		return std::uniform_int_distribution<int64_t> (low, high) (random);
	}

	void requestBreak (bool on)
	{
		engine.requestBreak (on);
		reference.requestBreak (on);
	}

	void changeSomething ()
	{
		if (chance (scenario.tempoChange))
		{
			const double t =
			    chance (0.1)
			        ? (chance (0.5) ? 1.0 : 2000.0)
			        : scenario.lowestTempo + (scenario.highestTempo - scenario.lowestTempo) *
			                                     std::uniform_real_distribution<double> (0.0, 1.0) (random);
			grid.tempo = t;
		}
		if (chance (scenario.breakChange))
		{
			const bool on = chance (0.6);
			requestBreak (on);
			if (chance (0.2))
				requestBreak (!on); // two values before a block: the last one counts
		}
		if (chance (scenario.sliceSizeChange))
		{
			const int32_t division = 4 << uniform (0, 2);
			engine.setDivision (division);
			reference.setDivision (division);
		}
		if (chance (scenario.gateChange))
		{
			const auto gate = static_cast<float> (uniform (0, 100)) / 100.0f;
			engine.setGateSize (gate);
			reference.setGateSize (gate);
		}
		if (chance (scenario.stop))
			stoppedBlocks = static_cast<int32_t> (uniform (1, 20));
		if (chance (scenario.jump))
			position = chance (0.5) ? uniform (0, position + 1) : position + uniform (0, 4 * 192000);
	}

	int32_t blockSize ()
	{
		switch (uniform (0, 4))
		{
			case 0:
				return static_cast<int32_t> (uniform (1, 16));
			case 1:
				return 64;
			case 2:
				return 512;
			default:
				return static_cast<int32_t> (uniform (1, scenario.largestBlock));
		}
	}

	double quarterNotes ()
	{
		if (scenario.noPosition)
			return 0.0;
		const double exact = grid.beatsAt (position);
		if (chance (scenario.roundedPositions))
			return std::round (exact * 1920.0) / 1920.0;
		return exact;
	}

	void runBlock (int32_t n, bool playing, unsigned seed)
	{
		const auto frames = static_cast<size_t> (n);
		for (int c = 0; c < 2; ++c)
			for (size_t i = 0; i < frames; ++i)
				in[c][i] = static_cast<Sample> (
				    inputAt (position + static_cast<int64_t> (i), scenario.mono ? 0 : c));

		const double q = quarterNotes ();
		const bool engineRuns = engine.updateTransport (grid.sampleRate, grid.tempo, q, playing);
		ASSERT_EQ (engineRuns, reference.updateTransport (grid.sampleRate, grid.tempo, q, playing));
		if (!engineRuns)
			return; // what the processor does with a block it cannot place: pass it through

		const int right = scenario.mono ? 0 : 1;
		const Sample* inLeft = in[0].data ();
		const Sample* inRight = in[right].data ();
		if (scenario.inPlace)
		{
			for (int c = 0; c < 2; ++c)
			{
				std::copy_n (in[c].begin (), frames, out[c].begin ());
				std::copy_n (in[c].begin (), frames, expected[c].begin ());
			}
		}
		std::srand (seed);
		const auto result = engine.process (scenario.inPlace ? out[0].data () : inLeft,
		                                    scenario.inPlace ? out[right].data () : inRight, out[0].data (),
		                                    out[right].data (), n);
		std::srand (seed);
		const auto expectedResult = reference.process (scenario.inPlace ? expected[0].data () : inLeft,
		                                               scenario.inPlace ? expected[right].data () : inRight,
		                                               expected[0].data (), expected[right].data (), n);

		ASSERT_EQ (static_cast<int> (result), static_cast<int> (expectedResult));
		for (int c = 0; c <= right; ++c)
			ASSERT_EQ (std::memcmp (out[c].data (), expected[c].data (), sizeof (Sample) * frames), 0)
			    << "channel " << c << " of the block at " << position << ", tempo " << grid.tempo;
		ASSERT_EQ (engine.getRecordPos (), reference.getRecordPos ());
		ASSERT_EQ (engine.getBarLength (), reference.getBarLength ());
		ASSERT_EQ (engine.isBreakActive (), reference.isBreakActive ());
		ASSERT_EQ (engine.getSlicePos (), reference.getSlicePos ());
		ASSERT_EQ (engine.getSliceOffset (), reference.getSliceOffset ());
		ASSERT_EQ (engine.getDirection (), reference.getDirection ());
		ASSERT_EQ (engine.isDryPass (), reference.isDryPass ());
		ASSERT_EQ (engine.getSamplesSinceBar (), reference.getSamplesSinceBar ());
	}

	void compareSnapshots ()
	{
		// Around the end of the last bar, then anywhere.
		const int64_t barEnd = std::min<int64_t> (static_cast<int64_t> (reference.getBarLength ()),
		                                          SliceEngine::kBufferCapacity - 64);
		for (int k = 0; k < 20000; ++k)
		{
			const auto i = static_cast<int32_t> (k < 64 ? barEnd + k - 32
			                                            : uniform (0, SliceEngine::kBufferCapacity - 1));
			ASSERT_EQ (engine.snapshotLeft (i), reference.snapshotLeft (i)) << i;
			ASSERT_EQ (engine.snapshotRight (i), reference.snapshotRight (i)) << i;
			ASSERT_EQ (engine.recordedLeft (i), reference.recordedLeft (i)) << i;
		}
	}

	Scenario scenario;
	std::mt19937_64 random;
	hosting::MusicalGrid grid;
	SliceEngine engine;
	ReferenceEngine reference;
	std::vector<Sample> in[2], out[2], expected[2];
	int64_t position = 0;
	int32_t stoppedBlocks = 0;
};

template <typename Sample>
void renderBoth (const Scenario& scenario, uint64_t seed)
{
	SCOPED_TRACE (::testing::Message () << "seed " << seed << (sizeof (Sample) == 4 ? ", 32-bit" : ", 64-bit")
	                                    << (scenario.mono ? ", mono" : ", stereo"));
	auto twin = std::make_unique<Twin<Sample>> (scenario, seed);
	twin->render ();
}

// Each scenario in 32 and 64 bits, mono and stereo, in place and not, from a few seeds.
void renderAll (Scenario scenario, int seeds)
{
	for (uint64_t seed = 1; seed <= static_cast<uint64_t> (seeds); ++seed)
	{
		scenario.mono = seed % 2 == 0;
		scenario.inPlace = seed % 3 == 0;
		renderBoth<float> (scenario, seed);
		if (::testing::Test::HasFatalFailure ())
			return;
		renderBoth<double> (scenario, seed * 1000);
		if (::testing::Test::HasFatalFailure ())
			return;
	}
}

} // namespace

TEST (EngineEquivalence, SongsWithTempoBreakAndSliceChanges)
{
	Scenario s;
	s.breakChange = 0.02;
	s.roundedPositions = 0.3;
	for (double rate : {44100.0, 48000.0, 96000.0})
	{
		s.rate = rate;
		renderAll (s, 2);
	}
}

TEST (EngineEquivalence, BreakOnThroughJumpsStopsAndGateChanges)
{
	Scenario s;
	s.breakFromStart = true;
	s.breakChange = 0.002;
	s.jump = 0.01;
	s.stop = 0.01;
	s.gateChange = 0.05;
	s.tempoChange = 0.01;
	renderAll (s, 3);
}

TEST (EngineEquivalence, HostsWithoutAMusicalPosition)
{
	Scenario s;
	s.noPosition = true;
	s.breakFromStart = true;
	s.tempoChange = 0.02; // each block a bar start, of a length that changes now and then
	s.frames = 1000000;
	renderAll (s, 2);
}

TEST (EngineEquivalence, LoopsShorterThanABarForLongerThanTheRing)
{
	// The bar start is never reached again: the snapshot outlives a whole ring lap.
	Scenario s;
	s.breakFromStart = true;
	s.tempoChange = 0.0;
	s.jump = 0.0;
	s.breakChange = 0.0005;
	s.loopStart = 96000 + 30000;
	s.loopLength = 40000;
	s.frames = SliceEngine::kBufferCapacity + 2000000;
	renderAll (s, 2);
}

TEST (EngineEquivalence, BarsLongerThanTheRing)
{
	Scenario s;
	s.rate = 44100.0;
	s.tempo = 1.5; // 7,056,000 frames a bar, halved when it would not fit
	s.lowestTempo = 1.0;
	s.highestTempo = 4.0;
	s.tempoChange = 0.0005;
	s.jump = 0.0002;
	s.breakFromStart = true;
	s.frames = 2 * SliceEngine::kBufferCapacity;
	renderAll (s, 1);
}
