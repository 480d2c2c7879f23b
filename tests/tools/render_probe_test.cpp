// The renderer against the probe plug-in of tests/hosting, whose output shows what it was
// given: channel 0 = input * parameter 0 (Chopwright's Break id, the probe's gain), channel 1 =
// the sample position it derives from the transport.
#include "renderer.h"

#include "hosting/transport.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace render;

namespace {

RenderSettings probeSettings ()
{
	RenderSettings s;
	s.pluginPath = PROBE_BUNDLE;
	return s;
}

AudioData constant (int channels, int64_t frames, double value)
{
	AudioData audio;
	audio.channels = channels;
	audio.samples.assign (static_cast<size_t> (frames * channels), value);
	return audio;
}

} // namespace

TEST (RenderWithProbe, ChangesLandOnTheirExactSample)
{
	for (bool doublePrecision : {false, true})
	{
		SCOPED_TRACE (doublePrecision ? "64-bit" : "32-bit");
		RenderSettings s = probeSettings ();
		s.tempo = 133.0; // non-integer samples per beat
		s.start = Position {6.0};
		s.blockSize = 500;
		s.doublePrecision = doublePrecision;
		s.settings = {{params::kBreak, 1.0}};
		s.changes = {{Position {8.0}, {params::kBreak, 0.0}}, {Position {11.0}, {params::kBreak, 1.0}}};
		const AudioData input = constant (2, 150000, 0.5);
		const AudioData output = renderAudio (input, s);
		ASSERT_EQ (output.samples.size (), input.samples.size ());

		const hosting::Transport transport {44100.0, 133.0};
		const int64_t start = transport.sampleAt (6.0);
		const int64_t off = transport.sampleAt (8.0) - start, on = transport.sampleAt (11.0) - start;
		for (int64_t i = 0; i < output.frames (); ++i)
		{
			const double expected = (i >= off && i < on) ? 0.0 : 0.5;
			ASSERT_EQ (output.samples[static_cast<size_t> (2 * i)], expected) << "frame " << i;
			ASSERT_EQ (output.samples[static_cast<size_t> (2 * i + 1)], static_cast<double> (start + i))
			    << "transport position at frame " << i;
		}
	}
}

TEST (RenderWithProbe, RendersMonoFilesWithAMonoArrangement)
{
	RenderSettings s = probeSettings ();
	s.settings = {{params::kBreak, 0.25}};
	const AudioData input = test::sineSignal (1, 3000);
	const AudioData output = renderAudio (input, s);
	ASSERT_EQ (output.channels, 1);
	ASSERT_EQ (output.frames (), 3000);
	for (size_t i = 0; i < input.samples.size (); ++i)
		ASSERT_EQ (output.samples[i], static_cast<float> (static_cast<float> (input.samples[i]) * 0.25));
}

TEST (RenderWithProbe, SeedsTheCRandomGeneratorAfterCreatingThePlugin)
{
	RenderSettings s = probeSettings ();
	s.seed = 4242;
	std::srand (1);
	renderAudio (constant (2, 64, 0.0), s);
	const int afterRender = std::rand (); // the probe itself never calls rand()
	std::srand (4242);
	EXPECT_EQ (afterRender, std::rand ());
}

TEST (RenderWithProbe, ReportsProgressUpToTheEnd)
{
	RenderSettings s = probeSettings ();
	s.blockSize = 64;
	std::vector<int64_t> reported;
	s.progress = [&] (int64_t done) { reported.push_back (done); };
	renderAudio (constant (2, 64 * 1000, 0.0), s);
	ASSERT_GE (reported.size (), 2u);
	EXPECT_TRUE (std::is_sorted (reported.begin (), reported.end ()));
	EXPECT_EQ (reported.back (), 64 * 1000);
}

TEST (RenderWithProbe, RejectsWhatItCannotRender)
{
	RenderSettings s = probeSettings ();
	EXPECT_THROW (renderAudio (constant (3, 10, 0.0), s), std::runtime_error);
	EXPECT_EQ (renderAudio (constant (2, 0, 0.0), s).frames (), 0)
	    << "an empty file renders to an empty file";
	// A file running past 2^53 samples from its start position.
	const hosting::Transport transport {44100.0, 120.0};
	s.start = Position {transport.beatsAt ((int64_t {1} << 53) - 500)};
	EXPECT_EQ (renderAudio (constant (2, 500, 0.0), s).frames (), 500);
	EXPECT_THROW (renderAudio (constant (2, 501, 0.0), s), UsageError);
	s.pluginPath = "/nonexistent/Chopwright.vst3";
	EXPECT_THROW (renderAudio (constant (2, 10, 0.0), s), std::runtime_error);
}
