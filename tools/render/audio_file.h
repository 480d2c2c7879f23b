#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace render {

enum class FileFormat { Wav, Flac, Aiff, Ogg };

// Interleaved samples in [-1, 1] with their rate and channel count.
struct AudioData
{
    int sampleRate = 44100;
    int channels = 2;
    std::vector<double> samples;

    int64_t frames() const { return channels > 0 ? static_cast<int64_t>(samples.size()) / channels : 0; }
};

struct AudioFile
{
    AudioData audio;
    int sndfileFormat = 0; // major | subtype, as libsndfile reports it
};

std::optional<FileFormat> formatFromName(const std::string& name);       // "wav", "flac", "aiff", "ogg"
std::optional<FileFormat> formatFromExtension(const std::string& path);  // ".wav", ".aif", ...
const char* formatName(FileFormat format);
// The container of a libsndfile format code (WAVEX and RF64 count as WAV).
FileFormat containerOf(int sndfileFormat);
// 16-bit PCM WAV, as libsndfile spells it.
int wav16Format();

// Reads a mono or stereo WAV, FLAC, AIFF or OGG file. Throws std::runtime_error.
AudioFile readAudioFile(const std::string& path);

// The libsndfile format for writing target: the input's sample encoding where the target
// can hold it, else the target's usual one (24-bit PCM for FLAC, float for WAV/AIFF, Vorbis).
int outputFormat(FileFormat target, int inputSndfileFormat);

// Writes to a temporary file next to path and renames it into place, so a failure never
// leaves a partial file behind. Throws std::runtime_error.
void writeAudioFile(const std::string& path, const AudioData& audio, int sndfileFormat);

} // namespace render
