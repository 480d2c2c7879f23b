#pragma once

#include "audio_file.h"
#include "options.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace render {

struct RenderSettings
{
	std::string pluginPath;
	double tempo = 120.0;
	Position start;
	int blockSize = 512;
	bool doublePrecision = false;
	std::vector<ParameterSetting> settings;
	std::vector<TimedSetting> changes;
	std::optional<unsigned> seed;
	std::function<void (int64_t)> progress; // frames done, called now and then and at the end
};

RenderSettings settingsFrom (const Options& options); // plugin path resolved, precision 32-bit unless asked

// Fills up to count interleaved frames; fewer only at the end.
using FrameSource = std::function<int64_t (double* interleaved, int64_t count)>;
using FrameSink = std::function<void (const double* interleaved, int64_t count)>;

// One plug-in instance, loaded through its VST 3 interfaces and activated for a stream, that
// plays it from the start position with the transport running.
class StreamRenderer
{
public:
	// Throws std::runtime_error (hosting::Error included), UsageError for a position beyond
	// 2^53 samples.
	StreamRenderer (const RenderSettings& settings, int sampleRate, int channels);
	~StreamRenderer ();

	// Plays source through the plug-in into sink block by block until source ends; returns
	// the frame count. Memory use does not depend on the length.
	int64_t run (const FrameSource& source, const FrameSink& sink);

private:
	struct Impl;
	std::unique_ptr<Impl> impl_;
};

// The same for audio in memory.
AudioData renderAudio (const AudioData& input, const RenderSettings& settings);

// Frames done and the input's length (0 when unknown), called now and then.
using Progress = std::function<void (int64_t done, int64_t total)>;

struct RenderSummary
{
	int64_t frames = 0;
	int sampleRate = 0;
};

// INPUT → OUTPUT as the command line asks, streaming.
RenderSummary renderFile (const Options& options, const Progress& progress);

struct DemoFiles
{
	std::string input;
	std::string output;
	RenderSummary summary;
};
// Writes the demo input and its rendering into folder.
DemoFiles runDemo (const Options& options, const std::string& folder, const Progress& progress);

} // namespace render
