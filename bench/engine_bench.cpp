// Cost of the slice engine per stereo frame at 48 kHz, 120 BPM (96,000-sample bars).
#include "processor/sliceengine.h"

#include "hosting/musical_grid.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

using chopwright::SliceEngine;

namespace {

constexpr double kRate = 48000.0;
constexpr int64_t kBar = 96000;

double quarterNotesAt (int64_t t) { return hosting::MusicalGrid {kRate, 120.0}.beatsAt (t); }

template <typename Sample>
struct Setup
{
	SliceEngine engine;
	std::vector<Sample> inL, inR, outL, outR;
	int64_t position = 0;

	Setup (int32_t block, bool breakOn)
	    : inL (static_cast<size_t> (block)), inR (inL.size ()), outL (inL.size ()), outR (inL.size ())
	{
		std::srand (1);
		engine.prepare (static_cast<int32_t> (kRate));
		engine.setDivision (16);
		engine.setGateSize (0.6f);
		for (size_t i = 0; i < inL.size (); ++i)
		{
			inL[i] = static_cast<Sample> (std::sin (0.01 * static_cast<double> (i)));
			inR[i] = -inL[i];
		}
		// Two bars recorded so the break plays real audio.
		while (position < 2 * kBar)
			run (block);
		if (breakOn)
			engine.requestBreak (true);
	}

	void run (int32_t block)
	{
		engine.updateTransport (kRate, 120.0, quarterNotesAt (position), true);
		engine.process (inL.data (), inR.data (), outL.data (), outR.data (), block);
		position += block;
	}
};

// Blocks of arg(0) frames; bars come round as they would in a song.
template <typename Sample>
void engineBlocks (benchmark::State& state, bool breakOn)
{
	const auto block = static_cast<int32_t> (state.range (0));
	Setup<Sample> setup (block, breakOn);
	for (auto _ : state)
	{
		setup.run (block);
		benchmark::DoNotOptimize (setup.outL.data ());
	}
	state.SetItemsProcessed (state.iterations () * block);
	state.counters["ns/frame"] = benchmark::Counter (static_cast<double> (state.iterations () * block),
	                                                 benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Only the block that starts a bar: its first sample copies the 96,000-frame snapshot.
template <typename Sample>
void snapshotBlock (benchmark::State& state)
{
	const int32_t block = 512;
	Setup<Sample> setup (block, true);
	for (auto _ : state)
	{
		state.PauseTiming ();
		setup.position = (setup.position / kBar + 1) * kBar;
		state.ResumeTiming ();
		setup.run (block);
		benchmark::DoNotOptimize (setup.outL.data ());
	}
}

} // namespace

void breakOff32 (benchmark::State& state) { engineBlocks<float> (state, false); }
void breakOn32 (benchmark::State& state) { engineBlocks<float> (state, true); }
void breakOff64 (benchmark::State& state) { engineBlocks<double> (state, false); }
void breakOn64 (benchmark::State& state) { engineBlocks<double> (state, true); }

BENCHMARK (breakOff32)->Arg (64)->Arg (512);
BENCHMARK (breakOn32)->Arg (64)->Arg (512);
BENCHMARK (breakOff64)->Arg (64)->Arg (512);
BENCHMARK (breakOn64)->Arg (64)->Arg (512);
BENCHMARK_TEMPLATE (snapshotBlock, float);
BENCHMARK_TEMPLATE (snapshotBlock, double);

BENCHMARK_MAIN ();
