// The block forms of the fade ramps and the gate give, bit for bit, what their per-sample
// forms give one call after the other.
#include "processor/faderamp.h"
#include "processor/gateenvelope.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

using chopwright::FadeRamp;
using chopwright::GateEnvelope;

namespace {

FadeRamp makeRamp (int32_t rate, double ms)
{
	FadeRamp ramp;
	ramp.setSampleRate (rate);
	ramp.setLengthMs (ms);
	return ramp;
}

// Tail starts of every kind: ordinary, tiny, huge, subnormal, signed zeros, not finite.
std::vector<float> tailStarts ()
{
	std::vector<float> starts {0.5f,      -1.0f,   1.0f,     0.0f,    -0.0f,     1e-30f,    -3e-38f,
	                           0x1p-140f, FLT_MAX, -FLT_MAX, FLT_MIN, 0.999999f, HUGE_VALF, std::nanf ("")};
	std::mt19937 random (7);
	for (int i = 0; i < 400; ++i)
	{
		const float mantissa = std::uniform_real_distribution<float> (-1.0f, 1.0f) (random);
		starts.push_back (std::ldexp (mantissa, std::uniform_int_distribution<int> (-60, 4) (random)));
	}
	return starts;
}

template <typename Sample>
bool sameBits (const std::vector<Sample>& a, const std::vector<Sample>& b)
{
	return a.size () == b.size () && std::memcmp (a.data (), b.data (), sizeof (Sample) * a.size ()) == 0;
}

template <typename Sample>
void captureMixesMatch (int32_t rate)
{
	const float second = 0.3f;
	for (float start : tailStarts ())
	{
		FadeRamp block = makeRamp (rate, 12.0);
		FadeRamp single = block;
		block.captureTail (start, second);
		single.captureTail (start, second);
		block.restart ();
		single.restart ();

		const auto frames = static_cast<size_t> (block.getLength () + 10);
		std::vector<Sample> left (frames), right (frames);
		for (size_t i = 0; i < frames; ++i)
		{
			left[i] = static_cast<Sample> (std::sin (0.001 * static_cast<double> (i)));
			right[i] = static_cast<Sample> (0.25);
		}
		std::vector<Sample> expectedLeft (left), expectedRight (right);
		for (size_t i = 0; i < frames; ++i)
			if (single.isRunning ())
				single.mixFromCapture (expectedLeft[i], expectedRight[i]);

		// In uneven pieces, as runs of a block come.
		int32_t mixed = 0;
		for (size_t done = 0; done < frames;)
		{
			const auto piece = std::min<size_t> (frames - done, 1 + (done * 7) % 300);
			mixed += block.mixFromCapture (left.data () + done, right.data () + done,
			                               static_cast<int32_t> (piece));
			done += piece;
		}
		EXPECT_EQ (mixed, block.getLength () - 1);
		EXPECT_TRUE (sameBits (left, expectedLeft)) << "start " << start << " at " << rate;
		EXPECT_TRUE (sameBits (right, expectedRight)) << "start " << start << " at " << rate;
		EXPECT_EQ (block.getPosition (), single.getPosition ());
	}
}

template <typename Sample>
void dryMixesMatch ()
{
	FadeRamp block = makeRamp (44100, 20.0);
	FadeRamp single = block;
	block.restart ();
	single.restart ();
	const size_t frames = 1000;
	std::vector<Sample> left (frames), right (frames), dryLeft (frames), dryRight (frames);
	for (size_t i = 0; i < frames; ++i)
	{
		left[i] = static_cast<Sample> (0.1 + 1e-9 * static_cast<double> (i));
		right[i] = -left[i];
		dryLeft[i] = static_cast<Sample> (std::cos (0.01 * static_cast<double> (i)));
		dryRight[i] = static_cast<Sample> (0.7);
	}
	std::vector<Sample> expectedLeft (left), expectedRight (right);
	for (size_t i = 0; i < frames; ++i)
		if (single.isRunning ())
			single.mixFromDry (expectedLeft[i], expectedRight[i], dryLeft[i], dryRight[i]);
	EXPECT_EQ (block.mixFromDry (left.data (), right.data (), dryLeft.data (), dryRight.data (), 500), 500);
	EXPECT_EQ (block.mixFromDry (left.data () + 500, right.data () + 500, dryLeft.data () + 500,
	                             dryRight.data () + 500, 500),
	           881 - 500);
	EXPECT_TRUE (sameBits (left, expectedLeft));
	EXPECT_TRUE (sameBits (right, expectedRight));
}

} // namespace

TEST (BlockForms, CaptureMixesFollowTheTailStepByStep)
{
	// At 42,667 Hz the 12 ms ramp has 512 steps: steps that are short binary fractions, whose
	// falls can sit exactly half way between two float steps.
	for (int32_t rate : {44100, 48000, 192000, 42667})
	{
		captureMixesMatch<float> (rate);
		captureMixesMatch<double> (rate);
	}
}

TEST (BlockForms, DryMixesMatchTheSingleMixes)
{
	dryMixesMatch<float> ();
	dryMixesMatch<double> ();
}

TEST (BlockForms, GateGainsMatchSuccessiveCalls)
{
	GateEnvelope block, single;
	for (GateEnvelope* gate : {&block, &single})
	{
		gate->setSampleRate (48000);
		gate->setReleaseMs (15.0);
	}
	std::mt19937 random (3);
	double gains[300];
	int32_t position = 0;
	double sliceLength = 6000.0;
	float gateSize = 0.6f;
	for (int run = 0; run < 3000; ++run)
	{
		// Now and then a new gate: the gate size, the slice length or a slice start.
		const int change = std::uniform_int_distribution<int> (0, 19) (random);
		if (change == 0)
			gateSize = std::uniform_int_distribution<int> (0, 20) (random) / 20.0f;
		else if (change == 1)
			sliceLength = std::uniform_int_distribution<int> (100, 30000) (random);
		else if (change == 2)
			position = 0;
		const int32_t frames = std::uniform_int_distribution<int32_t> (1, 300) (random);
		block.gains (gains, position, frames, sliceLength, gateSize, 24000.0);
		for (int32_t i = 0; i < frames; ++i)
		{
			const double expected = single.gain (position + i, sliceLength, gateSize, 24000.0);
			ASSERT_EQ (std::memcmp (&gains[i], &expected, sizeof (double)), 0)
			    << "position " << position + i << ", slice " << sliceLength << ", gate " << gateSize;
		}
		position += frames;
	}
}
