#pragma once

#include "audio_file.h"

#include <cstdint>

namespace render {

// Deterministic noise for the drum sounds (xorshift32): the same loop on every run and
// machine, and it leaves the C library's rand() to the plug-in.
class NoiseGenerator
{
public:
	explicit NoiseGenerator (uint32_t seed = 0x9E3779B9u) : state_ (seed ? seed : 1u) {}
	double next (); // uniform in [-1, 1)

private:
	uint32_t state_;
};

struct DrumLoopSettings
{
	int sampleRate = 44100;
	double tempo = 120.0;
	int bars = 8;
};

// A stereo drum loop in 4/4: kick, snare on 2 and 4, eighth-note hats (slightly right),
// a snare fill at the end of every fourth bar. Peaks at -1 dBFS.
AudioData synthesizeDrumLoop (const DrumLoopSettings& settings);

} // namespace render
