#pragma once

#include "audio_file.h"

#include "pluginterfaces/vst/vsttypes.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace render {

// A mistake on the command line; main() prints it with a hint to --help.
class UsageError : public std::runtime_error
{
public:
	using std::runtime_error::runtime_error;
};

// A musical position measured from the start of the project (0bar = the very beginning,
// 1bar = where the second bar starts). 4/4 time: one bar is four beats (quarter notes).
struct Position
{
	double beats = 0.0;
	std::string text; // as given on the command line, for messages

	Position () = default;
	explicit Position (double beats_, std::string text_ = {}) : beats (beats_), text (std::move (text_)) {}
};

// Chopwright's parameter ids and normalised values, as the host sees them.
namespace params {
constexpr Steinberg::Vst::ParamID kBreak = 0;
constexpr Steinberg::Vst::ParamID kSliceSize = 1;
constexpr Steinberg::Vst::ParamID kGateSize = 2;
constexpr Steinberg::Vst::ParamID kBypass = 4;
} // namespace params

struct ParameterSetting
{
	Steinberg::Vst::ParamID id = 0;
	double value = 0.0; // normalised
	bool operator== (const ParameterSetting& o) const { return id == o.id && value == o.value; }
};

struct TimedSetting
{
	Position at;
	ParameterSetting setting;
};

struct Options
{
	enum class Mode
	{
		Render,
		Demo,
		Help,
		Version,
		List
	};
	Mode mode = Mode::Render;
	std::string input;
	std::string output;
	std::string pluginPath; // empty: defaultPluginPath()
	double tempo = 120.0;
	Position start;
	int blockSize = 512;
	std::optional<bool> doublePrecision;    // --double / --float; none: 64-bit when the input needs it
	std::vector<ParameterSetting> settings; // --break/--slice/--gate/--bypass, from the first sample
	std::vector<TimedSetting> changes;      // --at, in the order given
	std::optional<unsigned> seed;
	std::optional<FileFormat> format; // --format, else OUTPUT's extension; none: INPUT's format
	bool progress = false;
	bool quiet = false;
};

// "2bar", "2bars", "3.5beat", "3.5beats"; a plain number counts bars.
Position parsePosition (const std::string& text);
// "break=on", "slice=1/4", "gate=0.5", "bypass=off".
ParameterSetting parseSetting (const std::string& name, const std::string& value);
// "POSITION:NAME=VALUE[,NAME=VALUE...]".
std::vector<TimedSetting> parseTimedSettings (const std::string& text);

// args excludes the program name. No arguments at all selects the demo. Throws UsageError,
// also for options the chosen mode does not use and for an OUTPUT whose format is unknown.
Options parseArguments (const std::vector<std::string>& args);
std::string helpText ();
std::string versionText ();

// The bundle in the build tree, else ~/.vst3/Chopwright.vst3; throws std::runtime_error
// when neither holds a complete bundle.
std::string defaultPluginPath ();

} // namespace render
