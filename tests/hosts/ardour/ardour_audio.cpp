// Audio files for the Ardour tests: writes the input, splits it into the mono files an
// Ardour session plays, and checks what Ardour bounced through the plug-in.
//
//   ardour_audio make INPUT.wav BARS
//   ardour_audio split INPUT.wav LEFT.wav RIGHT.wav
//   ardour_audio compare INPUT.wav LEFT.wav RIGHT.wav UNTOUCHED BREAK_BAR
//
// Time is 48 kHz, 120 BPM, 4/4: a beat is 24000 frames, a bar 96000. compare expects frames
// 0..UNTOUCHED to be the input bit for bit and, from bar BREAK_BAR on (counted from 1 as Ardour
// shows bars; 0 = none), every beat to be one slice: after its crossfade, a run of the previous
// bar read forwards or backwards, or the live input, ending where the beat ends.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr long kBeat = kRate / 2; // 120 BPM
constexpr long kBar = 4 * kBeat;
// Ardour rounds the musical position it sends to 1/1920 beat (12.5 frames here), and the
// plug-in places its bars and slices from that position.
constexpr long kGridTolerance = 16;
// The plug-in's longest crossfade is 20 ms.
constexpr long kCrossfade = kRate / 50;

struct Audio
{
	int channels = 0;
	std::vector<float> frames; // interleaved
	long length () const { return channels ? static_cast<long> (frames.size ()) / channels : 0; }
	float at (long frame, int channel) const { return frames[frame * channels + channel]; }
};

[[noreturn]] void fail (const std::string& message)
{
	std::fprintf (stderr, "FAIL: %s\n", message.c_str ());
	std::exit (1);
}

Audio readAudio (const std::string& path)
{
	SF_INFO info {};
	SNDFILE* file = sf_open (path.c_str (), SFM_READ, &info);
	if (!file)
		fail ("cannot read " + path + ": " + sf_strerror (nullptr));
	if (info.samplerate != kRate)
		fail (path + " is not at 48 kHz");
	Audio audio;
	audio.channels = info.channels;
	audio.frames.resize (static_cast<size_t> (info.frames) * info.channels);
	if (sf_readf_float (file, audio.frames.data (), info.frames) != info.frames)
		fail ("short read from " + path);
	sf_close (file);
	return audio;
}

// 32-bit float WAV, what Ardour writes into a session: no conversion on the way in or out.
void writeAudio (const std::string& path, int channels, const std::vector<float>& frames)
{
	SF_INFO info {};
	info.samplerate = kRate;
	info.channels = channels;
	info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
	SNDFILE* file = sf_open (path.c_str (), SFM_WRITE, &info);
	if (!file)
		fail ("cannot write " + path + ": " + sf_strerror (nullptr));
	const sf_count_t count = static_cast<sf_count_t> (frames.size ()) / channels;
	if (sf_writef_float (file, frames.data (), count) != count)
		fail ("short write to " + path);
	sf_close (file);
}

// Every beat its own pitch over noise, so that no stretch of one beat equals a stretch of
// another, forwards or backwards.
int make (const std::string& path, long bars)
{
	const double pi = 3.14159265358979323846;
	uint32_t noise = 0x9E3779B9u; // xorshift32
	std::vector<float> frames;
	for (long i = 0; i < bars * kBar; ++i)
	{
		const long beat = i / kBeat;
		const double t = static_cast<double> (i % kBeat) / kRate;
		const double frequency = 110.0 * std::pow (2.0, static_cast<double> ((beat * 7) % 24) / 12.0);
		const double tone = 0.4 * std::exp (-6.0 * t) * std::sin (2.0 * pi * frequency * t);
		for (int channel = 0; channel < 2; ++channel)
		{
			noise ^= noise << 13;
			noise ^= noise >> 17;
			noise ^= noise << 5;
			const double hiss = 0.05 * (static_cast<double> (noise) / 4294967296.0 - 0.5);
			frames.push_back (static_cast<float> (tone * (channel ? 0.8 : 1.0) + hiss));
		}
	}
	writeAudio (path, 2, frames);
	return 0;
}

int split (const std::string& input, const std::string& left, const std::string& right)
{
	const Audio audio = readAudio (input);
	if (audio.channels != 2)
		fail (input + " is not stereo");
	std::vector<float> channel[2];
	for (long i = 0; i < audio.length (); ++i)
		for (int c = 0; c < 2; ++c)
			channel[c].push_back (audio.at (i, c));
	writeAudio (left, 1, channel[0]);
	writeAudio (right, 1, channel[1]);
	return 0;
}

bool sameBits (float a, float b) { return std::memcmp (&a, &b, sizeof a) == 0; }

// Output frame `from` onwards as input frames source, source + direction, ...: how many match.
long runLength (const Audio& output, const Audio& input, long from, long source, int direction)
{
	long n = 0;
	for (; from + n < output.length (); ++n)
	{
		const long s = source + direction * n;
		if (s < 0 || s >= input.length () || !sameBits (output.at (from + n, 0), input.at (s, 0)) ||
		    !sameBits (output.at (from + n, 1), input.at (s, 1)))
			break;
	}
	return n;
}

