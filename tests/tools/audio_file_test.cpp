#include "audio_file.h"

#include "test_support.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <gtest/gtest.h>

using namespace render;
using test::TempFolder;

namespace {

double maxDifference (const AudioData& a, const AudioData& b)
{
	double most = 0;
	for (size_t i = 0; i < std::min (a.samples.size (), b.samples.size ()); ++i)
		most = std::max (most, std::fabs (a.samples[i] - b.samples[i]));
	return most;
}

template <typename F>
std::string errorOf (F&& f)
{
	try
	{
		f ();
	}
	catch (const std::exception& e)
	{
		return e.what ();
	}
	return "";
}

} // namespace

TEST (AudioFile, RoundTripsEveryFormatKeepingRateAndChannels)
{
	TempFolder folder;
	struct Case
	{
		const char* name;
		int format;
		double tolerance;
	};
	for (const Case& c : {Case {"a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1.0 / 32768 + 1e-9},
	                      Case {"b.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1e-7},
	                      Case {"c.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 0.0},
	                      Case {"d.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 1.0 / 8388608 + 1e-9},
	                      Case {"e.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1.0 / 32768 + 1e-9},
	                      Case {"f.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0.1}})
		for (int channels : {1, 2})
		{
			SCOPED_TRACE (std::string (c.name) + " " + std::to_string (channels));
			const AudioData original = test::sineSignal (channels, 4000, 48000);
			writeAudioFile (folder / c.name, original, c.format);
			const AudioFile back = readAudioFile (folder / c.name);
			EXPECT_EQ (back.sndfileFormat, c.format);
			EXPECT_EQ (back.audio.sampleRate, 48000);
			EXPECT_EQ (back.audio.channels, channels);
			EXPECT_EQ (back.audio.frames (), 4000);
			EXPECT_LE (maxDifference (original, back.audio), c.tolerance);
		}
	EXPECT_EQ (folder.names (),
	           (std::vector<std::string> {"a.wav", "b.wav", "c.wav", "d.flac", "e.aiff", "f.ogg"}))
	    << "no temporary files left";
}

TEST (AudioFile, ClipsInsteadOfWrappingAround)
{
	TempFolder folder;
	AudioData loud;
	loud.channels = 1;
	loud.samples = {1.5, -1.5, 0.5};
	writeAudioFile (folder / "loud.wav", loud, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
	const AudioData back = readAudioFile (folder / "loud.wav").audio;
	EXPECT_GT (back.samples[0], 0.99);
	EXPECT_LT (back.samples[1], -0.99);
}

TEST (AudioFile, ChoosesFormatsByNameExtensionAndFallback)
{
	EXPECT_EQ (formatFromName ("FLAC"), FileFormat::Flac);
	EXPECT_EQ (formatFromName ("aif"), FileFormat::Aiff);
	EXPECT_FALSE (formatFromName ("mp3"));
	EXPECT_EQ (formatFromExtension ("/x/y.WAV"), FileFormat::Wav);
	EXPECT_EQ (formatFromExtension ("y.aif"), FileFormat::Aiff);
	EXPECT_EQ (formatFromExtension ("y.aiff"), FileFormat::Aiff);
	EXPECT_EQ (formatFromExtension ("y.oga"), FileFormat::Ogg);
	EXPECT_FALSE (formatFromExtension ("y.raw"));
	EXPECT_FALSE (formatFromExtension ("noextension"));
	EXPECT_EQ (containerOf (SF_FORMAT_WAVEX | SF_FORMAT_PCM_24), FileFormat::Wav);

	// The input's encoding survives where the target can hold it...
	EXPECT_EQ (outputFormat (FileFormat::Wav, SF_FORMAT_WAV | SF_FORMAT_PCM_24),
	           SF_FORMAT_WAV | SF_FORMAT_PCM_24);
	EXPECT_EQ (outputFormat (FileFormat::Flac, SF_FORMAT_WAV | SF_FORMAT_PCM_16),
	           SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
	EXPECT_EQ (outputFormat (FileFormat::Aiff, SF_FORMAT_FLAC | SF_FORMAT_PCM_24),
	           SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
	EXPECT_EQ (outputFormat (FileFormat::Wav, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT),
	           SF_FORMAT_WAVEX | SF_FORMAT_FLOAT);
	// ...else the target's usual one.
	EXPECT_EQ (outputFormat (FileFormat::Flac, SF_FORMAT_WAV | SF_FORMAT_FLOAT),
	           SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
	EXPECT_EQ (outputFormat (FileFormat::Ogg, SF_FORMAT_WAV | SF_FORMAT_PCM_16),
	           SF_FORMAT_OGG | SF_FORMAT_VORBIS);
	EXPECT_EQ (outputFormat (FileFormat::Wav, SF_FORMAT_OGG | SF_FORMAT_VORBIS),
	           SF_FORMAT_WAV | SF_FORMAT_FLOAT);
}

TEST (AudioFile, ReportsUnreadableInputs)
{
	TempFolder folder;
	EXPECT_NE (errorOf ([&] { readAudioFile (folder / "missing.wav"); }).find ("no such file"),
	           std::string::npos);
	EXPECT_NE (errorOf ([&] { readAudioFile (folder.path.string ()); }).find ("folder"), std::string::npos);
	std::ofstream (folder / "text.wav") << "this is not audio at all, just some text";
	EXPECT_NE (errorOf ([&] { readAudioFile (folder / "text.wav"); }).find ("cannot read"),
	           std::string::npos);

	AudioData surround;
	surround.channels = 3;
	surround.samples.assign (300, 0.1);
	writeAudioFile (folder / "three.wav", surround, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
	EXPECT_NE (errorOf ([&] { readAudioFile (folder / "three.wav"); }).find ("3 channels"),
	           std::string::npos);

	AudioData mono = test::sineSignal (1, 100);
	writeAudioFile (folder / "x.au", mono, SF_FORMAT_AU | SF_FORMAT_PCM_16);
	EXPECT_NE (errorOf ([&] { readAudioFile (folder / "x.au"); }).find ("unsupported format"),
	           std::string::npos);
}

TEST (AudioFile, FailedWritesLeaveNothingBehind)
{
	TempFolder folder;
	const AudioData audio = test::sineSignal (2, 100);
	EXPECT_NE (errorOf ([&] {
		           writeAudioFile (folder / "no/such/folder/out.wav", audio,
		                           SF_FORMAT_WAV | SF_FORMAT_PCM_16);
	           }).find ("cannot write"),
	           std::string::npos);
	// FLAC cannot hold 64-bit floats.
	std::ofstream (folder / "keep.flac") << "previous content";
	EXPECT_NE (errorOf ([&] {
		           writeAudioFile (folder / "keep.flac", audio, SF_FORMAT_FLAC | SF_FORMAT_DOUBLE);
	           }).find ("cannot write"),
	           std::string::npos);
	EXPECT_EQ (test::slurp (folder / "keep.flac"), "previous content") << "the old file stays untouched";
	EXPECT_EQ (folder.names (), std::vector<std::string> {"keep.flac"});
}

TEST (AudioFile, RefusesInputsShorterThanTheirHeaderAnnounces)
{
	TempFolder folder;
	for (int format : {SF_FORMAT_WAV | SF_FORMAT_PCM_16, SF_FORMAT_AIFF | SF_FORMAT_PCM_16,
	                   SF_FORMAT_FLAC | SF_FORMAT_PCM_16})
	{
		const std::string whole = folder / "whole", cut = folder / "cut";
		writeAudioFile (whole, test::sineSignal (2, 100000), format);
		const std::string bytes = test::slurp (whole);
		std::ofstream (cut, std::ios::binary) << bytes.substr (0, bytes.size () / 2);
		const std::string error = errorOf ([&] { readAudioFile (cut); });
		EXPECT_NE (
		    error.find ("'" + cut + "' is truncated: its header announces 100000 frames, the file holds "),
		    std::string::npos)
		    << std::hex << format << ": " << error;
	}
}

TEST (AudioFile, WritesIntoFifosDevicesAndSymlinkTargets)
{
	TempFolder folder;
	const AudioData audio = test::sineSignal (2, 1000);
	const int wav = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

	// A FIFO gets the file (a WAV header of its own: libsndfile cannot go back on a pipe).
	ASSERT_EQ (mkfifo ((folder / "fifo").c_str (), 0600), 0);
	const int reader = open ((folder / "fifo").c_str (), O_RDONLY | O_NONBLOCK);
	ASSERT_GE (reader, 0);
	writeAudioFile (folder / "fifo", audio, wav);
	std::string bytes (10000, '\0');
	bytes.resize (static_cast<size_t> (std::max<ssize_t> (0, read (reader, bytes.data (), bytes.size ()))));
	close (reader);
	std::ofstream (folder / "from-fifo.wav", std::ios::binary) << bytes;
	writeAudioFile (folder / "plain.wav", audio, wav);
	EXPECT_EQ (readAudioFile (folder / "from-fifo.wav").audio.samples,
	           readAudioFile (folder / "plain.wav").audio.samples);
	EXPECT_TRUE (test::fs::is_fifo (folder / "fifo"));

	// A symlink keeps pointing at its target, which gets the audio; also when it does not exist yet.
	std::ofstream (folder / "target.wav") << "old";
	test::fs::create_symlink ("target.wav", folder / "link.wav");
	test::fs::create_symlink ("new.wav", folder / "dangling.wav");
	writeAudioFile (folder / "link.wav", audio, wav);
	writeAudioFile (folder / "dangling.wav", audio, wav);
	for (const char* name : {"link.wav", "dangling.wav"})
	{
		EXPECT_TRUE (test::fs::is_symlink (folder / name));
		EXPECT_EQ (readAudioFile (folder / name).audio.frames (), 1000) << name;
	}

	// A device is written into, not replaced (making one needs root, using it a folder without nodev).
	const bool device = mknod ((folder / "null").c_str (), S_IFCHR | 0666, makedev (1, 3)) == 0;
	if (const int usable = device ? open ((folder / "null").c_str (), O_WRONLY) : -1; usable >= 0)
	{
		close (usable);
		writeAudioFile (folder / "null", audio, wav);
		EXPECT_TRUE (test::fs::is_character_file (folder / "null"));
	}
	for (const auto& name : folder.names ())
		EXPECT_EQ (name.find ("partial"), std::string::npos) << name;
}
