#pragma once

#include "hosting/musical_grid.h"

#include "pluginterfaces/vst/ivstprocesscontext.h"

namespace hosting {

// A simulated transport in 4/4 that fills the ProcessContext of each block.
//
// Positions are exact in samples: a plug-in that derives the block's first sample as
// trunc(samplesPerBeat() * projectTimeMusic) gets back exactly the sample the host meant,
// unless musicalResolution asks for the rounding some hosts apply.
struct Transport : MusicalGrid
{
	bool playing = true;
	// When above 0, projectTimeMusic is rounded to a multiple of this many quarter notes, as
	// hosts that keep positions in ticks do (1.0 / 1920): consecutive blocks then overlap or
	// leave a gap of a few samples.
	double musicalResolution = 0.0;

	static constexpr int kBeatsPerBar = 4;

	// Start of the bar containing sample, in quarter notes.
	double barStartAt (Steinberg::int64 sample) const;

	// Fills every field of context for a block starting at sample (project time; negative
	// during a pre-roll).
	void fill (Steinberg::Vst::ProcessContext& context, Steinberg::int64 sample) const;
};

} // namespace hosting
