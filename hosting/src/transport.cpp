#include "hosting/transport.h"

#include <cmath>

using namespace Steinberg;

namespace hosting {

double Transport::barStartAt (int64 sample) const
{
	// Decide in samples, not beats: near a bar line the reported beats may be a few ulps short
	// of the bar although the sample is already the bar's first one.
	double bar = std::floor (beatsAt (sample) / kBeatsPerBar);
	if (sampleAt ((bar + 1) * kBeatsPerBar) <= sample)
		bar += 1;
	else if (bar > 0 && sampleAt (bar * kBeatsPerBar) > sample)
		bar -= 1;
	return bar * kBeatsPerBar;
}

void Transport::fill (Vst::ProcessContext& context, int64 sample) const
{
	context = Vst::ProcessContext {};
	using C = Vst::ProcessContext;
	context.state = C::kTempoValid | C::kProjectTimeMusicValid | C::kTimeSigValid | C::kBarPositionValid |
	                C::kContTimeValid | (playing ? static_cast<uint32> (C::kPlaying) : 0u);
	context.sampleRate = sampleRate;
	context.projectTimeSamples = sample;
	context.continousTimeSamples = sample; // no cycle: continuous time equals project time
	context.projectTimeMusic = beatsAt (sample);
	if (musicalResolution > 0.0)
		context.projectTimeMusic =
		    std::round (context.projectTimeMusic / musicalResolution) * musicalResolution;
	context.barPositionMusic = barStartAt (sample);
	context.tempo = tempo;
	context.timeSigNumerator = kBeatsPerBar;
	context.timeSigDenominator = 4;
}

} // namespace hosting
