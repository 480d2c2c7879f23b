#include "drums.h"

#include "hosting/transport.h"

#include <algorithm>
#include <cmath>

namespace render {
namespace {

constexpr double kTwoPi = 6.283185307179586;

// Adds a mono voice into the stereo mix at frame with the given left/right gains.
struct Mix
{
	std::vector<double>& samples;
	int64_t frames;

	template <typename Voice>
	void add (int64_t at, double seconds, int sampleRate, double left, double right, Voice voice)
	{
		const int64_t length = std::min<int64_t> (static_cast<int64_t> (seconds * sampleRate), frames - at);
		for (int64_t i = 0; i < length; ++i)
		{
			const double v = voice (static_cast<double> (i) / sampleRate);
			samples[2 * (at + i)] += left * v;
			samples[2 * (at + i) + 1] += right * v;
		}
	}
};

} // namespace

double NoiseGenerator::next ()
{
	state_ ^= state_ << 13;
	state_ ^= state_ >> 17;
	state_ ^= state_ << 5;
	return state_ / 2147483648.0 - 1.0;
}

AudioData synthesizeDrumLoop (const DrumLoopSettings& settings)
{
	const hosting::Transport transport {static_cast<double> (settings.sampleRate), settings.tempo};
	const int64_t frames = transport.sampleAt (settings.bars * 4.0);
	AudioData out;
	out.sampleRate = settings.sampleRate;
	out.channels = 2;
	out.samples.assign (static_cast<size_t> (frames) * 2, 0.0);
	Mix mix {out.samples, frames};
	NoiseGenerator noise;
	const int rate = settings.sampleRate;

	// Kick: a sine sweeping 140 Hz → 48 Hz with a short click; the phase integrates the sweep.
	auto kick = [] {
		return [phase = 0.0, last = 0.0] (double t) mutable {
			const double frequency = 48.0 + 92.0 * std::exp (-t / 0.035);
			phase += kTwoPi * frequency * (t - last);
			last = t;
			return std::sin (phase) * std::exp (-t / 0.28) + 0.3 * std::exp (-t / 0.002);
		};
	};
	// Snare: high-passed noise burst plus a short two-partial body.
	auto snare = [&noise] (double level) {
		return [&noise, level, previous = 0.0] (double t) mutable {
			const double white = noise.next ();
			const double bright = white - 0.6 * previous; // gentle high-pass
			previous = white;
			const double body = 0.5 * std::sin (kTwoPi * 185.0 * t) + 0.3 * std::sin (kTwoPi * 330.0 * t);
			return level * (0.55 * bright * std::exp (-t / 0.09) + body * std::exp (-t / 0.05));
		};
	};
	// Hat: noise through a first difference (mostly highs), very short decay.
	auto hat = [&noise] (double level, double decay) {
		return [&noise, level, decay, previous = 0.0] (double t) mutable {
			const double white = noise.next ();
			const double high = 0.5 * (white - previous);
			previous = white;
			return level * high * std::exp (-t / decay);
		};
	};

	for (int bar = 0; bar < settings.bars; ++bar)
	{
		const bool fill = bar % 4 == 3;
		for (int step = 0; step < 16; ++step) // sixteenth notes
		{
			const int64_t at = transport.sampleAt (bar * 4.0 + step * 0.25);
			if (step == 0 || step == 8 || step == 10 || (step == 7 && bar % 2 == 1))
				mix.add (at, 0.6, rate, 0.9, 0.9, kick ());
			if (step == 4 || step == 12)
				mix.add (at, 0.35, rate, 0.7, 0.7, snare (1.0));
			if (fill && (step == 13 || step == 14 || step == 15))
				mix.add (at, 0.25, rate, 0.6, 0.6, snare (0.35 + 0.15 * (step - 13)));
			if (step % 2 == 0)
				mix.add (at, 0.2, rate, 0.35, 0.55,
				         hat (step % 4 == 2 ? 0.8 : 0.5, step == 14 ? 0.09 : 0.025));
		}
	}

	double peak = 0.0;
	for (double s : out.samples)
		peak = std::max (peak, std::fabs (s));
	if (peak > 0.0)
	{
		const double gain = std::pow (10.0, -1.0 / 20.0) / peak;
		for (double& s : out.samples)
			s *= gain;
	}
	return out;
}

} // namespace render
