#include "renderer.h"

#include "drums.h"
#include "schedule.h"

#include "hosting/block_processor.h"
#include "hosting/host_context.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

using namespace Steinberg;

namespace render {
namespace {

constexpr int64_t kProgressFrames = 16384; // how often run() reports, at most

// One block between the interleaved buffer and a bus's planar channels.
template <typename Sample>
void deinterleave (const double* from, int channels, int32_t frames, int c, Sample* to)
{
	for (int32_t i = 0; i < frames; ++i)
		to[i] = static_cast<Sample> (from[static_cast<size_t> (i) * channels + c]);
}

template <typename Sample>
void interleave (const Sample* from, int channels, int32_t frames, int c, double* to)
{
	for (int32_t i = 0; i < frames; ++i)
		to[static_cast<size_t> (i) * channels + c] = from[i];
}

} // namespace

RenderSettings settingsFrom (const Options& options)
{
	RenderSettings s;
	s.pluginPath = options.pluginPath.empty () ? defaultPluginPath () : options.pluginPath;
	s.tempo = options.tempo;
	s.start = options.start;
	s.blockSize = options.blockSize;
	s.doublePrecision = options.doublePrecision.value_or (false);
	s.settings = options.settings;
	s.changes = options.changes;
	s.seed = options.seed;
	return s;
}

struct StreamRenderer::Impl
{
	hosting::HostContext host; // outlives the plug-in
	hosting::Transport transport;
	int64_t startSample = 0;
	int channels = 2;
	int32_t maxBlock = 512;
	std::vector<ParameterChange> changes;
	std::function<void (int64_t)> progress;
	std::unique_ptr<hosting::PluginInstance> plugin;
	std::unique_ptr<hosting::BlockProcessor> processor;
	std::vector<double> buffer; // one block, interleaved: the input, then the output
};

StreamRenderer::StreamRenderer (const RenderSettings& settings, int sampleRate, int channels)
    : impl_ (std::make_unique<Impl> ())
{
	if (channels != 1 && channels != 2)
		throw std::runtime_error ("only mono and stereo audio can be rendered");
	Impl& r = *impl_;
	r.transport = hosting::Transport {static_cast<double> (sampleRate), settings.tempo};
	r.startSample = exactSampleAt (r.transport, settings.start);
	r.changes = scheduleChanges (settings.settings, settings.changes, r.transport, r.startSample);
	r.channels = channels;
	r.maxBlock = settings.blockSize;
	r.progress = settings.progress;

	r.plugin =
	    std::make_unique<hosting::PluginInstance> (hosting::Module::load (settings.pluginPath), &r.host);
	// The plug-in seeds rand() with the time when it is created; reseeding afterwards makes
	// its random choices repeat from run to run.
	if (settings.seed)
		std::srand (*settings.seed);
	hosting::ProcessingSetup setup;
	setup.sampleRate = sampleRate;
	setup.maxBlockSize = settings.blockSize;
	setup.channels = channels;
	setup.doublePrecision = settings.doublePrecision;
	setup.processMode = Vst::kOffline;
	r.plugin->activate (setup);
	r.processor = std::make_unique<hosting::BlockProcessor> (*r.plugin, 8, 4);
	r.buffer.resize (static_cast<size_t> (r.maxBlock) * static_cast<size_t> (channels));
}

StreamRenderer::~StreamRenderer () = default;

int64_t StreamRenderer::run (const FrameSource& source, const FrameSink& sink)
{
	Impl& r = *impl_;
	hosting::AudioBus& in = r.processor->input ();
	hosting::AudioBus& out = r.processor->output ();
	int64_t frame = 0, reported = 0;
	size_t next = 0; // first change not yet delivered
	for (;;)
	{
		Block block = nextBlock (frame, r.maxBlock, r.changes, next);
		const int64_t got = source (r.buffer.data (), block.length);
		if (got <= 0)
			break;
		if (r.startSample + frame + got > kMaxExactSample)
			throw UsageError ("the render passes 2^53 samples at frame " + std::to_string (frame) +
			                  ", where samples are no longer exact; use an earlier --start");
		const bool ended = got < block.length;
		block.length = static_cast<int32_t> (got);
		for (int c = 0; c < r.channels; ++c)
			if (in.isDouble ())
				deinterleave (r.buffer.data (), r.channels, block.length, c, in.channel64 (c));
			else
				deinterleave (r.buffer.data (), r.channels, block.length, c, in.channel32 (c));
		for (size_t k = block.firstChange; k < block.firstChange + block.changeCount; ++k)
			if (!r.processor->changes ().addPoint (r.changes[k].setting.id, 0, r.changes[k].setting.value))
				throw std::runtime_error ("too many parameter changes at one position");
		if (r.processor->process (block.length, r.transport, r.startSample + frame) != kResultOk)
			throw std::runtime_error ("the plug-in failed to process the block at frame " +
			                          std::to_string (frame));
		for (int c = 0; c < r.channels; ++c)
			if (out.isDouble ())
				interleave (out.channel64 (c), r.channels, block.length, c, r.buffer.data ());
			else
				interleave (out.channel32 (c), r.channels, block.length, c, r.buffer.data ());
		sink (r.buffer.data (), got);
		next = block.firstChange + block.changeCount;
		frame += got;
		if (r.progress && frame - reported >= kProgressFrames)
			r.progress (reported = frame);
		if (ended)
			break;
	}
	if (r.progress)
		r.progress (frame);
	return frame;
}

AudioData renderAudio (const AudioData& input, const RenderSettings& settings)
{
	StreamRenderer renderer (settings, input.sampleRate, input.channels);
	AudioData output;
	output.sampleRate = input.sampleRate;
	output.channels = input.channels;
	output.samples.reserve (input.samples.size ());
	const size_t channels = static_cast<size_t> (input.channels);
	size_t read = 0; // samples
	renderer.run (
	    [&] (double* to, int64_t count) {
		    const size_t n = std::min (static_cast<size_t> (count) * channels, input.samples.size () - read);
		    std::copy_n (input.samples.begin () + static_cast<std::ptrdiff_t> (read), n, to);
		    read += n;
		    return static_cast<int64_t> (n / channels);
	    },
	    [&] (const double* from, int64_t count) {
		    output.samples.insert (output.samples.end (), from,
		                           from + static_cast<size_t> (count) * channels);
	    });
	return output;
}

RenderSummary renderFile (const Options& options, const Progress& progress)
{
	if (sameFile (options.input, options.output))
		throw std::runtime_error ("OUTPUT '" + options.output + "' is the same file as INPUT '" +
		                          options.input + "'; write to another file");
	AudioWriter writer (options.output); // a missing folder or read-only file shows before any work
	AudioReader reader (options.input);
	const std::optional<int64_t> total = reader.frames ();
	RenderSettings settings = settingsFrom (options);
	settings.doublePrecision =
	    options.doublePrecision.value_or (needsDoublePrecision (reader.sndfileFormat ()));
	if (progress)
		settings.progress = [&] (int64_t done) { progress (done, total.value_or (0)); };
	StreamRenderer renderer (settings, reader.sampleRate (), reader.channels ());

	const FileFormat target = options.format.value_or (containerOf (reader.sndfileFormat ()));
	writer.start (reader.sampleRate (), reader.channels (), outputFormat (target, reader.sndfileFormat ()),
	              reader.tags (), total);
	RenderSummary summary;
	summary.sampleRate = reader.sampleRate ();
	summary.frames = renderer.run ([&] (double* to, int64_t count) { return reader.read (to, count); },
	                               [&] (const double* from, int64_t count) { writer.write (from, count); });
	writer.finish ();
	return summary;
}

DemoFiles runDemo (const Options& options, const std::string& folder, const Progress& progress)
{
	namespace fs = std::filesystem;
	const fs::path where = fs::absolute (folder).lexically_normal ();
	DemoFiles files {(where / "chopwright-demo-input.wav").string (),
	                 (where / "chopwright-demo-output.wav").string (),
	                 {}};
	writeAudioFile (files.input, synthesizeDrumLoop ({44100, 120.0, 8}), wav16Format ());

	// Render what the file holds (16-bit), exactly as a user's run on it would.
	try
	{
		Options demo = options;
		demo.mode = Options::Mode::Render;
		demo.input = files.input;
		demo.output = files.output;
		demo.format = FileFormat::Wav;
		demo.tempo = 120.0;
		demo.start = Position {};
		demo.settings.clear ();
		demo.changes = {{Position {4.0, "2bar"}, {params::kBreak, 1.0}}}; // Break on from the second bar
		demo.seed = options.seed.value_or (1);
		files.summary = renderFile (demo, progress);
	}
	catch (...)
	{
		fs::remove (files.input); // no half-finished demo
		throw;
	}
	return files;
}

} // namespace render
