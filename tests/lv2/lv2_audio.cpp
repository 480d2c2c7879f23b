// Audio files for the LV2 tools tests.
//
//   lv2_audio make FILE.wav          a stereo 32-bit float WAV at 48 kHz: 3 s of noise-like input
//   lv2_audio compare A.wav B.wav    exit 0 when both hold the same frames, sample for sample
#include <sndfile.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr sf_count_t kFrames = 3 * kRate;

struct Audio
{
	SF_INFO info {};
	std::vector<float> samples; // interleaved
};

bool readAudio (const char* path, Audio& audio)
{
	SNDFILE* file = sf_open (path, SFM_READ, &audio.info);
	if (!file)
	{
		std::fprintf (stderr, "FAIL: cannot read %s: %s\n", path, sf_strerror (nullptr));
		return false;
	}
	audio.samples.resize (static_cast<size_t> (audio.info.frames * audio.info.channels));
	const bool complete =
	    sf_readf_float (file, audio.samples.data (), audio.info.frames) == audio.info.frames;
	sf_close (file);
	if (!complete)
		std::fprintf (stderr, "FAIL: short read from %s\n", path);
	return complete;
}

// 32-bit float WAV: no conversion on the way in or out.
bool writeAudio (const char* path, Audio& audio)
{
	audio.info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
	const sf_count_t frames = static_cast<sf_count_t> (audio.samples.size ()) / audio.info.channels;
	SNDFILE* file = sf_open (path, SFM_WRITE, &audio.info);
	if (!file || sf_writef_float (file, audio.samples.data (), frames) != frames)
	{
		std::fprintf (stderr, "FAIL: cannot write %s: %s\n", path, sf_strerror (file));
		return false;
	}
	sf_close (file);
	return true;
}

int make (const char* path)
{
	Audio audio;
	audio.info.samplerate = kRate;
	audio.info.channels = 2;
	audio.samples.resize (static_cast<size_t> (kFrames * 2));
	uint32_t state = 12345;
	for (float& sample : audio.samples)
	{
		state = state * 1664525u + 1013904223u;
		sample = static_cast<float> (static_cast<int32_t> (state)) * 0x1p-32f;
	}
	return writeAudio (path, audio) ? 0 : 1;
}

int compare (const char* expectedPath, const char* actualPath)
{
	Audio expected, actual;
	if (!readAudio (expectedPath, expected) || !readAudio (actualPath, actual))
		return 1;
	if (expected.info.channels != actual.info.channels || expected.info.frames != actual.info.frames ||
	    expected.info.samplerate != actual.info.samplerate)
	{
		std::fprintf (stderr, "FAIL: %s has %d channels, %lld frames at %d Hz; %s has %d, %lld at %d Hz\n",
		              expectedPath, expected.info.channels, static_cast<long long> (expected.info.frames),
		              expected.info.samplerate, actualPath, actual.info.channels,
		              static_cast<long long> (actual.info.frames), actual.info.samplerate);
		return 1;
	}
	const auto channels = static_cast<size_t> (expected.info.channels);
	for (size_t i = 0; i < expected.samples.size (); ++i)
		if (std::memcmp (&expected.samples[i], &actual.samples[i], sizeof (float)) != 0)
		{
			std::fprintf (stderr, "FAIL: frame %zu, channel %zu: %.9g, expected %.9g\n", i / channels,
			              i % channels, static_cast<double> (actual.samples[i]),
			              static_cast<double> (expected.samples[i]));
			return 1;
		}
	return 0;
}

} // namespace

int main (int argc, char** argv)
{
	const std::string command = argc > 1 ? argv[1] : "";
	if (command == "make" && argc == 3)
		return make (argv[2]);
	if (command == "compare" && argc == 4)
		return compare (argv[2], argv[3]);
	std::fprintf (stderr, "usage: lv2_audio make FILE | compare EXPECTED ACTUAL\n");
	return 2;
}
