#include "renderer.h"

#include "drums.h"
#include "schedule.h"

#include "hosting/block_processor.h"
#include "hosting/host_context.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

using namespace Steinberg;

namespace render {

RenderSettings settingsFrom(const Options& options)
{
    RenderSettings s;
    s.pluginPath = options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath;
    s.tempo = options.tempo;
    s.start = options.start;
    s.blockSize = options.blockSize;
    s.doublePrecision = options.doublePrecision;
    s.settings = options.settings;
    s.changes = options.changes;
    s.seed = options.seed;
    return s;
}

AudioData renderAudio(const AudioData& input, const RenderSettings& settings)
{
    if (input.channels != 1 && input.channels != 2)
        throw std::runtime_error("only mono and stereo audio can be rendered");
    const hosting::Transport transport{static_cast<double>(input.sampleRate), settings.tempo};
    const int64_t startSample = transport.sampleAt(settings.start.beats);
    const int64_t frames = input.frames();
    const auto changes = scheduleChanges(settings.settings, settings.changes, transport, startSample, frames);
    const auto blocks = planBlocks(frames, settings.blockSize, changes);

    hosting::HostContext host;
    auto module = hosting::Module::load(settings.pluginPath);
    hosting::PluginInstance plugin(module, &host);
    // The plug-in seeds rand() with the time when it is created; reseeding afterwards makes
    // its random choices repeat from run to run.
    if (settings.seed)
        std::srand(*settings.seed);

    hosting::ProcessingSetup setup;
    setup.sampleRate = input.sampleRate;
    setup.maxBlockSize = settings.blockSize;
    setup.channels = input.channels;
    setup.doublePrecision = settings.doublePrecision;
    setup.processMode = Vst::kOffline;
    plugin.activate(setup);
    hosting::BlockProcessor processor(plugin, 8, 4);

    AudioData output;
    output.sampleRate = input.sampleRate;
    output.channels = input.channels;
    output.samples.assign(input.samples.size(), 0.0);
    const int channels = input.channels;
    for (size_t b = 0; b < blocks.size(); ++b)
    {
        const Block& block = blocks[b];
        for (int32_t i = 0; i < block.length; ++i)
            for (int c = 0; c < channels; ++c)
                processor.input().set(c, i, input.samples[static_cast<size_t>((block.frame + i) * channels + c)]);
        for (size_t k = block.firstChange; k < block.firstChange + block.changeCount; ++k)
            if (!processor.changes().addPoint(changes[k].setting.id, 0, changes[k].setting.value))
                throw std::runtime_error("too many parameter changes at one position");
        if (processor.process(block.length, transport, startSample + block.frame) != kResultOk)
            throw std::runtime_error("the plug-in failed to process the block at frame " + std::to_string(block.frame));
        for (int32_t i = 0; i < block.length; ++i)
            for (int c = 0; c < channels; ++c)
                output.samples[static_cast<size_t>((block.frame + i) * channels + c)] = processor.output().get(c, i);
        if (settings.progress && (b % 64 == 0 || b + 1 == blocks.size()))
            settings.progress(static_cast<double>(block.frame + block.length) / static_cast<double>(frames));
    }
    plugin.deactivate();
    return output;
}

void renderFile(const Options& options, const std::function<void(double)>& progress)
{
    const AudioFile input = readAudioFile(options.input);
    // --format, else OUTPUT's extension, else the input's container.
    const FileFormat target = options.format ? *options.format
                                             : formatFromExtension(options.output).value_or(containerOf(input.sndfileFormat));
    RenderSettings settings = settingsFrom(options);
    settings.progress = progress;
    const AudioData output = renderAudio(input.audio, settings);
    writeAudioFile(options.output, output, outputFormat(target, input.sndfileFormat));
}

DemoFiles runDemo(const Options& options, const std::string& folder, const std::function<void(double)>& progress)
{
    namespace fs = std::filesystem;
    const fs::path where = fs::absolute(folder).lexically_normal();
    DemoFiles files{(where / "chopwright-demo-input.wav").string(), (where / "chopwright-demo-output.wav").string()};
    const int wav16 = wav16Format();
    writeAudioFile(files.input, synthesizeDrumLoop({44100, 120.0, 8}), wav16);

    // Render what the file holds (16-bit), exactly as a user's run on it would.
    try
    {
        const AudioFile input = readAudioFile(files.input);
        RenderSettings settings = settingsFrom(options);
        settings.tempo = 120.0;
        settings.start = Position{};
        settings.settings.clear();
        settings.changes = {{Position{4.0}, {params::kBreak, 1.0}}}; // Break on from the second bar
        settings.seed = options.seed ? options.seed : std::optional<unsigned>(1);
        settings.progress = progress;
        writeAudioFile(files.output, renderAudio(input.audio, settings), wav16);
    }
    catch (...)
    {
        std::filesystem::remove(files.input); // no half-finished demo
        throw;
    }
    return files;
}

} // namespace render
