#pragma once

#include "audio_file.h"
#include "options.h"

#include <functional>
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
    std::function<void(double)> progress; // fraction done, called now and then
};

RenderSettings settingsFrom(const Options& options); // plugin path resolved

// Loads the plug-in through its VST 3 interfaces and plays input through it from the start
// position with the transport running. Throws std::runtime_error (hosting::Error included).
AudioData renderAudio(const AudioData& input, const RenderSettings& settings);

// INPUT → OUTPUT as the command line asks.
void renderFile(const Options& options, const std::function<void(double)>& progress);

struct DemoFiles
{
    std::string input;
    std::string output;
};
// Writes the demo input and its rendering into folder.
DemoFiles runDemo(const Options& options, const std::string& folder, const std::function<void(double)>& progress);

} // namespace render
