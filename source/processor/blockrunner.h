#pragma once

#include "processor/sliceengine.h"

#include <cmath>
#include <cstdint>

namespace chopwright {

// What the plug-in formats share between receiving a block and the engine: how parameter
// values become engine settings, how the host's transport reaches the engine and how the
// output of a block reaches the level display. Plain C++, so the VST 3 processor and the LV2
// plug-in turn the same values and the same transport into the same samples.

// The transport of one block as the engine takes it: tempo in quarter notes per minute, the
// musical position of the block's first sample in quarter notes.
struct BlockTransport
{
	double sampleRate {0.0};
	double tempo {120.0};
	double quarterNotes {0.0};
	bool playing {false};
};

// Break is on above 0.5.
inline void applyBreak (SliceEngine& engine, double value) { engine.requestBreak (value > 0.5); }

// A SliceSize value (0, 0.5, 1: one beat, half a beat, a quarter beat) as 4, 8 or 16 slices
// per bar; values beyond the three choices change nothing.
inline void applySliceSize (SliceEngine& engine, double value)
{
	const double k = std::trunc (value * 2.0);
	if (k == 0.0)
		engine.setDivision (4);
	else if (k == 1.0)
		engine.setDivision (8);
	else if (k == 2.0)
		engine.setDivision (16);
}

// One block after the parameters: the gate size, then the transport (taken even when the block
// carries no samples), then the samples. Without a transport, or with one the engine cannot
// place, the input passes untouched and neither the engine nor the scope moves. Otherwise the
// scope gets the output of a processed block, or the length of a block while stopped.
// `haveBuffers` false: the host gave no usable buffers; a block of samples then does nothing.
// Scope is anything with writeBlock (left, right, count) and writeStopped (count).
template <typename Sample, typename Scope>
void runBlock (SliceEngine& engine, Scope& scope, float gateSize, const BlockTransport* transport,
               bool haveBuffers, const Sample* inLeft, const Sample* inRight, Sample* outLeft,
               Sample* outRight, int32_t numSamples)
{
	engine.setGateSize (gateSize);
	const bool engineMayRun =
	    transport && engine.updateTransport (transport->sampleRate, transport->tempo, transport->quarterNotes,
	                                         transport->playing);
	if (!haveBuffers && numSamples > 0)
		return;

	if (!engineMayRun)
	{
		SliceEngine::passThrough (inLeft, inRight, outLeft, outRight, numSamples);
		return;
	}

	switch (engine.process (inLeft, inRight, outLeft, outRight, numSamples))
	{
		case SliceEngine::BlockResult::processed:
			scope.writeBlock (outLeft, outRight, numSamples);
			break;
		case SliceEngine::BlockResult::stopped:
			scope.writeStopped (numSamples);
			break;
		case SliceEngine::BlockResult::passedThrough:
			break;
	}
}

} // namespace chopwright
