// The chopwright-render executable as a user runs it, with the probe plug-in.
#include "audio_file.h"

#include "test_support.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

using namespace render;
using test::runRender;
using test::TempFolder;

namespace {

const std::string kProbe = PROBE_BUNDLE;

int lineCount (const std::string& text)
{
	return static_cast<int> (std::count (text.begin (), text.end (), '\n'));
}

// A mono 16-bit WAV of silence that takes no disk space: a header and a hole.
void writeSparseWav (const std::string& path, int sampleRate, int64_t frames)
{
	std::ofstream (path, std::ios::binary) << wavHeader (sampleRate, 1, SF_FORMAT_PCM_16, frames);
	std::filesystem::resize_file (path, 44 + 2 * static_cast<uintmax_t> (frames));
}

} // namespace

TEST (RenderCli, PrintsHelpVersionAndListsThePlugin)
{
	TempFolder folder;
	const auto help = runRender ({"--help"}, folder);
	EXPECT_EQ (help.status, 0);
	EXPECT_NE (help.out.find ("Usage: chopwright-render"), std::string::npos);
	const auto version = runRender ({"--version"}, folder);
	EXPECT_EQ (version.status, 0);
	EXPECT_EQ (version.out.rfind ("chopwright-render 1.", 0), 0u) << version.out;

	const auto list = runRender ({"--list", "--plugin", kProbe}, folder);
	EXPECT_EQ (list.status, 0) << list.err;
	for (const char* expected :
	     {"Audio Module Class", "\"Probe\"", "id 0 \"Gain\"", "id 4 \"Bypass\"", "bypass", "0 = \"A\"",
	      "state: 16 bytes", "audio input 0 \"In\": 2 channel(s)"})
		EXPECT_NE (list.out.find (expected), std::string::npos) << expected << "\n" << list.out;
	EXPECT_TRUE (list.err.empty ()) << list.err;
}

