#include "processor/sliceengine.h"

#include "hosting/musical_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

using chopwright::SliceEngine;
using Result = SliceEngine::BlockResult;

namespace {

// Each input sample names its own time: left = t / 2^20 (exact in single precision for the
// first 2^20 samples), right = −left.
float inputAt (int64_t t) { return static_cast<float> (t % (1 << 20)) * 0x1p-20f; }

// The position in quarter notes whose product with samples per beat truncates to exactly t.
double quarterNotesAt (int64_t t, double rate, double tempo)
{
	return hosting::MusicalGrid {rate, tempo}.beatsAt (t);
}

// Drives an engine like a host: a transport that advances while it plays.
template <typename Sample = float>
struct Rig
{
	SliceEngine engine;
	double rate {44100.0};
	double tempo {120.0};
	int64_t position {0};
	float (*signal) (int64_t) = inputAt; // left input at t; right is its negative
	std::vector<Sample> inL, inR, outL, outR;

	explicit Rig (int32_t sampleRate = 44100) : rate (sampleRate) { engine.prepare (sampleRate); }

	Result run (int32_t n, bool playing = true)
	{
		inL.resize (static_cast<size_t> (n));
		inR.resize (static_cast<size_t> (n));
		outL.assign (static_cast<size_t> (n), Sample (-9));
		outR.assign (static_cast<size_t> (n), Sample (-9));
		for (int32_t i = 0; i < n; ++i)
		{
			inL[static_cast<size_t> (i)] = signal (position + i);
			inR[static_cast<size_t> (i)] = -signal (position + i);
		}
		EXPECT_TRUE (engine.updateTransport (rate, tempo, quarterNotesAt (position, rate, tempo), playing));
		const Result result = engine.process (inL.data (), inR.data (), outL.data (), outR.data (), n);
		if (playing)
			position += n;
		return result;
	}

	// Runs sample blocks up to (not including) sample position `end`.
	void runTo (int64_t end, int32_t block = 512)
	{
		while (position < end)
			run (static_cast<int32_t> (std::min<int64_t> (block, end - position)));
	}
};

struct Draws
{
	int slice, reverse, dry;
};

Draws drawsFor (unsigned seed)
{
	std::srand (seed);
	const int slice = std::rand ();
	const int reverse = std::rand ();
	const int dry = std::rand ();
	return {slice, reverse, dry};
}

} // namespace

TEST (SliceEngine, ChoosesSlicesWithFixedWeights)
{
	std::map<int32_t, int> four, eight;
	for (int m = 0; m < 2048; ++m)
	{
		++four[SliceEngine::chooseSlice (m << 20, 4)];
		++eight[SliceEngine::chooseSlice (m << 20, 8)];
	}
	EXPECT_EQ (four, (std::map<int32_t, int> {{0, 512}, {1, 768}, {2, 512}, {3, 256}}));
	// Twentieths 2:1:4:2:3:2:5:1 (sampled on a grid that does not divide evenly into 20).
	const int eightWeights[] = {2, 1, 4, 2, 3, 2, 5, 1};
	for (int k = 0; k < 8; ++k)
		EXPECT_NEAR (eight[k], 2048 * eightWeights[k] / 20.0, 1.0) << k;

	// Only rand()'s 64 largest values round up to 2^31 and reach the last table entry.
	EXPECT_EQ (SliceEngine::chooseSlice (RAND_MAX, 16), 15);
	EXPECT_EQ (SliceEngine::chooseSlice (RAND_MAX - 63, 16), 15);
	EXPECT_EQ (SliceEngine::chooseSlice (RAND_MAX - 64, 16), 14);
	EXPECT_EQ (SliceEngine::chooseSlice (RAND_MAX, 8), 7);
	EXPECT_EQ (SliceEngine::chooseSlice (RAND_MAX - 64, 8), 7) << "index 19 is slice 7 as well";
	EXPECT_EQ (SliceEngine::chooseSlice (RAND_MAX, 4), 3);
	EXPECT_EQ (SliceEngine::chooseSlice (0, 16), 0);
}

