#include "options.h"

#include "hosting/module.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#ifndef CHOPWRIGHT_DEFAULT_PLUGIN
#define CHOPWRIGHT_DEFAULT_PLUGIN "Chopwright.vst3"
#endif
#ifndef CHOPWRIGHT_RENDER_VERSION
#define CHOPWRIGHT_RENDER_VERSION "unknown"
#endif

namespace render {
namespace {

double parseNumber (const std::string& text, const std::string& what)
{
	errno = 0;
	char* end = nullptr;
	const double value = text.empty () || std::isspace (static_cast<unsigned char> (text[0]))
	                         ? NAN
	                         : std::strtod (text.c_str (), &end);
	if (!end || *end != '\0' || errno == ERANGE || !std::isfinite (value))
		throw UsageError ("invalid " + what + " '" + text + "': expected a number");
	return value;
}

long long parseInteger (const std::string& text, const std::string& what, long long min, long long max)
{
	errno = 0;
	char* end = nullptr;
	const long long value =
	    text.empty () || !(std::isdigit (static_cast<unsigned char> (text[0])) || text[0] == '-')
	        ? 0
	        : std::strtoll (text.c_str (), &end, 10);
	if (!end || *end != '\0' || errno == ERANGE)
		throw UsageError ("invalid " + what + " '" + text + "': expected a whole number");
	if (value < min || value > max)
		throw UsageError (what + " " + text + " is out of range " + std::to_string (min) + ".." +
		                  std::to_string (max));
	return value;
}

bool endsWith (const std::string& text, const std::string& suffix)
{
	return text.size () >= suffix.size () &&
	       text.compare (text.size () - suffix.size (), suffix.size (), suffix) == 0;
}

bool parseSwitch (const std::string& name, const std::string& value)
{
	if (value == "on")
		return true;
	if (value == "off")
		return false;
	throw UsageError ("invalid " + name + " value '" + value + "': expected on or off");
}

} // namespace

Position parsePosition (const std::string& text)
{
	// Longest suffix first so "bars" is not read as "bar" + "s".
	static const std::pair<const char*, double> units[] = {
	    {"bars", 4.0}, {"bar", 4.0}, {"beats", 1.0}, {"beat", 1.0}};
	double perUnit = 4.0; // a plain number counts bars
	std::string number = text;
	for (const auto& [suffix, beats] : units)
		if (endsWith (text, suffix))
		{
			number = text.substr (0, text.size () - std::string (suffix).size ());
			perUnit = beats;
			break;
		}
	// Counted as musicians and DAWs do: bar 1, beat 1 is where the project starts.
	const double amount = parseNumber (number, "position");
	if (amount < 1)
		throw UsageError ("invalid position '" + text + "': bars and beats count from 1");
	const double beats = (amount - 1) * perUnit;
	if (!std::isfinite (beats))
		throw UsageError ("position '" + text + "' is too far to place on a sample");
	return Position {beats, text};
}

ParameterSetting parseSetting (const std::string& name, const std::string& value)
{
	if (name == "break")
		return {params::kBreak, parseSwitch (name, value) ? 1.0 : 0.0};
	if (name == "bypass")
		return {params::kBypass, parseSwitch (name, value) ? 1.0 : 0.0};
	if (name == "slice")
	{
		if (value == "1")
			return {params::kSliceSize, 0.0};
		if (value == "1/2")
			return {params::kSliceSize, 0.5};
		if (value == "1/4")
			return {params::kSliceSize, 1.0};
		throw UsageError ("invalid slice value '" + value + "': expected 1, 1/2 or 1/4 (beats)");
	}
	if (name == "gate")
	{
		const double gate = parseNumber (value, "gate value");
		if (gate < 0.0 || gate > 1.0)
			throw UsageError ("invalid gate value '" + value + "': expected 0 to 1");
		return {params::kGateSize, gate};
	}
	throw UsageError ("unknown parameter '" + name + "': expected break, slice, gate or bypass");
}

std::vector<TimedSetting> parseTimedSettings (const std::string& text)
{
	const size_t colon = text.find (':');
	if (colon == std::string::npos)
		throw UsageError ("invalid --at '" + text + "': expected POSITION:NAME=VALUE, e.g. 2bar:break=on");
	const Position at = parsePosition (text.substr (0, colon));
	std::vector<TimedSetting> out;
	size_t from = colon + 1;
	for (;;)
	{
		const size_t comma = text.find (',', from);
		const std::string item =
		    text.substr (from, comma == std::string::npos ? std::string::npos : comma - from);
		const size_t equals = item.find ('=');
		if (equals == std::string::npos)
			throw UsageError ("invalid --at '" + text + "': '" + item + "' is not NAME=VALUE");
		out.push_back ({at, parseSetting (item.substr (0, equals), item.substr (equals + 1))});
		if (comma == std::string::npos)
			break;
		from = comma + 1;
	}
	return out;
}

Options parseArguments (const std::vector<std::string>& args)
{
	Options options;
	if (args.empty ())
	{
		options.mode = Options::Mode::Demo;
		return options;
	}
	std::vector<std::string> positional;
	std::vector<std::string> given; // option names, for the modes that use only some
	for (size_t i = 0; i < args.size (); ++i)
	{
		std::string arg = args[i];
		std::optional<std::string> attached; // --name=value
		if (arg.rfind ("--", 0) == 0 && arg.find ('=') != std::string::npos)
		{
			attached = arg.substr (arg.find ('=') + 1);
			arg = arg.substr (0, arg.find ('='));
		}
		if (arg == "-q")
			arg = "--quiet";
		if (arg.size () > 1 && arg[0] == '-')
			given.push_back (arg);
		auto value = [&] () -> std::string {
			if (attached)
				return *attached;
			if (i + 1 >= args.size ())
				throw UsageError ("option " + arg + " needs a value");
			return args[++i];
		};
		auto flag = [&] {
			if (attached)
				throw UsageError ("option " + arg + " takes no value");
		};

		if (arg == "--help" || arg == "-h" || arg == "--version")
		{
			flag ();
			options.mode = arg == "--version" ? Options::Mode::Version : Options::Mode::Help;
			return options;
		}
		else if (arg == "--list" || arg == "--demo" || arg == "--progress" || arg == "--quiet")
		{
			flag ();
			if (arg == "--list")
				options.mode = Options::Mode::List;
			else if (arg == "--demo")
				options.mode = Options::Mode::Demo;
			else if (arg == "--progress")
				options.progress = true;
			else
				options.quiet = true;
		}
		else if (arg == "--double" || arg == "--float")
		{
			flag ();
			if (options.doublePrecision && *options.doublePrecision != (arg == "--double"))
				throw UsageError ("--float and --double exclude each other");
			options.doublePrecision = arg == "--double";
		}
		else if (arg == "--tempo")
		{
			options.tempo = parseNumber (value (), "tempo");
			if (options.tempo < 20.0 || options.tempo > 999.0)
				throw UsageError ("tempo must be between 20 and 999 BPM");
		}
		else if (arg == "--start")
			options.start = parsePosition (value ());
		else if (arg == "--block")
			options.blockSize = static_cast<int> (parseInteger (value (), "block size", 1, 65536));
		else if (arg == "--seed")
			options.seed = static_cast<unsigned> (parseInteger (value (), "seed", 0, 4294967295LL));
		else if (arg == "--plugin")
			options.pluginPath = value ();
		else if (arg == "--format")
		{
			const std::string name = value ();
			options.format = formatFromName (name);
			if (!options.format)
				throw UsageError ("unknown format '" + name + "': expected wav, flac, aiff or ogg");
		}
		else if (arg == "--break" || arg == "--slice" || arg == "--gate" || arg == "--bypass")
			options.settings.push_back (parseSetting (arg.substr (2), value ()));
		else if (arg == "--at")
		{
			auto timed = parseTimedSettings (value ());
			options.changes.insert (options.changes.end (), timed.begin (), timed.end ());
		}
		else if (arg.size () > 1 && arg[0] == '-')
			throw UsageError ("unknown option '" + arg + "'");
		else
			positional.push_back (arg);
	}

	if (options.mode == Options::Mode::Render)
	{
		if (positional.size () != 2)
			throw UsageError (positional.empty ()       ? "missing INPUT and OUTPUT files"
			                  : positional.size () == 1 ? "missing OUTPUT file"
			                                            : "too many file arguments: expected INPUT OUTPUT");
		options.input = positional[0];
		options.output = positional[1];
		if (!options.format && options.output == "-")
			throw UsageError ("standard output needs --format wav or --format flac");
		const std::string extension = std::filesystem::path (options.output).extension ().string ();
		if (!options.format && !extension.empty ())
		{
			options.format = formatFromExtension (options.output);
			if (!options.format)
				throw UsageError ("unknown output extension '" + extension +
				                  "': use .wav, .flac, .aif, .aiff or .ogg, or say --format");
		}
		if (options.output == "-" && options.format == FileFormat::Aiff)
			throw UsageError ("standard output takes WAV or FLAC, not AIFF");
		return options;
	}
	if (!positional.empty ())
		throw UsageError ("unexpected argument '" + positional[0] + "'");
	// The demo and --list take only what they use, so nothing given is silently ignored.
	const bool demo = options.mode == Options::Mode::Demo;
	const std::vector<std::string> used =
	    demo ? std::vector<std::string> {"--demo",   "--plugin", "--block",    "--float",
	                                     "--double", "--seed",   "--progress", "--quiet"}
	         : std::vector<std::string> {"--list", "--plugin"};
	for (const auto& name : given)
		if (std::find (used.begin (), used.end (), name) == used.end ())
			throw UsageError (std::string (demo ? "the demo" : "--list") + " does not use " + name);
	return options;
}

std::string defaultPluginPath ()
{
	const std::string built = CHOPWRIGHT_DEFAULT_PLUGIN;
	const char* home = std::getenv ("HOME");
	const std::string installed = std::string (home ? home : "~") + "/.vst3/Chopwright.vst3";
	for (const std::string& candidate : {built, installed})
	{
		try
		{
			hosting::Module::resolveBinaryPath (candidate); // a complete bundle, not just its folder
			return candidate;
		}
		catch (const hosting::Error&)
		{}
	}
	throw std::runtime_error ("no Chopwright bundle in " + built + " or " + installed +
	                          "; build the Chopwright target or pass --plugin PATH");
}

std::string helpText ()
{
	return R"(Usage: chopwright-render [options] INPUT OUTPUT
       chopwright-render [--demo] [options]      (no arguments: the demo)
       chopwright-render --list [--plugin PATH]

Plays an audio file through the Chopwright VST 3 plug-in with a simulated transport,
like a host would offline, and writes the result. It streams: memory use does not grow
with the file's length.

Files: WAV, FLAC, AIFF or OGG, mono or stereo. OUTPUT keeps the sample rate, channel count,
sample encoding (where its format holds it) and tags (title, artist, ...) of INPUT. Its format
comes from --format, else from OUTPUT's extension (.wav, .flac, .aif/.aiff, .ogg; any other
extension is an error), else (no extension) it is INPUT's format. "-" as INPUT reads standard
input, as OUTPUT writes standard output (with --format); pipes carry WAV or FLAC.
OUTPUT is written to a temporary file next to it and renamed into place at the end; a
device or FIFO is written into, a symlink's target replaced. OUTPUT may not be INPUT.
An INPUT that holds fewer frames than its header announces (a truncated file) is an error.

Positions count bars and beats in 4/4 from 1, as a DAW shows them: 1bar (or 1beat) is the
start of the project, 2bar where the second bar starts, 2.5beat half way through the second
beat. Suffixes: bar, bars, beat, beats; a plain number counts bars. Positions beyond 2^53
samples cannot be placed exactly and are refused.

Transport:
  --tempo BPM          tempo, 20..999 (default 120)
  --start POSITION     project position of INPUT's first sample (default 1bar)
  --block N            largest block in samples, 1..65536 (default 512)
  --float, --double    process 32-bit or 64-bit samples (default: 64-bit when INPUT's
                       samples do not fit a float exactly, 32-bit integer or 64-bit float;
                       so with Break off the output equals the input bit for bit)

Parameters (from the first sample):
  --break on|off       Break
  --slice 1|1/2|1/4    SliceSize in beats
  --gate 0..1          GateSize
  --bypass on|off      Bypass
  --at POSITION:NAME=VALUE[,NAME=VALUE...]
                       change parameters at a position, e.g. --at 2bar:break=on
                       --at 6bar:break=off,slice=1/4 (repeatable; NAME is break,
                       slice, gate or bypass). The change lands on the exact sample:
                       a new block starts there. Changes before --start apply from
                       the first sample.

Other:
  --seed N             srand(N) once the plug-in exists, so a render repeats exactly:
                       the same INPUT, options and seed give a byte-identical WAV, AIFF
                       or FLAC file; an OGG file holds the same audio in a container
                       that differs (a random stream serial number)
  --plugin PATH        the bundle (NAME.vst3) or its .so; default: the build tree's
                       Chopwright.vst3, else ~/.vst3/Chopwright.vst3
  --format wav|flac|aiff|ogg
  --progress           show progress on stderr (shown anyway when it is a terminal)
  -q, --quiet          no progress and no summary line, only errors
  --list               print the plug-in's classes, buses, parameters and units
  --demo               synthesise an 8-bar drum loop (44.1 kHz stereo, 120 BPM), render
                       it with Break on from the second bar and write
                       chopwright-demo-input.wav and chopwright-demo-output.wav here
                       (seed 1 unless --seed; --plugin, --block, --float, --double,
                       --progress and --quiet apply, other options are an error)
  --version            the version
  --help               this text

Messages, progress and the summary line go to standard error; standard output carries
only audio ("-"), --list, --help and --version.
Exit status: 0 success, 1 failure (files, plug-in), 2 bad command line.
)";
}

std::string versionText () { return std::string ("chopwright-render ") + CHOPWRIGHT_RENDER_VERSION + "\n"; }

} // namespace render
