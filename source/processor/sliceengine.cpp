#include "sliceengine.h"

#include "narrowing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace chopwright {

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

// Frames computed at a time; a run's scratch lives on the stack.
constexpr int32_t kRunFrames = 256;

// How far ahead of a slice start its possible first frames are asked for (at least two blocks),
// and how many of those places a block asks for: four, or one per 16 frames in longer blocks.
// Asked for much earlier, they are found evicted again.
constexpr int64_t kWarmAheadFrames = 1024;
constexpr int32_t kWarmPerBlock = 4;
constexpr int32_t kWarmFrames = 64; // from each place, the frames a small block reads first

// Saturates rather than wraps when a host never reaches a bar start.
int32_t addSaturating (int32_t value, int32_t count)
{
	return value < INT32_MAX - count ? value + count : INT32_MAX;
}

// Slice or live input, times the gate, in the precision of the block.
template <typename Sample, typename Source>
void applyGain (Sample* left, Sample* right, const Source* fromLeft, const Source* fromRight,
                const double* gain, int32_t count)
{
	for (int32_t i = 0; i < count; ++i)
	{
		left[i] = static_cast<Sample> (static_cast<Sample> (fromLeft[i]) * gain[i]);
		right[i] = static_cast<Sample> (static_cast<Sample> (fromRight[i]) * gain[i]);
	}
}

} // namespace

SliceEngine::SliceEngine () = default;

void SliceEngine::prepare (int32_t sampleRate)
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

	recorder.allocate ();
}

bool SliceEngine::updateTransport (double sampleRate, double tempo, double quarterNotes, bool isPlaying)
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

void SliceEngine::setDivision (int32_t newDivision)
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

void SliceEngine::takeSnapshot ()
{
	constexpr uint64_t capacity = kBufferCapacity;
	while (barLength >= capacity - 1)
		barLength /= 2;
	recorder.takeSnapshot (static_cast<int64_t> (barLength));
}

int32_t SliceEngine::chooseSlice (int randomValue, int32_t division)
{
	// Single-precision products with the exact factors 15/2^31, 20/2^31 and 8/2^31.
	const auto r = static_cast<float> (randomValue);
	if (division == 16)
		return static_cast<int32_t> (r * (15.0f * 0x1p-31f));
	if (division == 8)
		return kEightSliceTable[static_cast<int32_t> (r * (20.0f * 0x1p-31f))];
	return kFourSliceTable[static_cast<int32_t> (r * (8.0f * 0x1p-31f))];
}