TEST (SliceEngine, TransportSetsBarAndSliceLengths)
{
	SliceEngine engine;
	EXPECT_TRUE (engine.updateTransport (44100.0, 120.0, 0.0, true));
	EXPECT_EQ (engine.getBarLength (), 88200u);
	EXPECT_EQ (engine.getSamplesPerBeat (), 22050.0);
	// The bar length follows the previous block's tempo.
	EXPECT_TRUE (engine.updateTransport (48000.0, 100.0, 0.0, true));
	EXPECT_EQ (engine.getBarLength (), 88200u);
	EXPECT_TRUE (engine.updateTransport (48000.0, 100.0, 0.0, true));
	EXPECT_EQ (engine.getBarLength (), 115200u);

	// Negative or NaN positions, unusable tempi and rates, and positions too far for the
	// sample arithmetic pass the block through.
	for (double position : {-0.5, std::nan (""), 1e300})
		EXPECT_FALSE (engine.updateTransport (44100.0, 120.0, position, true)) << position;
	for (double tempo : {0.0, -120.0, std::nan (""), HUGE_VAL})
		EXPECT_FALSE (engine.updateTransport (44100.0, tempo, 1.0, true)) << tempo;
	for (double rate : {0.0, -44100.0, std::nan (""), HUGE_VAL})
		EXPECT_FALSE (engine.updateTransport (rate, 120.0, 1.0, true)) << rate;
	EXPECT_EQ (engine.getSamplesPerBeat (), 28800.0) << "rejected blocks leave the tempo alone";
}

TEST (SliceEngine, BreakOffPassesTheInputAndSnapshotsEveryBar)
{
	Rig<float> rig;
	rig.runTo (176400 + 100);
	for (size_t i = 0; i < rig.inL.size (); ++i)
	{
		EXPECT_EQ (rig.outL[i], rig.inL[i]);
		EXPECT_EQ (rig.outR[i], rig.inR[i]);
	}
	EXPECT_EQ (rig.engine.getRecordPos (), 176500);
	EXPECT_EQ (rig.engine.getSamplesSinceBar (), 100);
	// The snapshot taken at bar start B holds the recording from B − 1 − bar to B − 2.
	EXPECT_EQ (rig.engine.snapshotLeft (0), inputAt (88199));
	EXPECT_EQ (rig.engine.snapshotLeft (88199), inputAt (176398));
	EXPECT_EQ (rig.engine.snapshotRight (500), -inputAt (88699));
}

TEST (SliceEngine, StoppedTransportRecordsNothingAndKeepsBreakChangesPending)
{
	Rig<float> rig;
	rig.runTo (1000);
	rig.engine.requestBreak (true);
	EXPECT_EQ (rig.run (256, false), Result::stopped);
	for (size_t i = 0; i < 256; ++i)
		EXPECT_EQ (rig.outL[i], rig.inL[i]);
	EXPECT_EQ (rig.engine.getRecordPos (), 1000);
	EXPECT_FALSE (rig.engine.isBreakActive ());

	// A zero-length block takes nothing either.
	EXPECT_EQ (rig.run (0), Result::processed);
	EXPECT_FALSE (rig.engine.isBreakActive ());

	rig.run (1);
	EXPECT_TRUE (rig.engine.isBreakActive ()) << "taken at the first played sample";
	EXPECT_EQ (rig.engine.getSlicePos (), 1000 % 22050 + 1);
}

TEST (SliceEngine, BreakMidSliceFinishesTheSliceThenDrawsAtTheBoundary)
{
	Rig<float> rig;
	rig.runTo (100000);
	rig.engine.requestBreak (true);
	rig.run (1000);
	// The rest of slice position 11800.. plays slice 0 forward, fading in from the dry input.
	EXPECT_EQ (rig.outL[0], rig.inL[0]) << "the 20 ms fade starts at the dry input";
	const int32_t L = 22050;
	for (int i = 881; i < 1000; ++i)
	{
		const int32_t j = (100000 + i) % L;
		EXPECT_EQ (rig.outL[static_cast<size_t> (i)], rig.engine.snapshotLeft (j)) << i;
		EXPECT_EQ (rig.outR[static_cast<size_t> (i)], rig.engine.snapshotRight (j)) << i;
	}

	rig.runTo (110250); // the next slice boundary
	const unsigned seed = 7;
	const Draws draws = drawsFor (seed);
	std::srand (seed);
	rig.run (2000);
	const int32_t k = SliceEngine::chooseSlice (draws.slice, 4);
	const bool reversed = draws.reverse % 10 == 0;
	const bool dry = (draws.dry & 3) == 0; // starts at 22050 samples into the bar: first half
	EXPECT_EQ (rig.engine.getDirection (), reversed ? -1 : 1);
	EXPECT_EQ (rig.engine.isDryPass (), dry);
	for (int i = 600; i < 2000; i += 7) // after the 12 ms slice fade
	{
		const float expected = dry ? rig.inL[static_cast<size_t> (i)]
		                           : rig.engine.snapshotLeft (reversed ? (k + 1) * L - i : k * L + i);
		EXPECT_EQ (rig.outL[static_cast<size_t> (i)], expected) << i;
	}
}

