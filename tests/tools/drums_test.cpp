#include "drums.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace render;

namespace {

// One signal from the stereo loop: left * l + right * r per frame.
std::vector<double> mixOf (const AudioData& audio, double l, double r)
{
	std::vector<double> out;
	for (int64_t i = 0; i < audio.frames (); ++i)
		out.push_back (l * audio.samples[static_cast<size_t> (2 * i)] +
		               r * audio.samples[static_cast<size_t> (2 * i + 1)]);
	return out;
}

double energy (const std::vector<double>& x, int64_t from, int64_t length)
{
	double sum = 0;
	for (int64_t i = from; i < from + length; ++i)
		sum += x[static_cast<size_t> (i)] * x[static_cast<size_t> (i)];
	return sum / static_cast<double> (length);
}

// Sign changes per sample: high for hats and snare noise, low for the kick's sine.
double crossingRate (const std::vector<double>& x, int64_t from, int64_t length)
{
	int crossings = 0;
	for (int64_t i = from + 1; i < from + length; ++i)
		crossings += (x[static_cast<size_t> (i)] >= 0) != (x[static_cast<size_t> (i - 1)] >= 0);
	return static_cast<double> (crossings) / static_cast<double> (length);
}

} // namespace

TEST (NoiseGenerator, IsDeterministicAndSpreadOverTheRange)
{
	NoiseGenerator a (7), b (7), c (8);
	double sum = 0, low = 1, high = -1;
	bool differs = false;
	for (int i = 0; i < 100000; ++i)
	{
		const double x = a.next ();
		ASSERT_EQ (x, b.next ());
		differs |= x != c.next ();
		sum += x;
		low = std::min (low, x);
		high = std::max (high, x);
	}
	EXPECT_TRUE (differs);
	EXPECT_NEAR (sum / 100000, 0.0, 0.01);
	EXPECT_LT (low, -0.99);
	EXPECT_GT (high, 0.99);
	EXPECT_GE (low, -1.0);
	EXPECT_LT (high, 1.0);
}

TEST (DrumLoop, HasTheRequestedShapeAndLevel)
{
	const AudioData loop = synthesizeDrumLoop ({44100, 120.0, 8});
	EXPECT_EQ (loop.sampleRate, 44100);
	EXPECT_EQ (loop.channels, 2);
	EXPECT_EQ (loop.frames (), 8 * 4 * 22050);
	double peak = 0;
	for (double s : loop.samples)
	{
		ASSERT_TRUE (std::isfinite (s));
		peak = std::max (peak, std::fabs (s));
	}
	EXPECT_NEAR (peak, std::pow (10.0, -1.0 / 20.0), 1e-12) << "normalised to -1 dBFS";
	EXPECT_EQ (synthesizeDrumLoop ({44100, 120.0, 8}).samples, loop.samples) << "the same loop every time";
	EXPECT_EQ (synthesizeDrumLoop ({48000, 100.0, 2}).frames (), 2 * 4 * 28800);
}

TEST (DrumLoop, PlacesKickSnareAndHatsOnTheGrid)
{
	const AudioData loop = synthesizeDrumLoop ({44100, 120.0, 4});
	const int64_t bar = 88200, beat = 22050, ms10 = 441;
	const auto mid = mixOf (loop, 0.5, 0.5);
	// Bar 2 opens with a kick after a silent moment: everything of bar 1 has died away.
	EXPECT_LT (energy (mid, bar - ms10, ms10), 1e-6);
	EXPECT_GT (energy (mid, bar, 4 * ms10), 0.05);
	EXPECT_LT (crossingRate (mid, bar, 4 * ms10), 0.05) << "a low sine";
	// The snare on beat 2 is noisy: many more sign changes than the kick.
	EXPECT_GT (crossingRate (mid, bar + beat, 4 * ms10), 3 * crossingRate (mid, bar, 4 * ms10));
	EXPECT_GT (energy (mid, bar + beat, 4 * ms10), 5 * energy (mid, bar + beat - ms10, ms10));

	// Kick and snare sit in the middle, hats lean right: right minus left is the hats alone,
	// which start on every eighth note.
	const auto side = mixOf (loop, -1.0, 1.0);
	for (int step = 0; step < 16; step += 2)
	{
		const int64_t at = bar + step * beat / 4;
		EXPECT_GT (energy (side, at, ms10), 20 * energy (side, at - ms10, ms10)) << "hat at step " << step;
		if (step != 14) // the open hat on step 14 rings on by design
		{
			EXPECT_LT (energy (side, at + beat / 4, ms10), energy (side, at, ms10) / 20)
			    << "no hat at step " << step + 1;
		}
	}
}
