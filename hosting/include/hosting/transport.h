#pragma once

#include "pluginterfaces/vst/ivstprocesscontext.h"

namespace hosting {

// A simulated transport in 4/4 that fills the ProcessContext of each block.
//
// Positions are exact in samples: a plug-in that derives the block's first sample as
// trunc(samplesPerBeat() * projectTimeMusic) gets back exactly the sample the host meant,
// which a plain division does not guarantee (the product can land one ulp short).
struct Transport
{
    double sampleRate = 44100.0;
    double tempo = 120.0; // quarter notes per minute
    bool playing = true;

    static constexpr int kBeatsPerBar = 4;

    // Computed as the plug-in computes it: sampleRate * 60 / tempo, in that order.
    double samplesPerBeat() const { return sampleRate * 60.0 / tempo; }

    // The musical position (quarter notes) to report for a block starting at sample.
    double beatsAt(Steinberg::int64 sample) const;
    // The sample a musical position falls on: trunc(samplesPerBeat() * beats), the same
    // mapping the plug-in applies to projectTimeMusic. Used to place changes and the start.
    Steinberg::int64 sampleAt(double beats) const;
    // Start of the bar containing sample, in quarter notes.
    double barStartAt(Steinberg::int64 sample) const;

    // Fills every field of context for a block starting at sample (project time).
    void fill(Steinberg::Vst::ProcessContext& context, Steinberg::int64 sample) const;
};

} // namespace hosting
