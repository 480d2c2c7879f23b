// chopwright-render with the real Chopwright bundle of this build.
#include "audio_file.h"
#include "drums.h"

#include "hosting/transport.h"
#include "test_support.h"

#include <sndfile.h>

#include <gtest/gtest.h>

using namespace render;
using test::runRender;
using test::TempFolder;

namespace {

const std::string kBundle = CHOPWRIGHT_BUNDLE;

struct ChopwrightRender : ::testing::Test
{
	TempFolder folder;
	void SetUp () override
	{
		// Four bars of drums at 120 BPM: one bar is 88200 frames.
		writeAudioFile (folder / "loop.wav", synthesizeDrumLoop ({44100, 120.0, 4}),
		                SF_FORMAT_WAV | SF_FORMAT_PCM_16);
	}
	test::RunResult render (std::vector<std::string> args)
	{
		args.insert (args.begin (), {"--plugin", kBundle});
		return runRender (args, folder);
	}
};

} // namespace

TEST_F (ChopwrightRender, ListsWhatAHostSees)
{
	const auto list = render ({"--list"});
	ASSERT_EQ (list.status, 0) << list.err;
	for (const char* expected : {"5B1C7D208E4F4A31A2C6D0F43E9B7150 Audio Module Class", "\"Chopwright\"",
	                             "C83A6E140D7B4F529F31A8E627B4C0D9", "id 0 ", "id 1 ", "id 2 ", "id 3 ",
	                             "id 4 ", "state: 22 bytes", "program-change", "bypass"})
		EXPECT_NE (list.out.find (expected), std::string::npos) << expected << "\n" << list.out;
}

