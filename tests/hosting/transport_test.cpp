#include "hosting/transport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Steinberg;
using hosting::Transport;

namespace {

// What the plug-in computes from the context: the block's first sample.
int64 samplePluginSees (const Vst::ProcessContext& c)
{
	const double samplesPerBeat = c.sampleRate * 60.0 / c.tempo;
	return static_cast<int64> (std::trunc (samplesPerBeat * c.projectTimeMusic));
}

} // namespace

TEST (Transport, PositionsRoundTripExactlyForAwkwardTempos)
{
	// Non-integer samples per beat are where a plain division lands one sample early.
	for (double rate : {44100.0, 48000.0, 96000.0, 22050.0})
		for (double tempo : {120.0, 97.0, 133.0, 174.5, 60.1, 87.3})
		{
			Transport transport {rate, tempo};
			Vst::ProcessContext context {};
			for (int64 sample = 0; sample < 3000000; sample += 997)
			{
				transport.fill (context, sample);
				ASSERT_EQ (samplePluginSees (context), sample) << "rate " << rate << " tempo " << tempo;
			}
		}
}

TEST (Transport, NaiveDivisionWouldBeOffByOneSomewhere)
{
	// Guards the test above: make sure the situation it covers really occurs.
	int failures = 0;
	for (double tempo : {97.0, 133.0, 87.3})
	{
		const double samplesPerBeat = 44100.0 * 60.0 / tempo;
		for (int64 sample = 0; sample < 3000000; ++sample)
			failures += std::trunc (samplesPerBeat * (static_cast<double> (sample) / samplesPerBeat)) !=
			            static_cast<double> (sample);
	}
	EXPECT_GT (failures, 0);
}

TEST (Transport, FillsFlagsTempoAndBars)
{
	Transport transport {48000.0, 120.0};
	Vst::ProcessContext context {};
	transport.fill (context, 48000 * 5); // 5 s at 120 BPM = 10 beats = bar 3, beat 3
	using C = Vst::ProcessContext;
	for (uint32 flag : {C::kPlaying, C::kTempoValid, C::kProjectTimeMusicValid, C::kTimeSigValid,
	                    C::kBarPositionValid, C::kContTimeValid})
		EXPECT_TRUE (context.state & flag) << flag;
	EXPECT_EQ (context.sampleRate, 48000.0);
	EXPECT_EQ (context.tempo, 120.0);
	EXPECT_EQ (context.timeSigNumerator, 4);
	EXPECT_EQ (context.timeSigDenominator, 4);
	EXPECT_EQ (context.projectTimeSamples, 240000);
	EXPECT_EQ (context.continousTimeSamples, 240000);
	EXPECT_DOUBLE_EQ (context.projectTimeMusic, 10.0);
	EXPECT_EQ (context.barPositionMusic, 8.0);

	transport.playing = false;
	transport.fill (context, 0);
	EXPECT_FALSE (context.state & C::kPlaying);
	EXPECT_EQ (context.barPositionMusic, 0.0);
}

TEST (Transport, BarStartFollowsTheSampleAtBarLines)
{
	for (double tempo : {97.0, 133.0, 120.0})
	{
		Transport transport {44100.0, tempo};
		for (int bar = 1; bar < 200; ++bar)
		{
			const int64 first = transport.sampleAt (bar * 4.0);
			EXPECT_EQ (transport.barStartAt (first), bar * 4.0) << "tempo " << tempo << " bar " << bar;
			EXPECT_EQ (transport.barStartAt (first - 1), (bar - 1) * 4.0)
			    << "tempo " << tempo << " bar " << bar;
		}
	}
}

TEST (Transport, SampleAtAndBeatsAtAgree)
{
	Transport transport {44100.0, 120.0};
	EXPECT_EQ (transport.samplesPerBeat (), 22050.0);
	EXPECT_EQ (transport.sampleAt (4.0), 88200);
	EXPECT_EQ (transport.sampleAt (3.5), 77175);
	EXPECT_EQ (transport.beatsAt (77175), 3.5);
	Transport odd {44100.0, 133.0};
	for (double beats : {1.0, 2.5, 17.0, 123.25})
		EXPECT_EQ (odd.sampleAt (odd.beatsAt (odd.sampleAt (beats))), odd.sampleAt (beats));
}
