#include "reference_engine.h"

#include "processor/narrowing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace chopwright::reference {

int32_t tableLength (double sampleRate, double milliseconds)
{
	const double steps = sampleRate * 0.001 * milliseconds;
	// Rates the processor accepts give at most a few hundred thousand steps; anything
	// else (negative, NaN, absurdly large) yields an empty table.
	if (!(steps >= 1.0 && steps < kMaxTableRate))
		return 0;
	return static_cast<int32_t> (steps);
}

FadeRamp::FadeRamp () { rebuild (); }

void FadeRamp::setSampleRate (int32_t rate)
{
	sampleRate = rate;
	rebuild ();
}

void FadeRamp::setLengthMs (double milliseconds)
{
	lengthMs = milliseconds;
	rebuild ();
}

void FadeRamp::rebuild ()
{
	length = tableLength (sampleRate, lengthMs);
	position = length;

	const auto size = static_cast<size_t> (length);
	weights.assign (size, 0.0);
	captureLeft.assign (size, 0.0f);
	captureRight.assign (size, 0.0f);

	const double inverse = 1.0 / length;
	for (int32_t i = 0; i < length; ++i)
		weights[static_cast<size_t> (i)] = std::sqrt (i * inverse);
}

void FadeRamp::captureTail (float left, float right)
{
	if (length <= 0)
		return;
	const double inverse = 1.0 / length;
	const double stepLeft = inverse * left;
	const double stepRight = inverse * right;
	float valueLeft = left;
	float valueRight = right;
	for (size_t i = 0; i < static_cast<size_t> (length); ++i)
	{
		captureLeft[i] = valueLeft;
		captureRight[i] = valueRight;
		valueLeft = static_cast<float> (valueLeft - stepLeft);
		valueRight = static_cast<float> (valueRight - stepRight);
	}
}

void FadeRamp::mixFromCapture (float& left, float& right)
{
	if (position >= length)
		return;
	const auto i = static_cast<size_t> (position++);
	const double w = weights[i];
	left = static_cast<float> (captureLeft[i] * (1.0 - w) + left * w);
	right = static_cast<float> (captureRight[i] * (1.0 - w) + right * w);
}

void FadeRamp::mixFromDry (float& left, float& right, float dryLeft, float dryRight)
{
	if (position >= length)
		return;
	const double w = weights[static_cast<size_t> (position++)];
	left = static_cast<float> (dryLeft * (1.0 - w) + left * w);
	right = static_cast<float> (dryRight * (1.0 - w) + right * w);
}

void FadeRamp::mixFromCapture (double& left, double& right)
{
	if (position >= length)
		return;
	const auto i = static_cast<size_t> (position++);
	const double w = weights[i];
	left = captureLeft[i] * (1.0 - w) + left * w;
	right = captureRight[i] * (1.0 - w) + right * w;
}

void FadeRamp::mixFromDry (double& left, double& right, double dryLeft, double dryRight)
{
	if (position >= length)
		return;
	const double w = weights[static_cast<size_t> (position++)];
	const double passingLeft = narrowSaturated (left);
	const double passingRight = narrowSaturated (right);
	left = dryLeft * (1.0 - w) + passingLeft * w;
	right = dryRight * (1.0 - w) + passingRight * w;
}

GateEnvelope::GateEnvelope () { rebuild (); }

void GateEnvelope::setSampleRate (int32_t rate)
{
	sampleRate = rate;
	rebuild ();
}

void GateEnvelope::setReleaseMs (double milliseconds)
{
	releaseMs = milliseconds;
	rebuild ();
}

void GateEnvelope::rebuild ()
{
	count = tableLength (sampleRate, releaseMs);
	release.assign (static_cast<size_t> (count), 0.0);
	const double inverse = 1.0 / count;
	for (int32_t i = 0; i < count; ++i)
		release[static_cast<size_t> (i)] = 1.0 - std::sqrt (i * inverse);

	currentGain = 1.0;
	previousRawGain = 1.0;
	previousGatePoint = 0.0;
	smoothingRamp.setSampleRate (sampleRate);
}

static bool differs (double a, double b) { return a < b || a > b; }

