#pragma once

#include "processor/blockrunner.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace chopwright {
namespace lv2 {

// The host's transport as an LV2 plug-in learns it: a time:Position event when something
// changes (start, stop, locate, tempo), nothing in between. The clock keeps the last position
// as an anchor and runs on from it by the frames played, so every block gets the transport a
// VST 3 host would put into its process context.
//
// Units: the engine counts quarter notes, and so do the hosts' tempi: Ardour and JUCE send
// time:beatsPerMinute in quarter notes per minute whatever the meter, and it is taken as such.
// A position is time:beat, which JUCE sends in quarter notes (its play head's position), or else
// time:bar and time:barBeat, which Ardour sends in beats of time:beatUnit (eighths in 6/8) with
// time:beatsPerBar of them to the bar: those are scaled by 4 / beatUnit. time:speed 0 is stopped,
// anything else playing. A position updates only what it carries; the rest keeps its last value
// (at first: 120 BPM, 4/4, position 0, stopped).
//
// Running on, at normal speed: the anchor falls on sample s = floor(samplesPerBeat × anchor),
// and a block that starts n frames later gets the smallest position whose product with
// samplesPerBeat truncates to s + n, the sample the engine then starts the block on. That is
// how a host with an exact sample grid (the tests' hosting::Transport) fills its context. At
// any other speed the position is anchor + n × speed / samplesPerBeat.
class HostClock
{
public:
	explicit HostClock (double rate) : sampleRate (rate) {}

	bool isKnown () const { return known; }

	// The transport of a block that starts now.
	BlockTransport now () const
	{
		BlockTransport transport;
		transport.sampleRate = sampleRate;
		transport.tempo = tempo;
		transport.quarterNotes = positionNow ();
		transport.playing = speed != 0.0;
		return transport;
	}

	void advance (int64_t frames)
	{
		if (speed != 0.0)
			elapsed += frames;
	}

	// The values of one time:Position at the frame the clock has reached; a missing value is
	// NaN (a time signature value that is not positive counts as missing).
	struct Position
	{
		double beat = NAN, bar = NAN, barBeat = NAN, beatsPerBar = NAN, beatUnit = NAN, beatsPerMinute = NAN,
		       speed = NAN;
	};

	void take (const Position& p)
	{
		// What runs on from here starts where the clock stands, in the tempo it ran at.
		anchor = positionNow ();
		elapsed = 0;
		known = true;
		if (p.beatUnit > 0.0)
			beatUnit = p.beatUnit;
		if (p.beatsPerBar > 0.0)
			beatsPerBar = p.beatsPerBar;
		if (!std::isnan (p.beatsPerMinute))
			tempo = p.beatsPerMinute;
		if (!std::isnan (p.beat))
			anchor = p.beat;
		else if (!std::isnan (p.bar))
			anchor = (p.bar * beatsPerBar + (std::isnan (p.barBeat) ? 0.0 : p.barBeat)) * 4.0 / beatUnit;
		if (!std::isnan (p.speed))
			speed = p.speed;
	}

private:
	double positionNow () const
	{
		if (elapsed == 0)
			return anchor;
		const double samplesPerBeat = sampleRate * 60.0 / tempo;
		const double frames = static_cast<double> (elapsed);
		if (speed != 1.0)
			return anchor + frames * speed / samplesPerBeat;
		const double target = std::floor (samplesPerBeat * anchor) + frames;
		double beats = target / samplesPerBeat;
		if (!(target >= 0.0 && target < 0x1p53))
			return beats;
		// The quotient can sit a few ulps either side of the first position on the target
		// sample; a few steps reach it (bounded: the audio thread never loops on).
		constexpr double down = -std::numeric_limits<double>::infinity ();
		constexpr double up = std::numeric_limits<double>::infinity ();
		for (int step = 0; step < 16 && std::trunc (samplesPerBeat * beats) > target; ++step)
			beats = std::nextafter (beats, down);
		for (int step = 0; step < 16 && std::trunc (samplesPerBeat * beats) < target; ++step)
			beats = std::nextafter (beats, up);
		return beats;
	}

	double sampleRate;
	double tempo {120.0};
	double anchor {0.0};
	double speed {0.0};
	double beatsPerBar {4.0};
	double beatUnit {4.0};
	int64_t elapsed {0};
	bool known {false};
};

} // namespace lv2
} // namespace chopwright