TEST (SliceEngine, ReversedSlicesReadDownward)
{
	unsigned seed = 1;
	while (!(drawsFor (seed).reverse % 10 == 0 && (drawsFor (seed).dry & 3) != 0))
		++seed;
	const Draws draws = drawsFor (seed);
	const int32_t k = SliceEngine::chooseSlice (draws.slice, 16);

	Rig<double> rig;
	rig.engine.setDivision (16);
	const int32_t L = 88200 / 16; // 5512
	const int64_t boundary = 20 * L;
	rig.runTo (boundary - 10);
	rig.engine.requestBreak (true);
	rig.run (10);
	std::srand (seed);
	rig.run (L);
	EXPECT_EQ (rig.engine.getDirection (), -1);
	EXPECT_EQ (rig.engine.getSliceOffset (), (k + 1) * L);
	// Reads (k + 1) × L − slicePos, from (k + 1) × L down to k × L + 1 (the gate stays open).
	for (int32_t pos = 900; pos < L; pos += 11)
		EXPECT_EQ (rig.outL[static_cast<size_t> (pos)],
		           static_cast<double> (rig.engine.snapshotLeft ((k + 1) * L - pos)))
		    << pos;
	EXPECT_EQ (rig.outL[static_cast<size_t> (L - 1)], rig.engine.snapshotLeft (k * L + 1));
}

TEST (SliceEngine, OnlySlicesInTheFirstHalfOfTheBarPlayTheLiveInput)
{
	Rig<float> rig;
	rig.engine.setDivision (16);
	const int32_t L = 5512; // 16 slices and 8 samples a bar
	std::srand (3);
	rig.runTo (88200);
	rig.engine.requestBreak (true);
	int dryFirstHalf = 0;
	for (int64_t bar = 2; bar < 12; ++bar)
		for (int64_t slice = 0; slice <= 16; ++slice)
		{
			rig.runTo (bar * 88200 + slice * L + 1);
			ASSERT_EQ (rig.engine.getSlicePos (), 1) << "a slice starts " << slice * L << " into the bar";
			if (slice * L >= 44100)
				EXPECT_FALSE (rig.engine.isDryPass ()) << "slice " << slice << " of bar " << bar;
			else if (rig.engine.isDryPass ())
				++dryFirstHalf;
		}
	EXPECT_GT (dryFirstHalf, 0) << "one slice in four of the first half lets the input through";
}

TEST (SliceEngine, TheLastBreakValueReceivedWins)
{
	Rig<float> rig;
	rig.runTo (1000);
	// On then off while stopped: the break stays off and nothing fades.
	rig.engine.requestBreak (true);
	rig.engine.requestBreak (false);
	rig.run (64, false);
	rig.run (1000);
	EXPECT_FALSE (rig.engine.isBreakActive ());
	EXPECT_EQ (rig.outL, rig.inL);

	// Off then on: the break starts at the first played sample, fading in from the dry input.
	rig.engine.requestBreak (false);
	rig.engine.requestBreak (true);
	rig.run (64, false);
	rig.run (500);
	EXPECT_TRUE (rig.engine.isBreakActive ());
	EXPECT_EQ (rig.outL[0], rig.inL[0]);

	// Off: the 20 ms fade starts from the last output of the break.
	const float lastLeft = rig.outL.back ();
	const float lastRight = rig.outR.back ();
	rig.engine.requestBreak (false);
	rig.run (1000);
	EXPECT_EQ (rig.outL[0], lastLeft);
	EXPECT_EQ (rig.outR[0], lastRight);
	EXPECT_NE (rig.outL[100], rig.inL[100]);
	EXPECT_EQ (rig.outL[900], rig.inL[900]);
}

TEST (SliceEngine, RepeatedBreakValuesChangeNothing)
{
	// One engine hears each change once, the other hears the current value before every
	// block as well, as some hosts send it; both must play the same.
	Rig<float> once, repeated;
	int changedBlocks = 0;
	for (unsigned block = 0; block < 500; ++block)
	{
		const bool on = block >= 100 && block < 300;
		if (block == 100 || block == 300)
			once.engine.requestBreak (on);
		repeated.engine.requestBreak (on);
		std::srand (block);
		once.run (512);
		std::srand (block);
		repeated.run (512);
		ASSERT_EQ (repeated.outL, once.outL) << "block " << block;
		ASSERT_EQ (repeated.outR, once.outR) << "block " << block;
		changedBlocks += repeated.outL != repeated.inL;
	}
	EXPECT_GT (changedBlocks, 150) << "the break played";
	EXPECT_EQ (repeated.outL, repeated.inL) << "off again long after the break";
}

