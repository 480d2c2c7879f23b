#include "audio_file.h"

#include "test_support.h"

#include <sndfile.h>

#include <gtest/gtest.h>

using namespace render;
using test::TempFolder;

namespace {

double maxDifference(const AudioData& a, const AudioData& b)
{
    double most = 0;
    for (size_t i = 0; i < std::min(a.samples.size(), b.samples.size()); ++i)
        most = std::max(most, std::fabs(a.samples[i] - b.samples[i]));
    return most;
}

template <typename F>
std::string errorOf(F&& f)
{
    try
    {
        f();
    }
    catch (const std::exception& e)
    {
        return e.what();
    }
    return "";
}

} // namespace

TEST(AudioFile, RoundTripsEveryFormatKeepingRateAndChannels)
{
    TempFolder folder;
    struct Case
    {
        const char* name;
        int format;
        double tolerance;
    };
    for (const Case& c : {Case{"a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1.0 / 32768 + 1e-9},
                          Case{"b.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1e-7}, Case{"c.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 0.0},
                          Case{"d.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 1.0 / 8388608 + 1e-9},
                          Case{"e.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1.0 / 32768 + 1e-9},
                          Case{"f.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0.1}})
        for (int channels : {1, 2})
        {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(channels));
            const AudioData original = test::sineSignal(channels, 4000, 48000);
            writeAudioFile(folder / c.name, original, c.format);
            const AudioFile back = readAudioFile(folder / c.name);
            EXPECT_EQ(back.sndfileFormat, c.format);
            EXPECT_EQ(back.audio.sampleRate, 48000);
            EXPECT_EQ(back.audio.channels, channels);
            EXPECT_EQ(back.audio.frames(), 4000);
            EXPECT_LE(maxDifference(original, back.audio), c.tolerance);
        }
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"a.wav", "b.wav", "c.wav", "d.flac", "e.aiff", "f.ogg"}))
        << "no temporary files left";
}

TEST(AudioFile, ClipsInsteadOfWrappingAround)
{
    TempFolder folder;
    AudioData loud;
    loud.channels = 1;
    loud.samples = {1.5, -1.5, 0.5};
    writeAudioFile(folder / "loud.wav", loud, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const AudioData back = readAudioFile(folder / "loud.wav").audio;
    EXPECT_GT(back.samples[0], 0.99);
    EXPECT_LT(back.samples[1], -0.99);
}

TEST(AudioFile, ChoosesFormatsByNameExtensionAndFallback)
{
    EXPECT_EQ(formatFromName("FLAC"), FileFormat::Flac);
    EXPECT_EQ(formatFromName("aif"), FileFormat::Aiff);
    EXPECT_FALSE(formatFromName("mp3"));
    EXPECT_EQ(formatFromExtension("/x/y.WAV"), FileFormat::Wav);
    EXPECT_EQ(formatFromExtension("y.aif"), FileFormat::Aiff);
    EXPECT_EQ(formatFromExtension("y.aiff"), FileFormat::Aiff);
    EXPECT_EQ(formatFromExtension("y.oga"), FileFormat::Ogg);
    EXPECT_FALSE(formatFromExtension("y.raw"));
    EXPECT_FALSE(formatFromExtension("noextension"));
    EXPECT_EQ(containerOf(SF_FORMAT_WAVEX | SF_FORMAT_PCM_24), FileFormat::Wav);

    // The input's encoding survives where the target can hold it...
    EXPECT_EQ(outputFormat(FileFormat::Wav, SF_FORMAT_WAV | SF_FORMAT_PCM_24), SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    EXPECT_EQ(outputFormat(FileFormat::Flac, SF_FORMAT_WAV | SF_FORMAT_PCM_16), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(outputFormat(FileFormat::Aiff, SF_FORMAT_FLAC | SF_FORMAT_PCM_24), SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
    EXPECT_EQ(outputFormat(FileFormat::Wav, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT), SF_FORMAT_WAVEX | SF_FORMAT_FLOAT);
    // ...else the target's usual one.
    EXPECT_EQ(outputFormat(FileFormat::Flac, SF_FORMAT_WAV | SF_FORMAT_FLOAT), SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(outputFormat(FileFormat::Ogg, SF_FORMAT_WAV | SF_FORMAT_PCM_16), SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    EXPECT_EQ(outputFormat(FileFormat::Wav, SF_FORMAT_OGG | SF_FORMAT_VORBIS), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
}

TEST(AudioFile, ReportsUnreadableInputs)
{
    TempFolder folder;
    EXPECT_NE(errorOf([&] { readAudioFile(folder / "missing.wav"); }).find("no such file"), std::string::npos);
    EXPECT_NE(errorOf([&] { readAudioFile(folder.path.string()); }).find("folder"), std::string::npos);
    std::ofstream(folder / "text.wav") << "this is not audio at all, just some text";
    EXPECT_NE(errorOf([&] { readAudioFile(folder / "text.wav"); }).find("cannot read"), std::string::npos);

    AudioData surround;
    surround.channels = 3;
    surround.samples.assign(300, 0.1);
    writeAudioFile(folder / "three.wav", surround, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_NE(errorOf([&] { readAudioFile(folder / "three.wav"); }).find("3 channels"), std::string::npos);

    AudioData mono = test::sineSignal(1, 100);
    writeAudioFile(folder / "x.au", mono, SF_FORMAT_AU | SF_FORMAT_PCM_16);
    EXPECT_NE(errorOf([&] { readAudioFile(folder / "x.au"); }).find("unsupported format"), std::string::npos);
}

TEST(AudioFile, FailedWritesLeaveNothingBehind)
{
    TempFolder folder;
    const AudioData audio = test::sineSignal(2, 100);
    EXPECT_NE(errorOf([&] { writeAudioFile(folder / "no/such/folder/out.wav", audio, SF_FORMAT_WAV | SF_FORMAT_PCM_16); })
                  .find("cannot write"),
              std::string::npos);
    // FLAC cannot hold 64-bit floats.
    std::ofstream(folder / "keep.flac") << "previous content";
    EXPECT_NE(errorOf([&] { writeAudioFile(folder / "keep.flac", audio, SF_FORMAT_FLAC | SF_FORMAT_DOUBLE); }).find("cannot write"),
              std::string::npos);
    EXPECT_EQ(test::slurp(folder / "keep.flac"), "previous content") << "the old file stays untouched";
    EXPECT_EQ(folder.names(), std::vector<std::string>{"keep.flac"});
}