TEST (RenderCli, RendersKeepingRateChannelsEncodingAndTags)
{
	TempFolder folder;
	const Tags tags = {{SF_STR_TITLE, "Take 3"}, {SF_STR_ARTIST, "Quillmarsh"}};
	writeAudioFile (folder / "in.wav", test::sineSignal (1, 5000, 32000), SF_FORMAT_WAV | SF_FORMAT_PCM_24,
	                tags);
	const auto same = runRender ({"--plugin", kProbe, "--break", "on", "in.wav", "out.wav"}, folder);
	ASSERT_EQ (same.status, 0) << same.err;
	EXPECT_TRUE (same.out.empty ()) << same.out;
	EXPECT_EQ (lineCount (same.err), 1) << "no progress off a terminal, one summary line: " << same.err;
	for (const char* expected : {"out.wav: 5000 frames", "0:00 at 32000 Hz", "real time"})
		EXPECT_NE (same.err.find (expected), std::string::npos) << same.err;
	const AudioFile out = readAudioFile (folder / "out.wav");
	EXPECT_EQ (out.sndfileFormat, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
	EXPECT_EQ (out.audio.sampleRate, 32000);
	EXPECT_EQ (out.audio.channels, 1);
	EXPECT_EQ (out.audio.samples, readAudioFile (folder / "in.wav").audio.samples)
	    << "probe gain 1: unchanged";
	EXPECT_EQ (out.tags, tags);

	ASSERT_EQ (runRender ({"--plugin", kProbe, "in.wav", "out.flac"}, folder).status, 0);
	const AudioFile flac = readAudioFile (folder / "out.flac");
	EXPECT_EQ (flac.sndfileFormat, SF_FORMAT_FLAC | SF_FORMAT_PCM_24) << "from the extension";
	EXPECT_EQ (flac.tags, tags);
	ASSERT_EQ (runRender ({"--plugin", kProbe, "--format", "aiff", "in.wav", "out.snd"}, folder).status, 0);
	EXPECT_EQ (readAudioFile (folder / "out.snd").sndfileFormat, SF_FORMAT_AIFF | SF_FORMAT_PCM_24)
	    << "from --format";
	ASSERT_EQ (runRender ({"--plugin", kProbe, "in.wav", "out"}, folder).status, 0);
	EXPECT_EQ (readAudioFile (folder / "out").sndfileFormat, SF_FORMAT_WAV | SF_FORMAT_PCM_24)
	    << "no extension: as the input";

	const auto withProgress = runRender ({"--plugin", kProbe, "--progress", "in.wav", "out2.wav"}, folder);
	EXPECT_NE (withProgress.err.find ("elapsed, about 0:00 left"), std::string::npos) << withProgress.err;
	const auto quiet = runRender ({"--plugin", kProbe, "-q", "in.wav", "out3.wav"}, folder);
	EXPECT_EQ (quiet.status, 0);
	EXPECT_TRUE (quiet.err.empty ()) << quiet.err;
}

TEST (RenderCli, SamplesBeyondAFloatComeBackExactly)
{
	// 32-bit integers and doubles do not fit a float: 64-bit processing is chosen for them.
	TempFolder folder;
	for (int format : {SF_FORMAT_WAV | SF_FORMAT_PCM_32, SF_FORMAT_WAV | SF_FORMAT_DOUBLE})
	{
		writeAudioFile (folder / "in.wav", test::sineSignal (1, 3000), format);
		ASSERT_EQ (runRender ({"--plugin", kProbe, "--break", "on", "in.wav", "out.wav"}, folder).status, 0);
		const AudioFile out = readAudioFile (folder / "out.wav");
		EXPECT_EQ (out.sndfileFormat, format);
		EXPECT_EQ (out.audio.samples, readAudioFile (folder / "in.wav").audio.samples) << std::hex << format;
		ASSERT_EQ (
		    runRender ({"--plugin", kProbe, "--break", "on", "--float", "in.wav", "out.wav"}, folder).status,
		    0);
		EXPECT_NE (readAudioFile (folder / "out.wav").audio.samples,
		           readAudioFile (folder / "in.wav").audio.samples)
		    << "--float still forces 32 bits";
	}
}

TEST (RenderCli, FailsCleanlyOnBadInput)
{
	TempFolder folder;
	writeAudioFile (folder / "in.wav", test::sineSignal (2, 1000), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
	AudioData surround;
	surround.channels = 4;
	surround.samples.assign (400, 0.0);
	writeAudioFile (folder / "quad.wav", surround, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
	std::ofstream (folder / "text.wav") << "not audio";
	const std::string whole = test::slurp (folder / "in.wav");
	std::ofstream (folder / "cut.wav", std::ios::binary) << whole.substr (0, whole.size () - 400);
	std::ofstream (folder / "readonly.wav") << "keep";
	test::fs::permissions (folder / "readonly.wav", test::fs::perms::owner_read);
	test::fs::create_symlink ("in.wav", folder / "link.wav");
	test::fs::create_hard_link (folder / "in.wav", folder / "hard.wav");
	const auto before = folder.names ();

	struct Case
	{
		std::vector<std::string> args;
		int status;
		const char* message;
	};
	for (const Case& c : {
	         Case {{"missing.wav", "out.wav"}, 1, "no such file"},
	         Case {{"text.wav", "out.wav"}, 1, "cannot read"},
	         Case {{"quad.wav", "out.wav"}, 1, "4 channels"},
	         Case {{"cut.wav", "out.wav"},
	               1,
	               "truncated: its header announces 1000 frames, the file holds 900"},
	         Case {{"in.wav", "missing-folder/out.wav"}, 1, "folder 'missing-folder' does not exist"},
	         Case {{"missing.wav", "missing-folder/out.wav"}, 1, "missing-folder"}, // the output first
	         Case {{"in.wav", "readonly.wav"}, 1, "read-only"},
	         Case {{"in.wav", "in.wav"}, 1, "same file"},
	         Case {{"in.wav", "./in.wav"}, 1, "same file"},
	         Case {{"in.wav", "link.wav"}, 1, "same file"},
	         Case {{"hard.wav", "in.wav"}, 1, "same file"},
	         Case {{"in.wav", "out.mp3"}, 2, "unknown output extension '.mp3'"},
	         Case {{"--at", "1e20bar:break=on", "in.wav", "out.wav"}, 2, "beyond 2^53 samples"},
	         Case {{"--start", "1e308", "in.wav", "out.wav"}, 2, "too far"},
	         Case {{"--start", "2e11", "in.wav", "out.wav"}, 2, "beyond 2^53 samples"},
	         Case {{"--gate", "2", "in.wav", "out.wav"}, 2, "gate"},
	         Case {{"--demo", "--tempo", "100"}, 2, "the demo does not use --tempo"},
	         Case {{"in.wav"}, 2, "missing OUTPUT"},
	     })
	{
		auto args = c.args;
		args.insert (args.begin (), {"--plugin", kProbe});
		const auto result = runRender (args, folder);
		EXPECT_EQ (result.status, c.status) << c.message << ": " << result.err;
		EXPECT_NE (result.err.find (c.message), std::string::npos) << result.err;
		EXPECT_EQ (lineCount (result.err), 1) << "one line: " << result.err;
		EXPECT_EQ (result.err.rfind ("chopwright-render: ", 0), 0u) << result.err;
		EXPECT_EQ (folder.names (), before) << "no output or temporary file after: " << result.err;
	}
	EXPECT_EQ (test::slurp (folder / "in.wav"), whole);
	EXPECT_EQ (test::slurp (folder / "readonly.wav"), "keep");
	EXPECT_TRUE (test::fs::is_symlink (folder / "link.wav"));

	for (const Case& c : {
	         Case {{"--plugin", folder / "in.wav", "in.wav", "out.wav"}, 1, "cannot load"},
	         Case {{"--plugin", folder.path.string (), "in.wav", "out.wav"}, 1, "not a VST 3 bundle"},
	         Case {{"--plugin", "/nowhere/X.vst3", "in.wav", "out.wav"}, 1, "does not exist"},
	     })
	{
		const auto result = runRender (c.args, folder);
		EXPECT_EQ (result.status, c.status) << result.err;
		EXPECT_NE (result.err.find (c.message), std::string::npos) << result.err;
		EXPECT_EQ (folder.names (), before) << result.err;
	}
}

TEST (RenderCli, ReadsAndWritesPipes)
{
	TempFolder folder;
	writeAudioFile (folder / "in.wav", test::sineSignal (1, 5000), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
	const auto input = readAudioFile (folder / "in.wav").audio.samples;
	const std::vector<std::string> probe = {"--plugin", kProbe, "--break", "on"};
	auto render = [&] (std::vector<std::string> args, const std::string& in, const std::string& out) {
		args.insert (args.begin (), probe.begin (), probe.end ());
		return runRender (args, folder, in.empty () ? "" : folder / in, out.empty () ? "" : folder / out);
	};

	// WAV through both pipes, FLAC out, then that FLAC stream (no length in its header) in.
	const auto wav = render ({"--format", "wav", "-", "-"}, "in.wav", "piped.wav");
	ASSERT_EQ (wav.status, 0) << wav.err;
	EXPECT_NE (wav.err.find ("standard output: 5000 frames"), std::string::npos) << wav.err;
	EXPECT_EQ (readAudioFile (folder / "piped.wav").audio.samples, input);
	ASSERT_EQ (render ({"--format", "flac", "in.wav", "-"}, "", "piped.flac").status, 0);
	const auto flac = render ({"-", "back.wav"}, "piped.flac", "");
	ASSERT_EQ (flac.status, 0) << flac.err;
	EXPECT_EQ (readAudioFile (folder / "back.wav").audio.samples, input);

	const auto noLength = render ({"--format", "wav", "-", "-"}, "piped.flac", "none.wav");
	EXPECT_EQ (noLength.status, 1);
	EXPECT_NE (noLength.err.find ("known length"), std::string::npos) << noLength.err;
	const auto noFormat = render ({"in.wav", "-"}, "", "none.wav");
	EXPECT_EQ (noFormat.status, 2);
	EXPECT_NE (noFormat.err.find ("--format"), std::string::npos) << noFormat.err;
}

TEST (RenderCli, StreamsInMemoryThatDoesNotGrowWithTheLength)
{
	// Holding 20 minutes of 8 kHz audio as doubles (input and output) would take 150 MB more
	// than one minute; streamed, both take the same.
	TempFolder folder;
	writeSparseWav (folder / "one-minute.wav", 8000, 60 * 8000);
	writeSparseWav (folder / "twenty-minutes.wav", 8000, 20 * 60 * 8000);
	auto peakKb = [&] (const std::string& name, int64_t frames) {
		int out[2];
		EXPECT_EQ (pipe2 (out, O_CLOEXEC), 0);
		const int none = open ("/dev/null", O_RDONLY | O_CLOEXEC);
		const pid_t pid = test::spawnRender (
		    {"--plugin", kProbe, "--block", "4096", "--format", "wav", name, "-"}, folder, none, out[1]);
		close (out[1]);
		close (none);
		int64_t bytes = 0;
		char buffer[65536];
		for (ssize_t n; (n = read (out[0], buffer, sizeof buffer)) > 0;)
			bytes += n;
		close (out[0]);
		const test::Exit exit = test::waitFor (pid);
		EXPECT_TRUE (WIFEXITED (exit.status) && WEXITSTATUS (exit.status) == 0) << name;
		EXPECT_EQ (bytes, 44 + 2 * frames) << name << ": the whole file came out";
		return exit.peakKb;
	};
	const long shortPeak = peakKb ("one-minute.wav", 60 * 8000);
	const long longPeak = peakKb ("twenty-minutes.wav", 20 * 60 * 8000);
	EXPECT_LT (longPeak, shortPeak + 16 * 1024)
	    << "peak resident memory: " << shortPeak << " kB for one minute, " << longPeak << " kB for twenty";
}

TEST (RenderCli, SignalsDuringTheWriteLeaveNoTemporaryFile)
{
	for (int signal : {SIGINT, SIGTERM})
	{
		TempFolder folder;
		int in[2];
		ASSERT_EQ (pipe2 (in, O_CLOEXEC), 0);
		const int none = open ("/dev/null", O_WRONLY | O_CLOEXEC);
		const pid_t pid = test::spawnRender ({"--plugin", kProbe, "-", "out.wav"}, folder, in[0], none);
		close (in[0]);
		close (none);
		// Ten minutes announced, one second sent: the renderer writes that much and waits.
		const std::string start =
		    wavHeader (8000, 1, SF_FORMAT_PCM_16, 600 * 8000) + std::string (16000, '\0');
		ASSERT_EQ (write (in[1], start.data (), start.size ()), static_cast<ssize_t> (start.size ()));
		auto writing = [&] {
			for (const auto& name : folder.names ())
			{
				std::error_code gone;
				if (name.rfind (".out.wav.partial-", 0) == 0 &&
				    test::fs::file_size (folder / name, gone) > 10000 && !gone)
					return true;
			}
			return false;
		};
		for (int wait = 0; wait < 3000 && !writing (); ++wait) // a guard against hanging, not a measurement
			std::this_thread::sleep_for (std::chrono::milliseconds (10));
		EXPECT_TRUE (writing ()) << "the temporary file grows while the input streams in";
		kill (pid, signal);
		const test::Exit exit = test::waitFor (pid);
		close (in[1]);
		EXPECT_TRUE (WIFSIGNALED (exit.status) && WTERMSIG (exit.status) == signal)
		    << "ends as the signal says";
		EXPECT_TRUE (folder.names ().empty ()) << folder.names ().front ();
	}
}

TEST (RenderCli, DemoWritesBothFilesIntoTheCurrentFolder)
{
	TempFolder folder;
	const auto result = runRender ({"--demo", "--plugin", kProbe}, folder);
	ASSERT_EQ (result.status, 0) << result.err;
	EXPECT_EQ (folder.names (),
	           (std::vector<std::string> {"chopwright-demo-input.wav", "chopwright-demo-output.wav"}));
	EXPECT_TRUE (result.out.empty ()) << result.out;
	EXPECT_NE (result.err.find (folder / "chopwright-demo-output.wav"), std::string::npos) << result.err;
	EXPECT_NE (result.err.find (folder / "chopwright-demo-input.wav"), std::string::npos) << result.err;
	const AudioFile input = readAudioFile (folder / "chopwright-demo-input.wav");
	const AudioFile output = readAudioFile (folder / "chopwright-demo-output.wav");
	EXPECT_EQ (input.audio.sampleRate, 44100);
	EXPECT_EQ (input.audio.channels, 2);
	EXPECT_EQ (input.audio.frames (), 8 * 88200);
	EXPECT_EQ (output.audio.frames (), input.audio.frames ());

	// With a bundle that does not load, the demo leaves nothing behind.
	TempFolder empty;
	const auto failed = runRender ({"--demo", "--plugin", "/nowhere/X.vst3"}, empty);
	EXPECT_EQ (failed.status, 1);
	EXPECT_TRUE (empty.names ().empty ());
}