struct Run
{
	long source = -1; // input frame that output frame `from` plays
	int direction = 0;
	long end = 0; // first output frame after the run
};

// The run of input frames that output frames from..to play, starting in first..last.
Run findRun (const Audio& output, const Audio& input, long from, long to, long first, long last)
{
	for (int direction : {1, -1})
		for (long s = std::max (first, 0L); s < std::min (last, input.length ()); ++s)
		{
			const long n = runLength (output, input, from, s, direction);
			if (from + n >= to)
				return {s, direction, from + n};
		}
	return {};
}

std::string describe (long frame)
{
	return "frame " + std::to_string (frame) + " (bar " + std::to_string (frame / kBar + 1) + ", beat " +
	       std::to_string (frame % kBar / kBeat + 1) + " + " + std::to_string (frame % kBeat) + ")";
}

int compare (const std::string& inputPath, const std::string& leftPath, const std::string& rightPath,
             long untouched, long breakBar)
{
	const Audio input = readAudio (inputPath);
	const Audio left = readAudio (leftPath);
	const Audio right = readAudio (rightPath);
	if (input.channels != 2 || left.channels != 1 || right.channels != 1)
		fail ("expected a stereo input and two mono bounced files");
	if (left.length () != input.length () || right.length () != input.length ())
		fail ("bounced " + std::to_string (left.length ()) + "/" + std::to_string (right.length ()) +
		      " frames, the input has " + std::to_string (input.length ()));
	if (breakBar == 1 || untouched > input.length ())
		fail ("bad arguments");

	Audio output;
	output.channels = 2;
	for (long i = 0; i < input.length (); ++i)
	{
		output.frames.push_back (left.at (i, 0));
		output.frames.push_back (right.at (i, 0));
	}

	const long same = runLength (output, input, 0, 0, 1);
	if (same < untouched)
	{
		// A delay (latency, an offset) shows as the input a few frames away.
		const Run shifted = findRun (output, input, same, same + 64, same - 8192, same + 8192);
		std::fprintf (
		    stderr, "%s: input %.9g|%.9g, output %.9g|%.9g%s\n", describe (same).c_str (), input.at (same, 0),
		    input.at (same, 1), output.at (same, 0), output.at (same, 1),
		    shifted.direction > 0
		        ? (", the input delayed by " + std::to_string (same - shifted.source) + " frames").c_str ()
		        : "");
		fail ("the output is not the input");
	}
	std::printf ("frames 0..%ld: the input, bit for bit\n", untouched);
	if (breakBar == 0)
		return 0;
	if (untouched < (breakBar - 1) * kBar)
		std::printf ("frames %ld..%ld: not checked\n", untouched, (breakBar - 1) * kBar);

	for (long bar = breakBar - 1; bar < input.length () / kBar; ++bar)
	{
		std::string beats;
		int replaced = 0;
		for (long beat = 0; beat < 4; ++beat)
		{
			const long start = bar * kBar + beat * kBeat;
			const long from = start + kCrossfade + kGridTolerance;
			const long to = start + kBeat - kGridTolerance;
			Run run = findRun (output, input, from, to, (bar - 1) * kBar - kGridTolerance,
			                   bar * kBar + kGridTolerance);
			std::string what;
			if (run.direction != 0)
			{
				++replaced;
				what = (run.direction > 0 ? "forwards from " : "backwards from ") +
				       std::to_string (run.source - run.direction * (from - start));
			}
			else if (runLength (output, input, from, from, 1) >= to - from)
			{
				run = {from, 1, from + runLength (output, input, from, from, 1)};
				what = "live";
			}
			else
			{
				fail (describe (start) + ": the beat is neither one run of bar " + std::to_string (bar) +
				      " nor the live input");
			}
			// A slice ends at the next slice's crossfade: where the beat ends on the host's grid.
			const long end = std::min (run.end, start + kBeat + kGridTolerance + 1);
			if (std::labs (end - (start + kBeat)) > kGridTolerance)
				fail (describe (start) + ": the slice ends at " + describe (end) + ", not with the beat");
			beats += (beat ? "; " : "") + what + ", ends " + std::to_string (end - (start + kBeat));
		}
		std::printf ("bar %ld beats (input frames; end against the beat): %s\n", bar + 1, beats.c_str ());
		if (replaced == 0)
			fail ("bar " + std::to_string (bar + 1) +
			      " is the live input throughout: the break did not play");
	}
	return 0;
}

} // namespace

int main (int argc, char** argv)
{
	const std::string command = argc > 1 ? argv[1] : "";
	if (command == "make" && argc == 4)
		return make (argv[2], std::atol (argv[3]));
	if (command == "split" && argc == 5)
		return split (argv[2], argv[3], argv[4]);
	if (command == "compare" && argc == 7)
		return compare (argv[2], argv[3], argv[4], std::atol (argv[5]), std::atol (argv[6]));
	std::fprintf (stderr, "usage: ardour_audio make|split|compare ... (see the source)\n");
	return 2;
}
