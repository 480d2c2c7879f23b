#pragma once

// The engine as it was first written, sample by sample, with the fade ramps and the gate it was
// written with: what the engine computes run by run is compared with it bit for bit.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace chopwright::reference {

// Table sizes and sample rates at or above 2^24 are refused: every integer below it is exact
// in single precision, and no host runs anywhere near it (rates of a few MHz at most).
constexpr double kMaxTableRate = 16777216.0;

// Number of table entries for a sample rate and a length in milliseconds:
// floor(rate × 0.001 × ms), 0 when that is not a sensible table size.
int32_t tableLength (double sampleRate, double milliseconds);

// A short crossfade along a square-root curve. Once restarted it blends, sample by sample,
// from a source signal into the signal passing through it. The source is either a captured
// tail (a value falling linearly to zero) or the dry input.
class FadeRamp
{
public:
	FadeRamp ();

	void setSampleRate (int32_t rate);
	void setLengthMs (double milliseconds);

	// Captures a tail that falls linearly from the given values toward zero.
	void captureTail (float left, float right);
	void restart () { position = 0; }

	// The last table entry is never mixed: a ramp of N steps mixes N − 1 samples.
	bool isRunning () const { return position < length - 1; }

	// Single-precision forms: computed in double, rounded to single.
	void mixFromCapture (float& left, float& right);
	void mixFromDry (float& left, float& right, float dryLeft, float dryRight);

	// Double-precision forms. The dry form first rounds the passing signal to single precision.
	void mixFromCapture (double& left, double& right);
	void mixFromDry (double& left, double& right, double dryLeft, double dryRight);

	int32_t getLength () const { return length; }
	int32_t getPosition () const { return position; }
	double weight (int32_t step) const { return weights[static_cast<size_t> (step)]; }
	float capturedLeft (int32_t step) const { return captureLeft[static_cast<size_t> (step)]; }
	float capturedRight (int32_t step) const { return captureRight[static_cast<size_t> (step)]; }

private:
	void rebuild ();

	double sampleRate {44100.0};
	double lengthMs {10.0};
	int32_t length {0};
	int32_t position {0};
	std::vector<double> weights;
	std::vector<float> captureLeft;
	std::vector<float> captureRight;
};

// Turns GateSize into a per-sample gain inside a slice: full level up to the gate point,
// then a release along 1 − √x, then silence until the next slice. When the gate point and
// the gain both change, the step is smoothed over 10 ms.
class GateEnvelope
{
public:
	GateEnvelope ();

	void setSampleRate (int32_t rate);
	void setReleaseMs (double milliseconds);

	// One call per sample while the break plays.
	double gain (double position, double sliceLength, float gateSize, double samplesPerBeat);

	int32_t getReleaseCount () const { return count; }
	double releaseGain (int32_t step) const { return release[static_cast<size_t> (step)]; }

private:
	void rebuild ();

	int32_t sampleRate {44100};
	double releaseMs {10.0};
	int32_t count {0};
	std::vector<double> release;
	double currentGain {1.0};
	double previousRawGain {1.0};
	double previousGatePoint {0.0};
	FadeRamp smoothingRamp;
};

// The per-sample heart of the effect. It records the input into a long ring, copies the bar
// that has just ended into a snapshot at every bar start of the host's grid and, while the
// break is on, plays random slices of that snapshot: now and then reversed or replaced by the
// live input, gated, and joined by short crossfades. With the break off the input passes.
//
// Plain C++ on purpose: it takes samples, the transport and parameter values, so it can be
// tested and measured without a host.
class ReferenceEngine
{
public:
	static constexpr int32_t kBufferCapacity = 1 << 23; // frames per recording/snapshot channel

	enum class BlockResult
	{
		processed,    // the engine ran; the output goes to the scope
		stopped,      // transport stopped: input copied to output
		passedThrough // no usable grid (slice or bar length 0): input copied, nothing touched
	};

	ReferenceEngine ();

	// Activation. Builds the ramp and gate tables for the sample rate and, the first time,
	// allocates the recording and snapshot buffers (they survive later activations).
	void prepare (int32_t sampleRate);
	void releaseBuffers ();
	bool hasBuffers () const { return record[0] != nullptr; }

