#pragma once

#include "barrecorder.h"
#include "faderamp.h"
#include "gateenvelope.h"

#include <atomic>
#include <cstdint>

namespace chopwright {

// The per-sample heart of the effect. It records the input into a long ring, takes the bar
// that has just ended as a snapshot at every bar start of the host's grid and, while the
// break is on, plays random slices of that snapshot: now and then reversed or replaced by the
// live input, gated, and joined by short crossfades. With the break off the input passes.
//
// Defined sample by sample, computed run by run: a block is cut at bar starts and slice
// starts, and each run in between goes through the gate and the crossfades as a whole.
//
// Plain C++ on purpose: it takes samples, the transport and parameter values, so it can be
// tested and measured without a host.
class SliceEngine
{
public:
	static constexpr int32_t kBufferCapacity = BarRecorder::kCapacity; // frames per channel

	enum class BlockResult
	{
		processed,    // the engine ran; the output goes to the scope
		stopped,      // transport stopped: input copied to output
		passedThrough // no usable grid (slice or bar length 0): input copied, nothing touched
	};

	SliceEngine ();

	// Activation. Builds the ramp and gate tables for the sample rate and, the first time,
	// maps the recording and snapshot buffers (they survive later activations).
	void prepare (int32_t sampleRate);
	void releaseBuffers () { recorder.release (); }
	bool hasBuffers () const { return recorder.isAllocated (); }

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
	int32_t getRecordPos () const { return recorder.getPosition (); }
	float snapshotLeft (int32_t i) const { return recorder.snapshotAt (0, i); }
	float snapshotRight (int32_t i) const { return recorder.snapshotAt (1, i); }
	float recordedLeft (int32_t i) const { return recorder.recordedAt (0, i); }

private:
	template <typename Sample>
	void playBreak (const Sample* inLeft, const Sample* inRight, Sample* outLeft, Sample* outRight,
	                int32_t count, int32_t sliceLength, bool atBarStart);
	template <typename Sample>
	void playSlice (const Sample* inLeft, const Sample* inRight, Sample* outLeft, Sample* outRight,
	                int32_t count, int32_t sliceLength);
	void readSlice (float* left, float* right, int32_t count, int32_t sliceLength) const;
	template <typename Sample>
	void passDry (const Sample* inLeft, const Sample* inRight, Sample* outLeft, Sample* outRight,
	              int32_t count);
	void startSlice (int32_t sliceLength);
	void switchBreak (bool on, int64_t t, int32_t sliceLength);
	void takeSnapshot ();
	void warmNextSlice (int32_t numSamples, int32_t sliceLength, uint64_t framesToBar);

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
	int32_t warmedStarts {0}; // places the next slice may start from, asked for so far
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

	BarRecorder recorder;

	GateEnvelope gate;
	FadeRamp sliceRamp;
	FadeRamp breakOnRamp;
	FadeRamp breakOffRamp;
	FadeRamp sliceSizeRamp;
};

extern template SliceEngine::BlockResult SliceEngine::process<float> (const float*, const float*, float*,
                                                                      float*, int32_t);
extern template SliceEngine::BlockResult SliceEngine::process<double> (const double*, const double*, double*,
                                                                       double*, int32_t);

} // namespace chopwright
