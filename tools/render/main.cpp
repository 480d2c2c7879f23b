// chopwright-render: plays audio files through the Chopwright VST 3 plug-in offline.
#include "options.h"
#include "plugin_report.h"
#include "renderer.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// "m:ss", or "h:mm:ss" from an hour on.
std::string clockTime (double seconds)
{
	const long s = static_cast<long> (seconds + 0.5);
	char text[32];
	if (s >= 3600)
		std::snprintf (text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
	else
		std::snprintf (text, sizeof text, "%ld:%02ld", s / 60, s % 60);
	return text;
}

// The progress line on standard error, for people watching: a terminal, or when asked for.
// Reading, processing and writing happen together as the audio streams, so one line covers
// them: the share done, the time taken and an estimate of the time left. The summary line
// replaces it at the end.
class ProgressLine
{
public:
	explicit ProgressLine (const render::Options& options)
	    : shown_ (!options.quiet && (options.progress || isatty (STDERR_FILENO))), quiet_ (options.quiet)
	{}

	render::Progress reporter ()
	{
		if (!shown_)
			return nullptr;
		return [this] (int64_t done, int64_t total) {
			const double elapsed = std::chrono::duration<double> (Clock::now () - started_).count ();
			if (elapsed - drawn_ < 0.2 && drawn_ >= 0.0)
				return;
			drawn_ = elapsed;
			std::string text;
			if (total > 0 && done > 0)
			{
				// Never 100% before the file is complete: the summary line says that.
				const int percent = static_cast<int> (std::min<int64_t> (99, done * 100 / total));
				const double left = elapsed * static_cast<double> (total - done) / static_cast<double> (done);
				text = std::to_string (percent) + "%  " + clockTime (elapsed) + " elapsed, about " +
				       clockTime (left) + " left";
			}
			else
				text = std::to_string (done) + " frames  " + clockTime (elapsed) + " elapsed";
			std::fprintf (stderr, "\rchopwright-render: %-50s", text.c_str ());
			std::fflush (stderr);
			open_ = true;
		};
	}

	// frames, duration, real-time factor
	void summary (const render::RenderSummary& s, const std::string& output)
	{
		if (quiet_)
			return;
		const double elapsed = std::chrono::duration<double> (Clock::now () - started_).count ();
		const double seconds = s.sampleRate > 0 ? static_cast<double> (s.frames) / s.sampleRate : 0.0;
		char text[256];
		std::snprintf (text, sizeof text, "%s: %lld frames (%s at %d Hz) in %.2f s, %.1fx real time",
		               output.c_str (), static_cast<long long> (s.frames), clockTime (seconds).c_str (),
		               s.sampleRate, elapsed, elapsed > 0.0 ? seconds / elapsed : 0.0);
		std::fprintf (stderr, "%schopwright-render: %-50s\n", open_ ? "\r" : "", text);
		open_ = false;
	}

	// An error message must start on a fresh line.
	void breakLine ()
	{
		if (open_)
			std::fputc ('\n', stderr);
		open_ = false;
	}

private:
	bool shown_;
	bool quiet_;
	bool open_ = false;
	double drawn_ = -1.0;
	Clock::time_point started_ = Clock::now ();
};

} // namespace

int main (int argc, char** argv)
{
	render::Options options;
	try
	{
		options = render::parseArguments (std::vector<std::string> (argv + 1, argv + argc));
	}
	catch (const render::UsageError& e)
	{
		std::cerr << "chopwright-render: " << e.what () << " (see --help)\n";
		return 2;
	}

	ProgressLine line (options);
	try
	{
		switch (options.mode)
		{
			case render::Options::Mode::Help:
				std::cout << render::helpText ();
				break;
			case render::Options::Mode::Version:
				std::cout << render::versionText ();
				break;
			case render::Options::Mode::List:
				render::describePlugin (options.pluginPath.empty () ? render::defaultPluginPath ()
				                                                    : options.pluginPath,
				                        std::cout);
				break;
			case render::Options::Mode::Demo:
			{
				render::removeTemporaryFilesOnSignals ();
				const auto files = render::runDemo (options, ".", line.reporter ());
				line.summary (files.summary, files.output);
				if (!options.quiet)
					std::cerr << "chopwright-render: the demo's input is " << files.input << "\n";
				break;
			}
			case render::Options::Mode::Render:
				render::removeTemporaryFilesOnSignals ();
				line.summary (render::renderFile (options, line.reporter ()),
				              options.output == "-" ? "standard output" : options.output);
				break;
		}
	}
	catch (const render::UsageError& e)
	{
		line.breakLine ();
		std::cerr << "chopwright-render: " << e.what () << " (see --help)\n";
		return 2;
	}
	catch (const std::exception& e)
	{
		line.breakLine ();
		std::cerr << "chopwright-render: error: " << e.what () << "\n";
		return 1;
	}
	return 0;
}