TEST (SliceEngine, BarStartsInsideASliceStartANewSlice)
{
	// 128 BPM at 44.1 kHz: 82,687 samples a bar, quarter-beat slices of 5,167, so each bar
	// ends 15 samples into a seventeenth slice.
	Rig<float> rig;
	rig.tempo = 128.0;
	rig.signal = [] (int64_t t) {
		return static_cast<float> (0.5 * std::sin (static_cast<double> (t) * 4.7e-5));
	};
	rig.engine.setDivision (16);
	const int64_t bar = 82687;
	const int32_t L = 5167;
	rig.runTo (bar + 1000);
	rig.engine.requestBreak (true);

	// Every jump into the snapshot is covered by a square-root crossfade, whose largest step
	// is the first: sqrt (1/529) of a jump of at most 1 (the 12 ms slice fade at 44.1 kHz),
	// plus the fall of the captured tail, 1/529 of it per sample.
	double largestStep = 0.0;
	float previous = rig.outL.back ();
	auto playTo = [&] (int64_t end) {
		while (rig.position < end)
		{
			rig.run (static_cast<int32_t> (std::min<int64_t> (441, end - rig.position)));
			for (float sample : rig.outL)
			{
				largestStep = std::max (largestStep, std::fabs (static_cast<double> (sample) - previous));
				previous = sample;
			}
		}
	};
	std::srand (5);
	for (int64_t barStart = 2 * bar; barStart <= 98 * bar; barStart += bar)
	{
		playTo (barStart + 1);
		EXPECT_EQ (rig.engine.getSlicePos (), 1) << "a slice starts on bar " << barStart / bar;
		playTo (barStart + 5 * L + 1);
		EXPECT_EQ (rig.engine.getSlicePos (), 1) << "the grid follows the bar " << barStart / bar;
	}
	EXPECT_LE (largestStep, std::sqrt (1.0 / 529) + 1.0 / 529);
}

TEST (SliceEngine, WithoutMusicalPositionEveryBlockStartsABar)
{
	SliceEngine engine;
	engine.prepare (44100);
	std::vector<float> in (256), out (256);
	for (int block = 0; block < 4; ++block)
	{
		for (size_t i = 0; i < in.size (); ++i)
			in[i] = static_cast<float> (block * 1000 + static_cast<int> (i));
		ASSERT_TRUE (engine.updateTransport (44100.0, 120.0, 0.0, true));
		engine.process (in.data (), in.data (), out.data (), out.data (), 256);
		EXPECT_EQ (engine.getSamplesSinceBar (), 256);
	}
	// The last snapshot was taken at the start of the fourth block, ending two samples
	// before it.
	EXPECT_EQ (engine.snapshotLeft (88199), 2000.0f + 254);
}

TEST (SliceEngine, RoundedPositionsAndAPreRollAsHostsSendThem)
{
	// Positions rounded to 1/1920 of a quarter note (blocks overlap or leave gaps of up to
	// about 12 samples at 128 BPM) and a start two blocks before 0.
	const hosting::MusicalGrid grid {44100.0, 128.0};
	const int64_t bar = 82687;
	for (bool breakOn : {false, true})
	{
		SliceEngine engine;
		engine.prepare (44100);
		engine.setDivision (16);
		std::vector<float> in (512), out (512);
		int32_t longestBar = 0;
		for (int64_t start = -1024; start < 4 * bar; start += 512)
		{
			if (breakOn && start <= bar && start + 512 > bar)
				engine.requestBreak (true);
			for (size_t i = 0; i < in.size (); ++i)
				in[i] = std::sin (0.01f * static_cast<float> (start + static_cast<int64_t> (i)));
			const double quarterNotes = std::round (grid.beatsAt (start) * 1920.0) / 1920.0;
			if (engine.updateTransport (44100.0, 128.0, quarterNotes, true))
				engine.process (in.data (), in.data (), out.data (), out.data (), 512);
			else
				out = in; // what the processor does with a block it cannot place
			longestBar = std::max (longestBar, engine.getSamplesSinceBar ());
			for (float v : out)
				ASSERT_TRUE (std::isfinite (v));
			if (!breakOn)
			{
				ASSERT_EQ (out, in) << start;
			}
		}
		EXPECT_LE (longestBar, bar + 12) << "every bar start is detected";
		EXPECT_EQ (engine.isBreakActive (), breakOn);
	}
}