	// Takes the transport of a block: the bar length from the previous block's tempo, then
	// samples per beat, position and play state. False: pass the block through untouched.
	bool updateTransport (double sampleRate, double tempo, double quarterNotes, bool isPlaying);

	// Break changes are taken at the next processed sample, where the last value received
	// counts and a value that matches the break's state changes nothing (hosts resend
	// unchanged values). Safe from any thread.
	void requestBreak (bool on)
	{
		breakRequest.store (on ? kRequestOn : kRequestOff, std::memory_order_release);
	}

	// Switches to 4, 8 or 16 slices per bar, keeping the slice grid aligned with the bar and
	// crossfading from the dry input into the slices.
	void setDivision (int32_t newDivision);
	void setGateSize (float value) { gateSize = value; }

	// One block. Left and right may point to the same buffer (mono); input may be output.
	template <typename Sample>
	BlockResult process (const Sample* inLeft, const Sample* inRight, Sample* outLeft, Sample* outRight,
	                     int32_t numSamples);

	// The slice number for a value of rand() with 4, 8 or 16 slices per bar (fixed weights).
	static int32_t chooseSlice (int randomValue, int32_t division);

	// Left to left, right to right; safe when a buffer is both input and output.
	template <typename Sample>
	static void passThrough (const Sample* inLeft, const Sample* inRight, Sample* outLeft, Sample* outRight,
	                         int32_t numSamples)
	{
		for (int32_t i = 0; i < numSamples; ++i)
		{
			const Sample left = inLeft[i];
			const Sample right = inRight[i];
			outLeft[i] = left;
			outRight[i] = right;
		}
	}

	// Read-outs for tests and diagnostics.
	int32_t getDivision () const { return division; }
	uint64_t getBarLength () const { return barLength; }
	double getSamplesPerBeat () const { return samplesPerBeat; }
	bool isPlaying () const { return playing; }
	bool isBreakActive () const { return breakActive; }
	int32_t getSlicePos () const { return slicePos; }
	int32_t getSliceOffset () const { return sliceOffset; }
	int32_t getDirection () const { return direction; }
	bool isDryPass () const { return dryPass; }
	int32_t getSamplesSinceBar () const { return samplesSinceBar; }
	int32_t getRecordPos () const { return recordPos; }
	float snapshotLeft (int32_t i) const { return snapshot[0][i]; }
	float snapshotRight (int32_t i) const { return snapshot[1][i]; }
	float recordedLeft (int32_t i) const { return record[0][i]; }

private:
	template <typename Sample>
	void runBreak (Sample& left, Sample& right, Sample dryLeft, Sample dryRight, int32_t sliceLength,
	               bool atBarStart);
	void startSlice (int32_t sliceLength);
	void switchBreak (bool on, int64_t t, int32_t sliceLength);
	void takeSnapshot ();

	// Transport
	double samplesPerBeat {22050.0};
	double projectTimeMusic {0.0};
	uint64_t barLength {88200};
	bool playing {false};

	// Slice state
	int32_t division {4};
	int32_t slicePos {0};
	int32_t sliceOffset {0};
	int32_t direction {1};
	bool dryPass {false};
	int32_t samplesSinceBar {0};
	bool breakActive {false};
	float gateSize {1.0f};
	double lastOut[2] {0.0, 0.0};
	enum : int8_t
	{
		kNoRequest = -1,
		kRequestOff = 0,
		kRequestOn = 1
	};
	std::atomic<int8_t> breakRequest {kNoRequest};

	// Recording ring and last-bar snapshot
	std::unique_ptr<float[]> record[2];
	std::unique_ptr<float[]> snapshot[2];
	int32_t recordPos {0};

	GateEnvelope gate;
	FadeRamp sliceRamp;
	FadeRamp breakOnRamp;
	FadeRamp breakOffRamp;
	FadeRamp sliceSizeRamp;
};

extern template ReferenceEngine::BlockResult ReferenceEngine::process<float> (const float*, const float*,
                                                                              float*, float*, int32_t);
extern template ReferenceEngine::BlockResult ReferenceEngine::process<double> (const double*, const double*,
                                                                               double*, double*, int32_t);

} // namespace chopwright::reference
