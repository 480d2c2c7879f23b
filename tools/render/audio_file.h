#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace render {

enum class FileFormat
{
	Wav,
	Flac,
	Aiff,
	Ogg
};

// Interleaved samples in [-1, 1] with their rate and channel count.
struct AudioData
{
	int sampleRate = 44100;
	int channels = 2;
	std::vector<double> samples;

	int64_t frames () const { return channels > 0 ? static_cast<int64_t> (samples.size ()) / channels : 0; }
};

// String tags (title, artist, ...) by libsndfile id: SF_STR_TITLE, SF_STR_ARTIST, ...
using Tags = std::vector<std::pair<int, std::string>>;

struct AudioFile
{
	AudioData audio;
	int sndfileFormat = 0; // major | subtype, as libsndfile reports it
	Tags tags;
};

std::optional<FileFormat> formatFromName (const std::string& name);      // "wav", "flac", "aiff", "ogg"
std::optional<FileFormat> formatFromExtension (const std::string& path); // ".wav", ".aif", ...
// The container of a libsndfile format code (WAVEX and RF64 count as WAV).
FileFormat containerOf (int sndfileFormat);
// 16-bit PCM WAV, as libsndfile spells it.
int wav16Format ();

// The libsndfile format for writing target: the input's sample encoding where the target
// can hold it, else the target's usual one (24-bit PCM for FLAC, float for WAV/AIFF, Vorbis).
int outputFormat (FileFormat target, int inputSndfileFormat);

// True when the samples of this format do not all fit a float exactly (32-bit integers,
// 64-bit floats), so 32-bit processing would change them.
bool needsDoublePrecision (int sndfileFormat);

// The 44-byte header of a plain PCM or IEEE-float WAV holding frames frames.
std::string wavHeader (int sampleRate, int channels, int sndfileSubtype, int64_t frames);

// A mono or stereo WAV, FLAC, AIFF or OGG file read block by block; "-" is standard input.
// Pipes (standard input, a FIFO) carry WAV, FLAC or AIFF. Throws std::runtime_error.
class AudioReader
{
public:
	explicit AudioReader (const std::string& path);
	~AudioReader ();

	int sampleRate () const;
	int channels () const;
	int sndfileFormat () const;
	// The length the header announces; none for a stream that does not say.
	std::optional<int64_t> frames () const;
	const Tags& tags () const;

	// Reads up to count interleaved frames; fewer only at the end. Throws when the file ends
	// before the length its header announces.
	int64_t read (double* interleaved, int64_t count);

private:
	struct Impl;
	std::unique_ptr<Impl> impl_;
};

// Writes an audio file block by block. A regular file (also one behind a symlink) is written
// to a temporary file in its folder and renamed over it by finish(); anything else (a device,
// a FIFO, "-" for standard output) is written through. The temporary file is removed on any
// error, and on SIGINT, SIGTERM and SIGHUP once removeTemporaryFilesOnSignals() has run.
class AudioWriter
{
public:
	// Opens the destination, so a missing folder or a read-only file shows before any work.
	explicit AudioWriter (const std::string& path);
	~AudioWriter ();

	// frames: the length when known; a WAV on a pipe needs it for its header.
	void start (int sampleRate, int channels, int sndfileFormat, const Tags& tags,
	            std::optional<int64_t> frames);
	void write (const double* interleaved, int64_t count);
	void finish ();

private:
	struct Impl;
	std::unique_ptr<Impl> impl_;
};

// Whole files at once, for short audio.
AudioFile readAudioFile (const std::string& path);
void writeAudioFile (const std::string& path, const AudioData& audio, int sndfileFormat,
                     const Tags& tags = {});

// True when a and b are the same existing file (device and inode, whatever the spelling).
bool sameFile (const std::string& a, const std::string& b);

// From now on SIGINT, SIGTERM and SIGHUP remove the temporary file being written, then end
// the process as the signal would have.
void removeTemporaryFilesOnSignals ();

} // namespace render