TEST (SliceEngine, FiniteInputStaysFiniteAndNonFiniteInputIsNotReplayed)
{
	auto drive = [] (auto sample) {
		using Sample = decltype (sample);
		SliceEngine engine;
		engine.prepare (44100);
		engine.setDivision (16);
		const hosting::MusicalGrid grid {44100.0, 120.0};
		std::vector<Sample> inL (512), inR (512), outL (512), outR (512);
		std::srand (1);
		// Bar 2 starts with NaN and infinite input while the break is off; the break plays
		// that bar from bar 3 on, and from bar 5 the input runs far beyond the float range.
		const int64_t bar = 88200, poisonEnd = bar + 4096;
		for (int64_t start = 0; start < 7 * bar; start += 512)
		{
			const bool poisoned = start >= bar && start < poisonEnd;
			const double scale = sizeof (Sample) == sizeof (double) && start >= 5 * bar ? 3.5e38 : 0.5;
			for (size_t i = 0; i < 512; ++i)
			{
				const double v =
				    scale * std::sin (0.01 * static_cast<double> (start + static_cast<int64_t> (i)));
				inL[i] = poisoned ? Sample (NAN) : Sample (v);
				inR[i] = poisoned ? Sample (INFINITY) : Sample (-v);
			}
			if (start <= 2 * bar && start + 512 > 2 * bar)
				engine.requestBreak (true);
			if (start <= 6 * bar && start + 512 > 6 * bar)
				engine.requestBreak (false);
			engine.updateTransport (44100.0, 120.0, grid.beatsAt (start), true);
			engine.process (inL.data (), inR.data (), outL.data (), outR.data (), 512);
			if (poisoned)
				continue;
			for (size_t i = 0; i < 512; ++i)
				ASSERT_TRUE (std::isfinite (outL[i]) && std::isfinite (outR[i]))
				    << start + static_cast<int64_t> (i);
		}
	};
	drive (0.0f);
	drive (0.0);
}

TEST (SliceEngine, ATempoDropDrawsOneSliceAndBringsThePositionIntoIt)
{
	Rig<float> rig;
	rig.tempo = 20.0; // slices of 132,300 samples
	rig.runTo (2 * 529200);
	rig.engine.requestBreak (true);
	rig.runTo (2 * 529200 + 100000);
	rig.tempo = 2000.0; // slices of 1,323: the position is now about 75 slices beyond
	rig.run (1);        // the bar length follows the previous block's tempo
	std::srand (3);
	for (int draw = 0; draw < 3; ++draw)
		std::rand ();
	const int afterOneSlice = std::rand ();
	std::srand (3);
	rig.run (2);
	EXPECT_EQ (std::rand (), afterOneSlice) << "one new slice, three draws";
	EXPECT_LE (rig.engine.getSlicePos (), 1323);
}

TEST (SliceEngine, MonoBufferMatchesIdenticalStereoChannels)
{
	Rig<float> mono, stereo;
	auto drive = [] (Rig<float>& rig, bool shared) {
		std::srand (11);
		rig.engine.setDivision (8);
		rig.engine.setGateSize (0.5f);
		std::vector<float> bufferL (512), bufferR (512);
		for (int64_t start = 0; start < 4 * 88200; start += 512)
		{
			if (start == 100 * 512)
				rig.engine.requestBreak (true);
			for (size_t i = 0; i < 512; ++i)
				bufferL[i] = bufferR[i] =
				    std::sin (0.01f * static_cast<float> (start + static_cast<int64_t> (i)));
			rig.engine.updateTransport (44100.0, 120.0, quarterNotesAt (start, 44100.0, 120.0), true);
			float* right = shared ? bufferL.data () : bufferR.data ();
			rig.engine.process (bufferL.data (), right, bufferL.data (), right, 512);
			rig.outL.insert (rig.outL.end (), bufferL.begin (), bufferL.end ());
			rig.outR.insert (rig.outR.end (), right, right + 512);
		}
	};
	drive (mono, true);
	drive (stereo, false);
	ASSERT_EQ (mono.outL.size (), stereo.outL.size ());
	EXPECT_EQ (mono.outL, stereo.outL);
	EXPECT_EQ (stereo.outL, stereo.outR);
}