TEST_F (ChopwrightRender, SameSeedRendersByteIdenticalFiles)
{
	const AudioData loop = readAudioFile (folder / "loop.wav").audio;
	for (const auto& [name, format] : {std::pair {"loop-float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
	                                   std::pair {"loop-float.aiff", SF_FORMAT_AIFF | SF_FORMAT_FLOAT},
	                                   std::pair {"loop.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24}})
	{
		writeAudioFile (folder / name, loop, format);
		const std::string a = std::string ("a-") + name, b = std::string ("b-") + name;
		const std::vector<std::string> args = {"--seed",        "7",    "--slice",        "1/4", "--at",
		                                       "2bar:break=on", "--at", "4bar:break=off", name};
		auto first = args, second = args;
		first.push_back (a);
		second.push_back (b);
		ASSERT_EQ (render (first).status, 0) << name;
		ASSERT_EQ (render (second).status, 0) << name;
		const std::string bytes = test::slurp (folder / a);
		EXPECT_EQ (bytes, test::slurp (folder / b)) << name;
		EXPECT_EQ (bytes.find ("PEAK"), std::string::npos) << name << ": no chunk with a time stamp";
	}
}

TEST_F (ChopwrightRender, BreakChangesTheSoundFromItsPosition)
{
	const auto result = render ({"--seed", "3", "--at", "2bar:break=on", "loop.wav", "out.wav"});
	ASSERT_EQ (result.status, 0) << result.err;
	const AudioData input = readAudioFile (folder / "loop.wav").audio;
	const AudioData output = readAudioFile (folder / "out.wav").audio;
	ASSERT_EQ (output.frames (), input.frames ());
	ASSERT_EQ (output.channels, 2);
	size_t changed = 0;
	for (size_t i = 2 * 88200; i < input.samples.size (); ++i)
		changed += std::fabs (output.samples[i] - input.samples[i]) > 1e-3;
	EXPECT_GT (changed, input.samples.size () / 10) << "Break on must rearrange the audio";
}

TEST_F (ChopwrightRender, BreakOffSentAgainGivesTheInputBackBitForBit)
{
	// 16-bit from the loop, and encodings that do not fit a float: 64-bit processing for them.
	writeAudioFile (folder / "loop-32.wav", test::sineSignal (2, 3 * 88200),
	                SF_FORMAT_WAV | SF_FORMAT_PCM_32);
	writeAudioFile (folder / "loop-64.wav", test::sineSignal (2, 3 * 88200),
	                SF_FORMAT_WAV | SF_FORMAT_DOUBLE);
	for (const char* name : {"loop.wav", "loop-32.wav", "loop-64.wav"})
	{
		const auto result = render (
		    {"--break", "off", "--at", "2bar:break=off", "--at", "3.5beat:break=off", name, "out.wav"});
		ASSERT_EQ (result.status, 0) << result.err;
		EXPECT_EQ (readAudioFile (folder / "out.wav").audio.samples,
		           readAudioFile (folder / name).audio.samples)
		    << name;
	}
}

TEST_F (ChopwrightRender, BreakStartsOnTheExactSampleOfItsPosition)
{
	// 133 BPM: 19894.736... samples per beat, so the bar line is not a whole sample.
	const auto result = render (
	    {"--seed", "9", "--tempo", "133", "--block", "300", "--at", "2bar:break=on", "loop.wav", "out.wav"});
	ASSERT_EQ (result.status, 0) << result.err;
	const AudioData input = readAudioFile (folder / "loop.wav").audio;
	const AudioData output = readAudioFile (folder / "out.wav").audio;
	const hosting::Transport transport {44100.0, 133.0};
	const int64_t change = transport.sampleAt (4.0);
	ASSERT_NE (change % 300, 0) << "the change falls inside a regular block";
	// With Break off the plug-in passes audio through untouched, up to the change.
	for (int64_t i = 0; i < 2 * change; ++i)
		ASSERT_EQ (output.samples[static_cast<size_t> (i)], input.samples[static_cast<size_t> (i)])
		    << "frame " << i / 2;
	bool changed = false;
	for (int64_t i = 2 * change; i < 2 * (change + 4 * 19894) && !changed; ++i)
		changed = output.samples[static_cast<size_t> (i)] != input.samples[static_cast<size_t> (i)];
	EXPECT_TRUE (changed) << "Break audible within a bar of its position";
}

TEST_F (ChopwrightRender, RendersMonoAndOtherFormats)
{
	const AudioData stereo = readAudioFile (folder / "loop.wav").audio;
	AudioData mono;
	mono.channels = 1;
	mono.sampleRate = 48000;
	for (int64_t i = 0; i < stereo.frames (); ++i)
		mono.samples.push_back (stereo.samples[static_cast<size_t> (2 * i)]);
	writeAudioFile (folder / "mono.flac", mono, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
	const auto result =
	    render ({"--break", "on", "--tempo", "97", "--start", "2.5beat", "mono.flac", "out.flac"});
	ASSERT_EQ (result.status, 0) << result.err;
	const AudioFile out = readAudioFile (folder / "out.flac");
	EXPECT_EQ (out.sndfileFormat, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
	EXPECT_EQ (out.audio.channels, 1);
	EXPECT_EQ (out.audio.sampleRate, 48000);
	EXPECT_EQ (out.audio.frames (), mono.frames ());

	ASSERT_EQ (render ({"--format", "ogg", "loop.wav", "out.ogg"}).status, 0);
	EXPECT_EQ (readAudioFile (folder / "out.ogg").sndfileFormat, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
}

TEST (ChopwrightDemo, RunsWithoutArguments)
{
	TempFolder folder;
	const auto result = runRender ({}, folder); // the default bundle is this build's
	ASSERT_EQ (result.status, 0) << result.err;
	EXPECT_EQ (folder.names (),
	           (std::vector<std::string> {"chopwright-demo-input.wav", "chopwright-demo-output.wav"}));
	EXPECT_NE (result.err.find ("chopwright-demo-input.wav"), std::string::npos);
	EXPECT_NE (result.err.find ("chopwright-demo-output.wav"), std::string::npos);
	const AudioData input = readAudioFile (folder / "chopwright-demo-input.wav").audio;
	const AudioData output = readAudioFile (folder / "chopwright-demo-output.wav").audio;
	ASSERT_EQ (output.frames (), input.frames ());
	EXPECT_NE (output.samples, input.samples);
}