double GateEnvelope::gain (double position, double sliceLength, float gateSize, double samplesPerBeat)
{
	double opening = gateSize;
	if (gateSize < 0.1)
		opening = 0.1f;

	// Only the last beat of a slice longer than a beat is gated.
	const double gatePoint = samplesPerBeat < sliceLength
	                             ? opening * samplesPerBeat + (sliceLength - samplesPerBeat)
	                             : opening * sliceLength;

	double raw = 1.0;
	if (!(position < gatePoint))
	{
		const double past = position - gatePoint;
		raw = past < count ? release[static_cast<size_t> (past)] : 0.0;
	}
	currentGain = raw;

	if (differs (gatePoint, previousGatePoint) && differs (raw, previousRawGain))
	{
		const auto tail = static_cast<float> (previousRawGain);
		smoothingRamp.captureTail (tail, tail);
		smoothingRamp.restart ();
	}
	previousRawGain = raw;
	previousGatePoint = gatePoint;

	if (!smoothingRamp.isRunning ())
		return raw;
	double other = currentGain;
	smoothingRamp.mixFromCapture (currentGain, other);
	return currentGain;
}

namespace {

// Slice numbers by weight. The last entry is reached only when rand() returns one of its
// 64 largest values, which round up to 2^31 in single precision.
constexpr int32_t kFourSliceTable[9] = {0, 0, 1, 1, 1, 2, 2, 3, 3};
constexpr int32_t kEightSliceTable[21] = {0, 0, 1, 2, 2, 2, 2, 3, 3, 4, 4, 4, 5, 5, 6, 6, 6, 6, 6, 7, 7};

// Lengths of the gate's release and of the crossfades, in milliseconds: long enough to avoid
// clicks, short enough to keep the slices' attacks.
constexpr double kGateReleaseMs = 15.0;
constexpr double kSliceFadeMs = 12.0;     // from the end of one slice into the next
constexpr double kBreakFadeMs = 20.0;     // from the dry input into the break, and back
constexpr double kSliceSizeFadeMs = 15.0; // from the dry input after a slice size change

// Sample positions beyond this are not trusted from a host (they would overflow the
// 64-bit sample arithmetic).
constexpr double kMaxSamplePosition = 4611686018427387904.0; // 2^62

} // namespace

ReferenceEngine::ReferenceEngine () = default;

void ReferenceEngine::prepare (int32_t sampleRate)
{
	gate.setSampleRate (sampleRate);
	gate.setReleaseMs (kGateReleaseMs);
	sliceRamp.setSampleRate (sampleRate);
	sliceRamp.setLengthMs (kSliceFadeMs);
	breakOnRamp.setSampleRate (sampleRate);
	breakOnRamp.setLengthMs (kBreakFadeMs);
	breakOffRamp.setSampleRate (sampleRate);
	breakOffRamp.setLengthMs (kBreakFadeMs);
	sliceSizeRamp.setSampleRate (sampleRate);
	sliceSizeRamp.setLengthMs (kSliceSizeFadeMs);

	for (auto* buffers : {record, snapshot})
		for (int channel = 0; channel < 2; ++channel)
			if (!buffers[channel])
				buffers[channel].reset (new float[kBufferCapacity]());
}

void ReferenceEngine::releaseBuffers ()
{
	for (auto* buffers : {record, snapshot})
		for (int channel = 0; channel < 2; ++channel)
			buffers[channel].reset ();
}

bool ReferenceEngine::updateTransport (double sampleRate, double tempo, double quarterNotes, bool isPlaying)
{
	// A host without a usable tempo or rate is treated like a host without a transport.
	if (!(tempo > 0.0 && tempo <= 1.0e9 && sampleRate > 0.0 && sampleRate <= 1.0e9))
		return false;

	// The bar length follows the previous block's tempo.
	barLength = static_cast<uint64_t> (samplesPerBeat * 4.0);

	if (!(quarterNotes >= 0.0))
		return false;
	const double newSamplesPerBeat = sampleRate * 60.0 / tempo;
	if (!(newSamplesPerBeat * 4.0 < kMaxSamplePosition &&
	      newSamplesPerBeat * quarterNotes < kMaxSamplePosition))
		return false;

	samplesPerBeat = newSamplesPerBeat;
	projectTimeMusic = quarterNotes;
	playing = isPlaying;
	return true;
}

