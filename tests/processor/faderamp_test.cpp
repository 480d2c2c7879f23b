#include "processor/faderamp.h"
#include "processor/gateenvelope.h"

#include <gtest/gtest.h>

#include <cmath>

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

int32_t releaseCount (int32_t rate)
{
	GateEnvelope gate;
	gate.setSampleRate (rate);
	gate.setReleaseMs (15.0);
	return gate.getReleaseCount ();
}

} // namespace

TEST (FadeRamp, LengthsFollowTheSampleRate)
{
	EXPECT_EQ (FadeRamp ().getLength (), 441); // 10 ms at 44.1 kHz before any activation
	const double lengthsMs[] = {12.0, 20.0, 15.0, 10.0};
	const int32_t at44k[] = {529, 882, 661, 441};
	const int32_t at48k[] = {576, 960, 720, 480};
	for (int i = 0; i < 4; ++i)
	{
		EXPECT_EQ (makeRamp (44100, lengthsMs[i]).getLength (), at44k[i]);
		EXPECT_EQ (makeRamp (48000, lengthsMs[i]).getLength (), at48k[i]);
	}
	EXPECT_EQ (releaseCount (44100), 661);
	EXPECT_EQ (releaseCount (48000), 720);
	EXPECT_EQ (makeRamp (0, 20.0).getLength (), 0);
}

TEST (FadeRamp, MixesAllButTheLastStepAlongTheSquareRootCurve)
{
	FadeRamp ramp = makeRamp (44100, 20.0);
	ASSERT_EQ (ramp.getLength (), 882);
	EXPECT_FALSE (ramp.isRunning ()) << "finished after a rebuild";

	ramp.captureTail (0.5f, -1.0f);
	ramp.restart ();
	int mixed = 0;
	while (ramp.isRunning ())
	{
		float left = 1.0f;
		float right = 0.25f;
		const double w = std::sqrt (mixed * (1.0 / 882));
		const float capturedLeft = ramp.capturedLeft (mixed);
		const float capturedRight = ramp.capturedRight (mixed);
		ramp.mixFromCapture (left, right);
		EXPECT_EQ (left, static_cast<float> (capturedLeft * (1.0 - w) + 1.0 * w)) << mixed;
		EXPECT_EQ (right, static_cast<float> (capturedRight * (1.0 - w) + 0.25 * w)) << mixed;
		++mixed;
	}
	EXPECT_EQ (mixed, 881) << "samples 0 .. 880 are mixed, 881 is not";

	// The tail falls linearly toward zero.
	EXPECT_EQ (ramp.capturedLeft (0), 0.5f);
	EXPECT_NEAR (ramp.capturedLeft (441), 0.25f, 1e-5) << "single-precision steps drift slightly";
	EXPECT_NEAR (ramp.capturedRight (881), -1.0f / 882, 1e-5);

	// A restart in the middle of a run starts over.
	ramp.restart ();
	float left = 0.0f, right = 0.0f;
	ramp.mixFromCapture (left, right);
	EXPECT_EQ (left, 0.5f) << "weight 0 at step 0: all source";
	EXPECT_EQ (ramp.getPosition (), 1);
}

TEST (FadeRamp, DoubleDryMixRoundsThePassingSignalFirst)
{
	FadeRamp ramp = makeRamp (44100, 15.0);
	ramp.restart ();
	double first = 0.0, second = 0.0;
	ramp.mixFromDry (first, second, 0.0, 0.0); // step 0
	double left = 0.1;
	double right = 0.3;
	ramp.mixFromDry (left, right, 0.7, -0.2);
	const double w = std::sqrt (1 * (1.0 / 661));
	EXPECT_EQ (left, 0.7 * (1.0 - w) + static_cast<double> (0.1f) * w);
	EXPECT_EQ (right, -0.2 * (1.0 - w) + static_cast<double> (0.3f) * w);

	float singleLeft = 0.1f, singleRight = 0.3f;
	ramp.mixFromDry (singleLeft, singleRight, 0.7f, -0.2f);
	const double w2 = std::sqrt (2 * (1.0 / 661));
	EXPECT_EQ (singleLeft, static_cast<float> (0.7f * (1.0 - w2) + 0.1f * w2));
}

TEST (GateEnvelope, OpensClosesAndReleasesAroundTheGatePoint)
{
	GateEnvelope gate;
	gate.setSampleRate (44100);
	gate.setReleaseMs (15.0);
	const double spb = 22050.0;
	const double slice = 11025.0;

	for (double p : {0.0, 100.0, 5512.0, 11024.0})
		EXPECT_EQ (gate.gain (p, slice, 1.0f, spb), 1.0) << "GateSize 1 never closes, position " << p;

	GateEnvelope half;
	half.setSampleRate (44100);
	half.setReleaseMs (15.0);
	EXPECT_EQ (half.gain (0.0, slice, 0.5f, spb), 1.0);
	// The first call at a new gate point moved the point but not the gain: no smoothing.
	EXPECT_EQ (half.gain (5512.0, slice, 0.5f, spb), 1.0);
	EXPECT_EQ (half.gain (5513.0, slice, 0.5f, spb), 1.0) << "r[0]";
	EXPECT_EQ (half.gain (5514.0, slice, 0.5f, spb), 1.0 - std::sqrt (1.0 * (1.0 / 661)));
	EXPECT_GT (half.gain (6173.0, slice, 0.5f, spb), 0.0);
	EXPECT_EQ (half.gain (6174.0, slice, 0.5f, spb), 0.0);
	EXPECT_EQ (half.gain (11000.0, slice, 0.5f, spb), 0.0);

	// Below 0.1 the gate acts as 0.1; over-long slices gate only their last beat.
	GateEnvelope low, tenth;
	for (GateEnvelope* g : {&low, &tenth})
	{
		g->setSampleRate (44100);
		g->setReleaseMs (15.0);
	}
	for (double p = 0; p < 11025; p += 97)
		EXPECT_EQ (low.gain (p, slice, 0.05f, spb), tenth.gain (p, slice, 0.1f, spb)) << p;

	GateEnvelope bar;
	bar.setSampleRate (44100);
	bar.setReleaseMs (15.0);
	const double gatePoint = 0.5 * spb + (88200.0 - spb); // 77175
	EXPECT_EQ (bar.gain (77175.0, 88200.0, 0.5f, spb), 1.0);
	EXPECT_LT (bar.gain (gatePoint + 2, 88200.0, 0.5f, spb), 1.0);
}

TEST (GateEnvelope, SmoothsAGateChangeBeyondTheNewGatePoint)
{
	GateEnvelope gate;
	gate.setSampleRate (44100);
	gate.setReleaseMs (15.0);
	const double slice = 11025.0;
	EXPECT_EQ (gate.gain (9000.0, slice, 1.0f, 22050.0), 1.0);
	// GateSize drops to 0.5 while the position is far past the new gate point: the raw gain
	// jumps to 0, the returned gain falls from 1 over 10 ms instead.
	const double first = gate.gain (9001.0, slice, 0.5f, 22050.0);
	EXPECT_EQ (first, 1.0) << "step 0 of the smoothing is all tail";
	double previous = first;
	for (int i = 1; i < 440; ++i)
	{
		const double g = gate.gain (9001.0 + i, slice, 0.5f, 22050.0);
		EXPECT_LE (g, previous);
		EXPECT_GT (g, 0.0) << i;
		previous = g;
	}
	EXPECT_EQ (gate.gain (9441.0, slice, 0.5f, 22050.0), 0.0) << "smoothing over after 440 samples";
}
