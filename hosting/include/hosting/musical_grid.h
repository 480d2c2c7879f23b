#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace hosting {

// The mapping between samples and musical positions (quarter notes) that a plug-in applies:
// sample = trunc(samplesPerBeat × quarterNotes) with samplesPerBeat = rate × 60 / tempo.
// Plain C++ so that the engine's tests and benchmarks can place positions exactly without
// linking a host.
struct MusicalGrid
{
	double sampleRate = 44100.0;
	double tempo = 120.0; // quarter notes per minute

	// Computed as the plug-in computes it: sampleRate * 60 / tempo, in that order.
	double samplesPerBeat () const { return sampleRate * 60.0 / tempo; }

	// The sample a musical position falls on.
	int64_t sampleAt (double beats) const
	{
		return static_cast<int64_t> (std::trunc (samplesPerBeat () * beats));
	}

	// The musical position whose product with samples per beat truncates to exactly sample
	// (a plain division can land one ulp short).
	double beatsAt (int64_t sample) const
	{
		const double perBeat = samplesPerBeat ();
		const double target = static_cast<double> (sample);
		double beats = target / perBeat;
		// The rounded quotient may sit a few ulps either side; walk to the first value whose
		// product truncates to the target sample.
		while (std::trunc (perBeat * beats) > target)
			beats = std::nextafter (beats, -std::numeric_limits<double>::infinity ());
		while (std::trunc (perBeat * beats) < target)
			beats = std::nextafter (beats, std::numeric_limits<double>::infinity ());
		return beats;
	}
};

} // namespace hosting