void SliceEngine::startSlice (int32_t sliceLength)
{
	direction = 1;
	dryPass = false;
	warmedStarts = 0;

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

void SliceEngine::switchBreak (bool on, int64_t t, int32_t sliceLength)
{
	if (on == breakActive)
		return;
	breakActive = on;
	warmedStarts = 0;
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

void SliceEngine::warmNextSlice (int32_t numSamples, int32_t sliceLength, uint64_t framesToBar)
{
	// A new slice reads from a place of the bar that has been neither read nor written for up
	// to a bar; in a long bar its page translation and cache lines have gone cold. The slice
	// is drawn only when it starts, so every place it may start from (a slice boundary, going
	// forward or backward) is asked for during the blocks before, a few per block, keeping that
	// wait out of the block where the slice begins.
	const int64_t toSliceEnd = std::max<int64_t> (0, sliceLength - slicePos);
	const bool barFirst = framesToBar <= static_cast<uint64_t> (toSliceEnd);
	const auto ahead =
	    static_cast<int64_t> (std::min<uint64_t> (framesToBar, static_cast<uint64_t> (toSliceEnd)));
	if (ahead > std::max<int64_t> (kWarmAheadFrames, 2 * static_cast<int64_t> (numSamples)))
		return;

	uint64_t comingLength = barLength;
	while (comingLength >= static_cast<uint64_t> (kBufferCapacity) - 1)
		comingLength /= 2;
	if (warmedStarts == 0)
		sliceRamp.prefetchStart (kWarmFrames);
	const int32_t places = 2 * (division + 1);
	const int32_t last = std::min (places, warmedStarts + std::max (kWarmPerBlock, numSamples / 16));
	for (; warmedStarts < last; ++warmedStarts)
	{
		// Even places: a slice boundary and the frames after it (forward); odd: those before it
		// (backward, the read ending on the boundary).
		const int64_t boundary = static_cast<int64_t> (warmedStarts / 2) * sliceLength;
		const int64_t first = warmedStarts % 2 == 0 ? boundary : boundary - kWarmFrames + 1;
		if (barFirst)
			recorder.prefetchComingSnapshot (static_cast<int64_t> (framesToBar),
			                                 static_cast<int64_t> (comingLength), first, kWarmFrames);
		else
			recorder.prefetchSnapshot (first, kWarmFrames);
	}
}

template <typename Sample>
void SliceEngine::playBreak (const Sample* inLeft, const Sample* inRight, Sample* outLeft, Sample* outRight,
                             int32_t count, int32_t sliceLength, bool atBarStart)
{
	for (int32_t done = 0; done < count;)
	{
		// What every sample checks first; inside a run it finds nothing to do.
		if (slicePos >= sliceLength)
		{
			// One new slice even when a tempo drop left the position many slices beyond.
			slicePos %= sliceLength;
			startSlice (sliceLength);
		}
		else if (atBarStart && done == 0 && slicePos > 0)
		{
			// The snapshot changes here: a slice still playing would jump, and a grid counted in
			// whole slices would drift against the bar whenever the bar is not a whole number of
			// slices. A new slice starts on the bar instead, covered by the slice crossfade.
			slicePos = 0;
			startSlice (sliceLength);
		}
		if (slicePos < 0)
			slicePos += sliceLength;

		// A run lasts to the end of the slice, of the bar or of the block.
		const int32_t run = std::min ({count - done, kRunFrames, std::max (1, sliceLength - slicePos)});
		playSlice (inLeft + done, inRight + done, outLeft + done, outRight + done, run, sliceLength);
		slicePos += run;
		samplesSinceBar = addSaturating (samplesSinceBar, run);
		done += run;
	}
}

template <typename Sample>
void SliceEngine::playSlice (const Sample* inLeft, const Sample* inRight, Sample* outLeft, Sample* outRight,
                             int32_t count, int32_t sliceLength)
{
	double gain[kRunFrames];
	gate.gains (gain, slicePos, count, sliceLength, gateSize, samplesPerBeat);

	Sample left[kRunFrames], right[kRunFrames];
	if (dryPass)
	{
		applyGain (left, right, inLeft, inRight, gain, count);
	}
	else
	{
		float sliceLeft[kRunFrames], sliceRight[kRunFrames];
		readSlice (sliceLeft, sliceRight, count, sliceLength);
		applyGain (left, right, sliceLeft, sliceRight, gain, count);
	}
	sliceRamp.mixFromCapture (left, right, count);
	breakOnRamp.mixFromDry (left, right, inLeft, inRight, count);
	sliceSizeRamp.mixFromDry (left, right, inLeft, inRight, count);

	lastOut[0] = left[count - 1];
	lastOut[1] = right[count - 1];
	std::copy_n (left, count, outLeft);
	std::copy_n (right, count, outRight);
}

void SliceEngine::readSlice (float* left, float* right, int32_t count, int32_t sliceLength) const
{
	// Forward from the slice offset, or backward from the end of the slice.
	const int64_t first = static_cast<int64_t> (direction) * slicePos + sliceOffset;
	const int64_t last = first + static_cast<int64_t> (direction) * (count - 1);
	if (std::min (first, last) >= 0 && std::max (first, last) < kBufferCapacity)
	{
		recorder.readSnapshot (left, right, std::min (first, last), count);
		if (direction < 0)
		{
			std::reverse (left, left + count);
			std::reverse (right, right + count);
		}
		return;
	}

	// After a large tempo change the slice position can outrun the new slice length; such
	// reads fold back by one slice, and wrap into the snapshot if still outside it.
	for (int32_t i = 0; i < count; ++i)
	{
		int64_t index = static_cast<int64_t> (direction) * (slicePos + i) + sliceOffset;
		if (index < 0)
			index += sliceLength;
		if (index < 0 || index >= kBufferCapacity)
			index = ((index % kBufferCapacity) + kBufferCapacity) % kBufferCapacity;
		left[i] = recorder.snapshotAt (0, index);
		right[i] = recorder.snapshotAt (1, index);
	}
}

template <typename Sample>
void SliceEngine::passDry (const Sample* inLeft, const Sample* inRight, Sample* outLeft, Sample* outRight,
                           int32_t count)
{
	// The fade out of a break is computed in single precision in both forms.
	int32_t done = 0;
	while (done < count && breakOffRamp.isRunning ())
	{
		const int32_t n = std::min (count - done, kRunFrames);
		float left[kRunFrames], right[kRunFrames];
		std::transform (inLeft + done, inLeft + done + n, left,
		                [] (Sample v) { return narrowSaturated (v); });
		std::transform (inRight + done, inRight + done + n, right,
		                [] (Sample v) { return narrowSaturated (v); });
		const int32_t mixed = breakOffRamp.mixFromCapture (left, right, n);
		std::copy_n (left, mixed, outLeft + done);
		std::copy_n (right, mixed, outRight + done);
		done += mixed;
	}
	passThrough (inLeft + done, inRight + done, outLeft + done, outRight + done, count - done);
}

template <typename Sample>
SliceEngine::BlockResult SliceEngine::process (const Sample* inLeft, const Sample* inRight, Sample* outLeft,
                                               Sample* outRight, int32_t numSamples)
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

	// A pending change is taken by the first sample of the block.
	const int8_t request = breakRequest.exchange (kNoRequest, std::memory_order_acquire);
	if (request != kNoRequest)
		switchBreak (request == kRequestOn, blockStart, sliceLength);

	// From one bar start to the next: the snapshot, then the recording, then the output.
	for (int32_t i = 0; i < numSamples;)
	{
		const bool atBarStart = barPhase == 0;
		if (atBarStart)
		{
			samplesSinceBar = 0;
			takeSnapshot ();
		}
		const auto count = static_cast<int32_t> (
		    std::min<uint64_t> (static_cast<uint64_t> (numSamples - i), bar - barPhase));
		recorder.record (inLeft + i, inRight + i, count);
		if (breakActive)
		{
			playBreak (inLeft + i, inRight + i, outLeft + i, outRight + i, count, sliceLength, atBarStart);
		}
		else
		{
			passDry (inLeft + i, inRight + i, outLeft + i, outRight + i, count);
			samplesSinceBar = addSaturating (samplesSinceBar, count);
		}
		barPhase += static_cast<uint64_t> (count);
		if (barPhase == bar)
			barPhase = 0;
		i += count;
	}
	if (breakActive)
		warmNextSlice (numSamples, sliceLength, barPhase == 0 ? 0 : bar - barPhase);
	return BlockResult::processed;
}

template SliceEngine::BlockResult SliceEngine::process<float> (const float*, const float*, float*, float*,
                                                               int32_t);
template SliceEngine::BlockResult SliceEngine::process<double> (const double*, const double*, double*,
                                                                double*, int32_t);

} // namespace chopwright
