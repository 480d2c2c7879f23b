// chopwright-render: plays audio files through the Chopwright VST 3 plug-in offline.
#include "options.h"
#include "plugin_report.h"
#include "renderer.h"

#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace {

bool progressLineOpen = false; // an error message must start on a fresh line

// Progress on stderr, only for people watching: a terminal, or when asked for.
std::function<void(double)> progressReporter(bool wanted)
{
    if (!wanted && !isatty(STDERR_FILENO))
        return nullptr;
    return [shown = -1](double fraction) mutable {
        const int percent = static_cast<int>(fraction * 100.0);
        if (percent == shown)
            return;
        shown = percent;
        std::fprintf(stderr, "\rchopwright-render: %3d%%%s", percent, percent >= 100 ? "\n" : "");
        progressLineOpen = percent < 100;
        std::fflush(stderr);
    };
}

} // namespace

int main(int argc, char** argv)
{
    render::Options options;
    try
    {
        options = render::parseArguments(std::vector<std::string>(argv + 1, argv + argc));
    }
    catch (const render::UsageError& e)
    {
        std::cerr << "chopwright-render: " << e.what() << " (see --help)\n";
        return 2;
    }

    try
    {
        switch (options.mode)
        {
        case render::Options::Mode::Help:
            std::cout << render::helpText();
            break;
        case render::Options::Mode::List:
            render::describePlugin(options.pluginPath.empty() ? render::defaultPluginPath() : options.pluginPath, std::cout);
            break;
        case render::Options::Mode::Demo:
        {
            const auto files = render::runDemo(options, ".", progressReporter(options.progress));
            std::cout << "input:  " << files.input << "\noutput: " << files.output << "\n";
            break;
        }
        case render::Options::Mode::Render:
            render::renderFile(options, progressReporter(options.progress));
            break;
        }
    }
    catch (const std::exception& e)
    {
        std::cerr << (progressLineOpen ? "\n" : "") << "chopwright-render: error: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
