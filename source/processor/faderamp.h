#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace chopwright {

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

	// Captures a tail that falls linearly from the given values toward zero. The tail is
	// worked out step by step as it is mixed, from the next restart () on.
	void captureTail (float left, float right);
	void restart ()
	{
		position = 0;
		tail[0] = tailStart[0];
		tail[1] = tailStart[1];
	}

	// The last table entry is never mixed: a ramp of N steps mixes N − 1 samples.
	bool isRunning () const { return position < length - 1; }

	// Single-precision forms: computed in double, rounded to single.
	void mixFromCapture (float& left, float& right);
	void mixFromDry (float& left, float& right, float dryLeft, float dryRight);

	// Double-precision forms. The dry form first rounds the passing signal to single precision.
	void mixFromCapture (double& left, double& right);
	void mixFromDry (double& left, double& right, double dryLeft, double dryRight);

	// Block forms: `if (isRunning ()) mix…` for each of count samples, in the precision of the
	// arrays. They return how many samples were mixed.
	int32_t mixFromCapture (float* left, float* right, int32_t count);
	int32_t mixFromCapture (double* left, double* right, int32_t count);
	int32_t mixFromDry (float* left, float* right, const float* dryLeft, const float* dryRight,
	                    int32_t count);
	int32_t mixFromDry (double* left, double* right, const double* dryLeft, const double* dryRight,
	                    int32_t count);

	// Cache hint: asks for the weights of the first `count` steps ahead of a restart.
	void prefetchStart (int32_t count) const
	{
		for (int32_t step = 0; step < count && step < length; step += 8)
			__builtin_prefetch (weights.data () + step, 0, 2);
	}

	int32_t getLength () const { return length; }
	int32_t getPosition () const { return position; }
	double weight (int32_t step) const { return weights[static_cast<size_t> (step)]; }
	float capturedLeft (int32_t step) const { return capturedAt (0, step); }
	float capturedRight (int32_t step) const { return capturedAt (1, step); }

private:
	void rebuild ();
	float capturedAt (int channel, int32_t step) const;
	void advanceTail ()
	{
		tail[0] = static_cast<float> (tail[0] - tailStep[0]);
		tail[1] = static_cast<float> (tail[1] - tailStep[1]);
	}
	template <typename Sample>
	int32_t mixCapture (Sample* left, Sample* right, int32_t count);
	template <typename Sample>
	int32_t mixDry (Sample* left, Sample* right, const Sample* dryLeft, const Sample* dryRight,
	                int32_t count);

	double sampleRate {44100.0};
	double lengthMs {10.0};
	int32_t length {0};
	int32_t position {0};
	std::vector<double> weights;
	// The captured tail: its first values, its fall per step and its values at the position.
	float tailStart[2] {0.0f, 0.0f};
	double tailStep[2] {0.0, 0.0};
	float tail[2] {0.0f, 0.0f};
};

} // namespace chopwright
