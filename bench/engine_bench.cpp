// Cost of the slice engine. Every figure is a ratio against a baseline measured in the same
// run, so that a busy or slow machine moves both sides alike:
//   steady/...    ns per frame of the engine and of a plain loop with the same memory traffic
//   barBlock/...  the 64-frame block holding a bar start against the blocks without one
//   noPosition/.. a host without a musical position: every block starts a bar
// Run with --benchmark_repetitions=N and read the medians.
#include "processor/chopwright.h"
#include "processor/sliceengine.h"

#include "parameterids.h"

#include "hosting/audio_buffers.h"
#include "hosting/musical_grid.h"
#include "hosting/parameter_changes.h"
#include "hosting/transport.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

using chopwright::SliceEngine;

namespace {

using Clock = std::chrono::steady_clock;

double nanoseconds (Clock::time_point from, Clock::time_point to)
{
	return std::chrono::duration<double, std::nano> (to - from).count ();
}

// What reading the clock twice costs; taken off every timed block.
double clockOverhead ()
{
	static const double overhead = [] {
		std::vector<double> samples (2001);
		for (double& sample : samples)
		{
			const auto start = Clock::now ();
			sample = nanoseconds (start, Clock::now ());
		}
		std::nth_element (samples.begin (), samples.begin () + 1000, samples.end ());
		return samples[1000];
	}();
	return overhead;
}

double median (std::vector<double> values)
{
	if (values.empty ())
		return 0.0;
	const auto middle = values.begin () + static_cast<std::ptrdiff_t> (values.size () / 2);
	std::nth_element (values.begin (), middle, values.end ());
	return *middle;
}

struct Shape
{
	double rate = 48000.0;
	double tempo = 120.0;
	int32_t block = 512;
	bool stereo = true;
	bool breakOn = true;
	float level = 1.0f; // input amplitude; 0x1p-130f makes every input sample subnormal
};

// An engine driven like a host drives it, with a transport that advances while it plays.
template <typename Sample>
struct Rig
{
	Shape shape;
	hosting::MusicalGrid grid;
	SliceEngine engine;
	std::vector<Sample> inL, inR, outL, outR;
	int64_t position = 0;

	explicit Rig (const Shape& s)
	    : shape (s), grid {s.rate, s.tempo}, inL (static_cast<size_t> (s.block)), inR (inL.size ()),
	      outL (inL.size ()), outR (inL.size ())
	{
		std::srand (1);
		engine.prepare (static_cast<int32_t> (s.rate));
		engine.setDivision (16);
		engine.setGateSize (0.6f);
		for (size_t i = 0; i < inL.size (); ++i)
		{
			inL[i] = static_cast<Sample> (s.level * std::sin (0.01 * static_cast<double> (i)));
			inR[i] = -inL[i];
		}
		// Two bars recorded so the break plays real audio.
		while (position < static_cast<int64_t> (8.0 * grid.samplesPerBeat ()))
			run ();
		if (s.breakOn)
			engine.requestBreak (true);
	}

	void run (double quarterNotes)
	{
		// A mono bus: left and right name one buffer.
		const Sample* inRight = shape.stereo ? inR.data () : inL.data ();
		Sample* outRight = shape.stereo ? outR.data () : outL.data ();
		engine.updateTransport (shape.rate, shape.tempo, quarterNotes, true);
		engine.process (inL.data (), inRight, outL.data (), outRight, shape.block);
	}

	void run ()
	{
		run (grid.beatsAt (position));
		position += shape.block;
	}

	bool blockHoldsBarStart () const
	{
		const auto bar = static_cast<int64_t> (4.0 * grid.samplesPerBeat ());
		return position % bar == 0 || position / bar != (position + shape.block - 1) / bar;
	}
};

// The plain loop the engine is held against: the same memory traffic per frame (the input
// read, written to the output and as single floats to a ring of the engine's size, and one
// snapshot frame read), with nothing else to decide.
template <typename Sample>
struct Baseline
{
	static constexpr int32_t kCapacity = SliceEngine::kBufferCapacity;
	std::unique_ptr<float[]> ring[2], snapshot[2];
	int32_t writePos = 0;
	int32_t readPos = 0;
	int32_t readLength;

	explicit Baseline (int32_t barLength) : readLength (std::min (barLength, kCapacity))
	{
		for (int channel = 0; channel < 2; ++channel)
		{
			ring[channel].reset (new float[kCapacity]());
			snapshot[channel].reset (new float[kCapacity]());
		}
	}

