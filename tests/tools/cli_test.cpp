// The chopwright-render executable as a user runs it, with the probe plug-in.
#include "audio_file.h"

#include "test_support.h"

#include <sndfile.h>

#include <gtest/gtest.h>

using namespace render;
using test::runRender;
using test::TempFolder;

namespace {

int lineCount(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST(RenderCli, PrintsHelpAndListsThePlugin)
{
    TempFolder folder;
    const auto help = runRender({"--help"}, folder);
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: chopwright-render"), std::string::npos);

    const auto list = runRender({"--list", "--plugin", PROBE_BUNDLE}, folder);
    EXPECT_EQ(list.status, 0) << list.err;
    for (const char* expected : {"Audio Module Class", "\"Probe\"", "id 0 \"Gain\"", "id 4 \"Bypass\"", "bypass",
                                 "0 = \"A\"", "state: 16 bytes", "audio input 0 \"In\": 2 channel(s)"})
        EXPECT_NE(list.out.find(expected), std::string::npos) << expected << "\n" << list.out;
    EXPECT_TRUE(list.err.empty()) << list.err;
}

TEST(RenderCli, RendersKeepingRateChannelsAndFormat)
{
    TempFolder folder;
    writeAudioFile(folder / "in.wav", test::sineSignal(1, 5000, 32000), SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    const auto same = runRender({"--plugin", PROBE_BUNDLE, "--break", "on", "in.wav", "out.wav"}, folder);
    ASSERT_EQ(same.status, 0) << same.err;
    EXPECT_TRUE(same.out.empty() && same.err.empty()) << "quiet when not on a terminal: " << same.err;
    const AudioFile out = readAudioFile(folder / "out.wav");
    EXPECT_EQ(out.sndfileFormat, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    EXPECT_EQ(out.audio.sampleRate, 32000);
    EXPECT_EQ(out.audio.channels, 1);
    EXPECT_EQ(out.audio.samples, readAudioFile(folder / "in.wav").audio.samples) << "probe gain 1: unchanged";

    ASSERT_EQ(runRender({"--plugin", PROBE_BUNDLE, "in.wav", "out.flac"}, folder).status, 0);
    EXPECT_EQ(readAudioFile(folder / "out.flac").sndfileFormat, SF_FORMAT_FLAC | SF_FORMAT_PCM_24) << "from the extension";
    ASSERT_EQ(runRender({"--plugin", PROBE_BUNDLE, "--format", "aiff", "in.wav", "out.snd"}, folder).status, 0);
    EXPECT_EQ(readAudioFile(folder / "out.snd").sndfileFormat, SF_FORMAT_AIFF | SF_FORMAT_PCM_24) << "from --format";
    ASSERT_EQ(runRender({"--plugin", PROBE_BUNDLE, "in.wav", "out.data"}, folder).status, 0);
    EXPECT_EQ(readAudioFile(folder / "out.data").sndfileFormat, SF_FORMAT_WAV | SF_FORMAT_PCM_24) << "as the input";

    const auto withProgress = runRender({"--plugin", PROBE_BUNDLE, "--progress", "in.wav", "out2.wav"}, folder);
    EXPECT_NE(withProgress.err.find("100%"), std::string::npos) << withProgress.err;
}

TEST(RenderCli, FailsCleanlyOnBadInput)
{
    TempFolder folder;
    writeAudioFile(folder / "in.wav", test::sineSignal(2, 1000), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    AudioData surround;
    surround.channels = 4;
    surround.samples.assign(400, 0.0);
    writeAudioFile(folder / "quad.wav", surround, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    std::ofstream(folder / "text.wav") << "not audio";
    const auto before = folder.names();

    struct Case
    {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const std::string probe = PROBE_BUNDLE;
    for (const Case& c : {
             Case{{"--plugin", probe, "missing.wav", "out.wav"}, 1, "no such file"},
             Case{{"--plugin", probe, "text.wav", "out.wav"}, 1, "cannot read"},
             Case{{"--plugin", probe, "quad.wav", "out.wav"}, 1, "4 channels"},
             Case{{"--plugin", probe, "in.wav", "missing-folder/out.wav"}, 1, "cannot write"},
             Case{{"--plugin", folder / "in.wav", "in.wav", "out.wav"}, 1, "cannot load"},
             Case{{"--plugin", folder.path.string(), "in.wav", "out.wav"}, 1, "not a VST 3 bundle"},
             Case{{"--plugin", "/nowhere/X.vst3", "in.wav", "out.wav"}, 1, "does not exist"},
             Case{{"--gate", "2", "in.wav", "out.wav"}, 2, "gate"},
             Case{{"--at", "1bar:break=maybe", "in.wav", "out.wav"}, 2, "break"},
             Case{{"--start", "-1", "in.wav", "out.wav"}, 2, "count from 1"},
             Case{{"in.wav"}, 2, "missing OUTPUT"},
         })
    {
        const auto result = runRender(c.args, folder);
        EXPECT_EQ(result.status, c.status) << c.message << ": " << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(lineCount(result.err), 1) << "one line: " << result.err;
        EXPECT_EQ(result.err.rfind("chopwright-render: ", 0), 0u) << result.err;
        EXPECT_EQ(folder.names(), before) << "no output or temporary file after: " << result.err;
    }
}

TEST(RenderCli, DemoWritesBothFilesIntoTheCurrentFolder)
{
    TempFolder folder;
    const auto result = runRender({"--demo", "--plugin", PROBE_BUNDLE}, folder);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"chopwright-demo-input.wav", "chopwright-demo-output.wav"}));
    EXPECT_NE(result.out.find(folder / "chopwright-demo-output.wav"), std::string::npos) << result.out;
    const AudioFile input = readAudioFile(folder / "chopwright-demo-input.wav");
    const AudioFile output = readAudioFile(folder / "chopwright-demo-output.wav");
    EXPECT_EQ(input.audio.sampleRate, 44100);
    EXPECT_EQ(input.audio.channels, 2);
    EXPECT_EQ(input.audio.frames(), 8 * 88200);
    EXPECT_EQ(output.audio.frames(), input.audio.frames());

    // With a bundle that does not load, the demo leaves nothing behind.
    TempFolder empty;
    const auto failed = runRender({"--demo", "--plugin", "/nowhere/X.vst3"}, empty);
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(empty.names().empty());
}