void ReferenceEngine::setDivision (int32_t newDivision)
{
	if (newDivision == division)
		return;
	division = newDivision;

	// The whole 64-bit bar divided, then narrowed; a block narrows the bar to 32 bits first.
	// The two agree for every bar below 2^31 samples and are kept apart for longer ones, so
	// that a slice size change never re-aligns differently from how it always has.
	const auto sliceLength = static_cast<int32_t> (static_cast<uint32_t> (barLength / division));
	if (sliceLength <= 0)
		return;
	slicePos = samplesSinceBar % sliceLength;
	sliceSizeRamp.restart ();
}

void ReferenceEngine::takeSnapshot ()
{
	constexpr uint64_t capacity = kBufferCapacity;
	while (barLength >= capacity - 1)
		barLength /= 2;

	const auto length = static_cast<int64_t> (barLength);
	int64_t end = recordPos - 1;
	if (end < 0)
		end = capacity;

	for (int channel = 0; channel < 2; ++channel)
	{
		const float* source = record[channel].get ();
		float* target = snapshot[channel].get ();
		if (end >= length)
		{
			std::copy (source + end - length, source + end, target);
		}
		else
		{
			const int64_t wrapped = length - end;
			std::copy (source + capacity - wrapped, source + capacity, target);
			std::copy (source, source + end, target + wrapped);
		}
	}
}

int32_t ReferenceEngine::chooseSlice (int randomValue, int32_t division)
{
	// Single-precision products with the exact factors 15/2^31, 20/2^31 and 8/2^31.
	const auto r = static_cast<float> (randomValue);
	if (division == 16)
		return static_cast<int32_t> (r * (15.0f * 0x1p-31f));
	if (division == 8)
		return kEightSliceTable[static_cast<int32_t> (r * (20.0f * 0x1p-31f))];
	return kFourSliceTable[static_cast<int32_t> (r * (8.0f * 0x1p-31f))];
}

void ReferenceEngine::startSlice (int32_t sliceLength)
{
	direction = 1;
	dryPass = false;

	sliceOffset = chooseSlice (std::rand (), division) * sliceLength;

	if (std::rand () % 10 == 0)
	{
		sliceOffset += sliceLength;
		direction = -1;
	}
	// The live input only replaces slices that start in the first half of the bar.
	if ((std::rand () & 3) == 0 && static_cast<uint64_t> (samplesSinceBar) < barLength / 2)
		dryPass = true;

	sliceRamp.captureTail (narrowSaturated (lastOut[0]), narrowSaturated (lastOut[1]));
	sliceRamp.restart ();
}

void ReferenceEngine::switchBreak (bool on, int64_t t, int32_t sliceLength)
{
	if (on == breakActive)
		return;
	breakActive = on;
	if (on)
	{
		slicePos = static_cast<int32_t> (t % sliceLength);
		breakOnRamp.restart ();
	}
	else
	{
		breakOffRamp.captureTail (narrowSaturated (lastOut[0]), narrowSaturated (lastOut[1]));
		breakOffRamp.restart ();
	}
}