TEST (SliceEngine, DoubleFormFollowsTheSingleForm)
{
	Rig<float> single;
	Rig<double> dual;
	single.engine.setGateSize (0.3f);
	dual.engine.setGateSize (0.3f);
	for (int64_t t = 0; t < 5 * 88200; t += 1024)
	{
		if (t == 90 * 1024)
		{
			single.engine.requestBreak (true);
			dual.engine.requestBreak (true);
		}
		if (t == 400 * 1024)
		{
			single.engine.requestBreak (false);
			dual.engine.requestBreak (false);
		}
		std::srand (static_cast<unsigned> (t));
		single.run (1024);
		std::srand (static_cast<unsigned> (t));
		dual.run (1024);
		for (size_t i = 0; i < 1024; ++i)
			ASSERT_NEAR (dual.outL[i], single.outL[i], 1e-6) << t + static_cast<int64_t> (i);
	}
	// Long after the break the 64-bit form passes its input untouched.
	EXPECT_EQ (dual.outL, dual.inL);
}

TEST (SliceEngine, ReactivationKeepsTheRecording)
{
	Rig<float> rig;
	rig.runTo (90000);
	const float before = rig.engine.snapshotLeft (1234);
	rig.engine.prepare (48000);
	EXPECT_EQ (rig.engine.getRecordPos (), 90000);
	EXPECT_EQ (rig.engine.snapshotLeft (1234), before);
	EXPECT_EQ (rig.engine.recordedLeft (89999), inputAt (89999));
}

TEST (SliceEngine, DivisionChangeRealignsTheSliceGrid)
{
	Rig<float> rig;
	rig.runTo (88200 + 7000);
	rig.engine.setDivision (16);
	EXPECT_EQ (rig.engine.getDivision (), 16);
	EXPECT_EQ (rig.engine.getSlicePos (), 7000 % 5512);
	rig.engine.setDivision (16);
	EXPECT_EQ (rig.engine.getSlicePos (), 7000 % 5512) << "an unchanged division changes nothing";
}

TEST (SliceEngine, UnusableGridsPassTheBlockThrough)
{
	SliceEngine engine;
	engine.prepare (44100);
	std::vector<float> in (64, 0.5f), out (64, 0.0f);
	// A tempo so high that the bar is shorter than the division.
	ASSERT_TRUE (engine.updateTransport (44100.0, 1.0e7, 0.0, true));
	ASSERT_TRUE (engine.updateTransport (44100.0, 1.0e7, 0.0, true));
	EXPECT_EQ (engine.getBarLength (), 1u);
	engine.requestBreak (true);
	EXPECT_EQ (engine.process (in.data (), in.data (), out.data (), out.data (), 64), Result::passedThrough);
	EXPECT_EQ (out, in);
	EXPECT_FALSE (engine.isBreakActive ());
}

TEST (SliceEngine, ReadsStayInsideTheSnapshotForBarsLongerThanTheRing)
{
	unsigned seed = 1;
	while (!(SliceEngine::chooseSlice (drawsFor (seed).slice, 4) == 3 && drawsFor (seed).reverse % 10 != 0 &&
	         (drawsFor (seed).dry & 3) != 0))
		++seed;

	Rig<float> rig;
	rig.tempo = 1.0; // 10,584,000 samples a bar at 44.1 kHz: longer than the ring
	rig.run (1);
	rig.run (1);
	const int64_t bar = 10584000;
	ASSERT_EQ (rig.engine.getBarLength (), static_cast<uint64_t> (bar));
	rig.position = bar; // the host jumps to the next bar start
	rig.run (1);
	EXPECT_EQ (rig.engine.getBarLength (), static_cast<uint64_t> (bar / 2)) << "halved to fit the ring";

	// Slice 3 of such a bar starts at 3 × 2,646,000 and runs past the end of the ring.
	const int64_t L = bar / 4;
	rig.position = 2 * bar - 1;
	rig.engine.requestBreak (true);
	rig.run (1);
	std::srand (seed);
	rig.runTo (2 * bar + 470000, 8192);
	EXPECT_EQ (rig.engine.getSliceOffset (), 3 * L);
	EXPECT_GT (3 * L + rig.engine.getSlicePos (), SliceEngine::kBufferCapacity);

	// A sudden jump to a fast tempo in the middle of the break.
	rig.tempo = 300.0;
	rig.runTo (2 * bar + 480000, 512);
	EXPECT_TRUE (rig.engine.isBreakActive ());
	for (float v : rig.outL)
		EXPECT_TRUE (std::isfinite (v));
}