	void run (const Sample* inL, const Sample* inR, Sample* outL, Sample* outR, int32_t n)
	{
		for (int32_t done = 0; done < n;)
		{
			if (writePos == kCapacity)
				writePos = 0;
			if (readPos == readLength)
				readPos = 0;
			const int32_t count = std::min ({n - done, kCapacity - writePos, readLength - readPos});
			float* ringL = ring[0].get () + writePos;
			float* ringR = ring[1].get () + writePos;
			const float* snapL = snapshot[0].get () + readPos;
			const float* snapR = snapshot[1].get () + readPos;
			for (int32_t i = 0; i < count; ++i)
			{
				const Sample left = inL[done + i];
				const Sample right = inR[done + i];
				ringL[i] = static_cast<float> (left);
				ringR[i] = static_cast<float> (right);
				outL[done + i] = left + snapL[i];
				outR[done + i] = right + snapR[i];
			}
			done += count;
			writePos += count;
			readPos += count;
		}
	}
};

// Engine and baseline take turns, a few thousand frames each, timed apart.
template <typename Sample>
void steady (benchmark::State& state, Shape shape)
{
	shape.block = static_cast<int32_t> (state.range (0));
	Rig<Sample> rig (shape);
	Baseline<Sample> baseline (static_cast<int32_t> (4.0 * rig.grid.samplesPerBeat ()));
	std::vector<Sample> inL (rig.inL), inR (rig.inR), outL (inL.size ()), outR (inL.size ());
	const int32_t blocks = std::max (1, 4096 / shape.block);

	double engineTime = 0.0, baselineTime = 0.0;
	for (auto _ : state)
	{
		auto start = Clock::now ();
		for (int32_t b = 0; b < blocks; ++b)
			rig.run ();
		auto end = Clock::now ();
		engineTime += nanoseconds (start, end) - clockOverhead ();
		benchmark::DoNotOptimize (rig.outL.data ());

		Sample* right = shape.stereo ? outR.data () : outL.data ();
		const Sample* inRight = shape.stereo ? inR.data () : inL.data ();
		start = Clock::now ();
		for (int32_t b = 0; b < blocks; ++b)
			baseline.run (inL.data (), inRight, outL.data (), right, shape.block);
		end = Clock::now ();
		baselineTime += nanoseconds (start, end) - clockOverhead ();
		benchmark::DoNotOptimize (outL.data ());
	}
	const double frames = static_cast<double> (state.iterations ()) * blocks * shape.block;
	state.counters["engine_ns"] = engineTime / frames;
	state.counters["baseline_ns"] = baselineTime / frames;
	state.counters["ratio"] = engineTime / baselineTime;
}

double percentile (std::vector<double> values, double share)
{
	const auto rank = static_cast<std::ptrdiff_t> (share * static_cast<double> (values.size () - 1));
	const auto at = values.begin () + rank;
	std::nth_element (values.begin (), at, values.end ());
	return *at;
}

// One iteration plays one bar in 64-frame blocks, each timed on its own.
void barBlock (benchmark::State& state, double rate, double tempo)
{
	Shape shape;
	shape.rate = rate;
	shape.tempo = tempo;
	shape.block = 64;
	Rig<float> rig (shape);
	const auto bar = static_cast<int64_t> (4.0 * rig.grid.samplesPerBeat ());
	std::vector<double> barBlocks, otherBlocks;
	otherBlocks.reserve (static_cast<size_t> (bar / 64 * (state.max_iterations + 1)));
	for (auto _ : state)
	{
		const int64_t end = (rig.position / bar + 1) * bar + 1;
		while (rig.position < end)
		{
			const bool holdsBarStart = rig.blockHoldsBarStart ();
			const auto start = Clock::now ();
			rig.run ();
			const double time = nanoseconds (start, Clock::now ()) - clockOverhead ();
			(holdsBarStart ? barBlocks : otherBlocks).push_back (time);
		}
		benchmark::DoNotOptimize (rig.outL.data ());
	}
	const double withBar = median (barBlocks);
	const double without = median (otherBlocks);
	state.counters["bar_block_ns"] = withBar;
	state.counters["block_ns"] = without;
	state.counters["ratio"] = withBar / without;
	// The slowest other blocks: those that start a slice within the bar, and those before a
	// slice start that ask for its first frames.
	state.counters["p99_ns"] = percentile (otherBlocks, 0.99);
	state.counters["p999_ns"] = percentile (otherBlocks, 0.999);
}

// The same through the VST 3 interface, as a host runs the plug-in: stereo, 32-bit, Break on.
void barBlockPlugin (benchmark::State& state, double rate, double tempo)
{
	using namespace Steinberg;
	using namespace Steinberg::Vst;
	constexpr int32 kBlock = 64;
	std::srand (1);
	IPtr<Chopwright> processor = owned (new Chopwright);
	processor->initialize (nullptr);
	ProcessSetup setup {kRealtime, kSample32, kBlock, rate};
	processor->setupProcessing (setup);
	processor->setActive (true);
	hosting::AudioBus input (2, kBlock, kSample32), output (2, kBlock, kSample32);
	for (int32 i = 0; i < kBlock; ++i)
	{
		input.set (0, i, std::sin (0.01 * i));
		input.set (1, i, -std::sin (0.01 * i));
	}
	hosting::ParameterChanges changes;
	hosting::Transport transport;
	transport.sampleRate = rate;
	transport.tempo = tempo;
	ProcessContext context {};
	ProcessData data;
	data.symbolicSampleSize = kSample32;
	data.numSamples = kBlock;
	data.numInputs = data.numOutputs = 1;
	data.inputs = &input.buffers ();
	data.outputs = &output.buffers ();
	data.inputParameterChanges = &changes;
	data.processContext = &context;

	const auto bar = static_cast<int64_t> (4.0 * transport.samplesPerBeat ());
	int64_t position = 0;
	auto run = [&] {
		transport.fill (context, position);
		processor->process (data);
		changes.clear ();
		position += kBlock;
	};
	changes.addPoint (kSliceSizeId, 0, 1.0);
	changes.addPoint (kGateSizeId, 0, 0.6);
	while (position < 2 * bar)
		run ();
	changes.addPoint (kBreakId, 0, 1.0);

	std::vector<double> barBlocks, otherBlocks;
	for (auto _ : state)
	{
		const int64_t end = (position / bar + 1) * bar + 1;
		while (position < end)
		{
			const bool holdsBarStart = position % bar == 0 || position / bar != (position + kBlock - 1) / bar;
			const auto start = Clock::now ();
			run ();
			const double time = nanoseconds (start, Clock::now ()) - clockOverhead ();
			(holdsBarStart ? barBlocks : otherBlocks).push_back (time);
		}
	}
	processor->setActive (false);
	processor->terminate ();
	state.counters["bar_block_ns"] = median (barBlocks);
	state.counters["block_ns"] = median (otherBlocks);
	state.counters["ratio"] = median (barBlocks) / median (otherBlocks);
}

// Every block at position 0, as from a host that reports no musical position.
void noPosition (benchmark::State& state, double rate, double tempo)
{
	Shape shape;
	shape.rate = rate;
	shape.tempo = tempo;
	shape.block = 64;
	Rig<float> rig (shape);
	for (auto _ : state)
	{
		rig.run (0.0);
		benchmark::DoNotOptimize (rig.outL.data ());
	}
	// Per cent of the time the audio lasts.
	state.counters["budget_percent"] =
	    benchmark::Counter (static_cast<double> (state.iterations ()) * 64.0 / rate / 100.0,
	                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// A fresh engine, 64-frame blocks: the first ring lap writes pages the system hands out on
// first touch, the second lap reuses them.
void ringLaps (benchmark::State& state)
{
	Shape shape;
	shape.block = 64;
	for (auto _ : state)
	{
		Rig<float> rig (shape);
		std::vector<double> laps[2];
		for (auto& lap : laps)
		{
			lap.reserve (SliceEngine::kBufferCapacity / 64 + 1);
			const int64_t end =
			    (rig.position / SliceEngine::kBufferCapacity + 1) * SliceEngine::kBufferCapacity;
			while (rig.position < end)
			{
				const auto start = Clock::now ();
				rig.run ();
				lap.push_back (nanoseconds (start, Clock::now ()) - clockOverhead ());
			}
		}
		auto mean = [] (const std::vector<double>& v) {
			double sum = 0.0;
			for (double x : v)
				sum += x;
			return sum / static_cast<double> (v.size ());
		};
		state.counters["first_lap_ns"] = mean (laps[0]);
		state.counters["second_lap_ns"] = mean (laps[1]);
		state.counters["first_lap_p999_ns"] = percentile (laps[0], 0.999);
		state.counters["second_lap_p999_ns"] = percentile (laps[1], 0.999);
	}
}

Shape with (bool stereo, bool breakOn, float level = 1.0f)
{
	Shape shape;
	shape.stereo = stereo;
	shape.breakOn = breakOn;
	shape.level = level;
	return shape;
}

void steady32 (benchmark::State& state, Shape shape) { steady<float> (state, shape); }
void steady64 (benchmark::State& state, Shape shape) { steady<double> (state, shape); }

} // namespace

BENCHMARK_CAPTURE (steady32, stereo32_break, with (true, true))->Arg (512)->Arg (64);
BENCHMARK_CAPTURE (steady64, stereo64_break, with (true, true))->Arg (512)->Arg (64);
BENCHMARK_CAPTURE (steady32, mono32_break, with (false, true))->Arg (512)->Arg (64);
BENCHMARK_CAPTURE (steady32, stereo32_off, with (true, false))->Arg (512)->Arg (64);
BENCHMARK_CAPTURE (steady32, stereo32_break_subnormal, with (true, true, 0x1p-130f))->Arg (512);
BENCHMARK_CAPTURE (steady32, stereo32_off_subnormal, with (true, false, 0x1p-130f))->Arg (512);
BENCHMARK_CAPTURE (barBlock, 48k_120bpm, 48000.0, 120.0)->Iterations (60)->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (barBlock, 192k_40bpm, 192000.0, 40.0)->Iterations (50)->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (barBlockPlugin, 48k_120bpm, 48000.0, 120.0)
    ->Iterations (60)
    ->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (barBlockPlugin, 192k_40bpm, 192000.0, 40.0)
    ->Iterations (50)
    ->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (noPosition, 96k_60bpm, 96000.0, 60.0)->Unit (benchmark::kMicrosecond);
BENCHMARK_CAPTURE (noPosition, 192k_20bpm, 192000.0, 20.0)->Unit (benchmark::kMicrosecond);
BENCHMARK (ringLaps)->Iterations (1)->Unit (benchmark::kMillisecond);

BENCHMARK_MAIN ();