template <typename Sample>
void ReferenceEngine::runBreak (Sample& left, Sample& right, Sample dryLeft, Sample dryRight,
                                int32_t sliceLength, bool atBarStart)
{
	if (slicePos >= sliceLength)
	{
		slicePos %= sliceLength;
		startSlice (sliceLength);
	}
	else if (atBarStart && slicePos > 0)
	{
		// The snapshot changes here: a slice still playing would jump, and a grid counted in
		// whole slices would drift against the bar whenever the bar is not a whole number of
		// slices. A new slice starts on the bar instead, covered by the slice crossfade.
		slicePos = 0;
		startSlice (sliceLength);
	}
	if (slicePos < 0)
		slicePos += sliceLength;

	int64_t index = static_cast<int64_t> (direction) * slicePos + sliceOffset;
	if (index < 0)
		index += sliceLength;
	// After a large tempo change the slice position can outrun the new slice length;
	// wrap such a read back into the snapshot.
	if (index < 0 || index >= kBufferCapacity)
		index = ((index % kBufferCapacity) + kBufferCapacity) % kBufferCapacity;

	if (dryPass)
	{
		left = dryLeft;
		right = dryRight;
	}
	else
	{
		left = snapshot[0][index];
		right = snapshot[1][index];
	}

	const double g = gate.gain (slicePos, sliceLength, gateSize, samplesPerBeat);
	left = static_cast<Sample> (left * g);
	right = static_cast<Sample> (right * g);

	if (sliceRamp.isRunning ())
		sliceRamp.mixFromCapture (left, right);
	if (breakOnRamp.isRunning ())
		breakOnRamp.mixFromDry (left, right, dryLeft, dryRight);
	if (sliceSizeRamp.isRunning ())
		sliceSizeRamp.mixFromDry (left, right, dryLeft, dryRight);

	lastOut[0] = left;
	lastOut[1] = right;
	++slicePos;
}

template <typename Sample>
ReferenceEngine::BlockResult ReferenceEngine::process (const Sample* inLeft, const Sample* inRight,
                                                       Sample* outLeft, Sample* outRight, int32_t numSamples)
{
	// The low 32 bits of the bar as a signed number, then divided (see setDivision for the
	// other order); bar starts below use the full 64-bit bar.
	const int32_t sliceLength = static_cast<int32_t> (static_cast<uint32_t> (barLength)) / division;

	if (!playing)
	{
		passThrough (inLeft, inRight, outLeft, outRight, numSamples);
		return BlockResult::stopped;
	}
	if (barLength == 0 || sliceLength < 1 || !hasBuffers ())
	{
		passThrough (inLeft, inRight, outLeft, outRight, numSamples);
		return BlockResult::passedThrough;
	}
	if (numSamples < 1)
		return BlockResult::processed;

	// Bar starts use the bar length as the block began.
	const uint64_t bar = barLength;
	const auto blockStart = static_cast<int64_t> (samplesPerBeat * projectTimeMusic);
	uint64_t barPhase = static_cast<uint64_t> (blockStart) % bar;
	float* recordL = record[0].get ();
	float* recordR = record[1].get ();

	// A pending change is taken by the first sample of the block.
	const int8_t request = breakRequest.exchange (kNoRequest, std::memory_order_acquire);
	if (request != kNoRequest)
		switchBreak (request == kRequestOn, blockStart, sliceLength);

	for (int32_t i = 0; i < numSamples; ++i)
	{
		const Sample dryLeft = inLeft[i];
		const Sample dryRight = inRight[i];

		const bool atBarStart = barPhase == 0;
		if (atBarStart)
		{
			samplesSinceBar = 0;
			takeSnapshot ();
		}
		if (++barPhase == bar)
			barPhase = 0;

		if (recordPos >= kBufferCapacity)
			recordPos = 0;
		recordL[recordPos] = recordable (dryLeft);
		recordR[recordPos] = recordable (dryRight);
		++recordPos;

		Sample left = dryLeft;
		Sample right = dryRight;
		if (breakActive)
		{
			runBreak (left, right, dryLeft, dryRight, sliceLength, atBarStart);
		}
		else if (breakOffRamp.isRunning ())
		{
			// The fade out of a break is computed in single precision in both forms.
			float fadeLeft = narrowSaturated (left);
			float fadeRight = narrowSaturated (right);
			breakOffRamp.mixFromCapture (fadeLeft, fadeRight);
			left = fadeLeft;
			right = fadeRight;
		}

		outLeft[i] = left;
		outRight[i] = right;

		// Saturates rather than wraps when a host never reaches a bar start.
		if (samplesSinceBar < INT32_MAX)
			++samplesSinceBar;
	}
	return BlockResult::processed;
}

template ReferenceEngine::BlockResult ReferenceEngine::process<float> (const float*, const float*, float*,
                                                                       float*, int32_t);
template ReferenceEngine::BlockResult ReferenceEngine::process<double> (const double*, const double*, double*,
                                                                        double*, int32_t);

} // namespace chopwright::reference
