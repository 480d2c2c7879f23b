// A console host on JUCE's VST 3 and LV2 hosting: it scans the built bundle, creates the plug-in
// and plays a generated signal through it with a running transport, the way JUCE-based Linux
// hosts and plug-in validators do. With --editor it opens the plug-in's editor in a window of its
// own instead and clicks Break (needs a display: with_xvfb.sh gives it one). With --lv2 it finds
// the LV2 plug-in in the bundle's folder, as JUCE hosts find LV2 plug-ins on their search path.
// Usage: chopwright_juce_host [--editor] PATH/Chopwright.vst3
//        chopwright_juce_host [--editor] --lv2 PATH/chopwright.lv2

#include "x11_input.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

constexpr double kSampleRate = 48000.0;
constexpr int kBlockSize = 512;
constexpr int kChannels = 2;
constexpr double kTempo = 120.0;
constexpr int kSamplesPerBeat = 24000; // 48 kHz at 120 BPM
constexpr int kSamplesPerBar = 4 * kSamplesPerBeat;
constexpr int kBars = 6;
constexpr float kInputPeak = 0.5f;
constexpr const char* kLv2Uri = "https://www.quillmarsh.com/plugins/chopwright";

// Bar numbers count from 1, as a DAW shows them.
constexpr int barStart (int bar) { return (bar - 1) * kSamplesPerBar; }

struct Failure : std::runtime_error
{
	using std::runtime_error::runtime_error;
};

void check (bool condition, const juce::String& message)
{
	if (!condition)
		throw Failure (message.toStdString ());
}

void checkEqual (const juce::String& actual, const juce::String& expected, const juce::String& what)
{
	check (actual == expected, what + " is \"" + actual + "\", expected \"" + expected + "\"");
}

void checkEqual (int actual, int expected, const juce::String& what)
{
	check (actual == expected,
	       what + " is " + juce::String (actual) + ", expected " + juce::String (expected));
}

// jassert in JUCE's hosting code reports host/plug-in disagreements; with JUCE_LOG_ASSERTIONS
// they reach this logger, and any of them fails the test.
class AssertionLog final : public juce::Logger
{
public:
	AssertionLog () { juce::Logger::setCurrentLogger (this); }
	~AssertionLog () override { juce::Logger::setCurrentLogger (nullptr); }

	void logMessage (const juce::String& message) override
	{
		std::cerr << message << '\n';
		if (message.startsWith ("JUCE Assertion failure"))
			failures.add (message);
	}

	juce::StringArray failures;
};

// A transport that plays from 0 at 120 BPM in 4/4; the host moves it to each block's start.
class Transport final : public juce::AudioPlayHead
{
public:
	void moveTo (int64_t sample) { position = sample; }

	juce::Optional<PositionInfo> getPosition () const override
	{
		const double quarterNotes = (double)position / kSamplesPerBeat;
		PositionInfo info;
		info.setTimeInSamples (position);
		info.setTimeInSeconds ((double)position / kSampleRate);
		info.setBpm (kTempo);
		info.setTimeSignature (TimeSignature {4, 4});
		info.setPpqPosition (quarterNotes);
		info.setPpqPositionOfLastBarStart (std::floor (quarterNotes / 4.0) * 4.0);
		info.setIsPlaying (true);
		return info;
	}

private:
	int64_t position = 0;
};

//==============================================================================
std::unique_ptr<juce::PluginDescription> scanBundle (juce::AudioPluginFormat& format,
                                                     const juce::String& bundle)
{
	juce::OwnedArray<juce::PluginDescription> found;
	const bool lv2 = format.getName () == "LV2";
	if (lv2)
	{
		// An LV2 host searches its folders of bundles (~/.lv2 among them, where main installed the
		// bundle) and names each plug-in by its URI.
		const auto uris = format.searchPathsForPlugins (format.getDefaultLocationsToSearch (), false, false);
		check (uris.contains (kLv2Uri), "JUCE finds no " + juce::String (kLv2Uri) +
		                                    " on its LV2 path (only " + uris.joinIntoString (", ") + ")");
		format.findAllTypesForFile (found, kLv2Uri);
	}
	else
		format.findAllTypesForFile (found, bundle);
	checkEqual (found.size (), 1, "number of plug-ins JUCE finds in " + bundle);

	const auto& d = *found[0];
	checkEqual (d.name, "Chopwright", "plug-in name");
	checkEqual (d.manufacturerName, "Quillmarsh", "vendor");
	checkEqual (d.pluginFormatName, lv2 ? "LV2" : "VST3", "format");
	if (!lv2)
	{
		checkEqual (d.version, "1.3.0.1", "version");
		check (d.category.contains ("Fx"), "category \"" + d.category + "\" does not contain Fx");
	}
	check (!d.isInstrument, "JUCE takes the effect for an instrument");
	checkEqual (d.numInputChannels, 2, "input channels");
	checkEqual (d.numOutputChannels, 2, "output channels");

	std::cout << "scan: " << d.name << " by " << d.manufacturerName << ", " << d.category << ", " << d.version
	          << ", " << d.numInputChannels << " in / " << d.numOutputChannels << " out\n";
	return std::make_unique<juce::PluginDescription> (d);
}

std::unique_ptr<juce::AudioPluginInstance> createPlugin (juce::AudioPluginFormat& format,
                                                         const juce::PluginDescription& description)
{
	juce::String error;
	auto plugin = format.createInstanceFromDescription (description, kSampleRate, kBlockSize, error);
	check (plugin != nullptr, "JUCE could not create the plug-in: " + error);
	return plugin;
}

void checkLayout (juce::AudioPluginInstance& plugin)
{
	checkEqual (plugin.getBusCount (true), 1, "input buses");
	checkEqual (plugin.getBusCount (false), 1, "output buses");
	const auto layout = plugin.getBusesLayout ();
	check (layout.getMainInputChannelSet () == juce::AudioChannelSet::stereo (),
	       "main input is " + layout.getMainInputChannelSet ().getDescription () + ", not stereo");
	check (layout.getMainOutputChannelSet () == juce::AudioChannelSet::stereo (),
	       "main output is " + layout.getMainOutputChannelSet ().getDescription () + ", not stereo");
	checkEqual (plugin.getLatencySamples (), 0, "latency");
}

juce::AudioProcessorParameter& findParameter (juce::AudioPluginInstance& plugin, const juce::String& name)
{
	for (auto* parameter : plugin.getParameters ())
		if (parameter->getName (128) == name)
			return *parameter;
	throw Failure (("no parameter named " + name).toStdString ());
}

void checkParameters (juce::AudioPluginInstance& plugin, bool lv2)
{
	// JUCE lists every controller parameter in controller order, the program change included; or
	// every LV2 control input port in port order, the lv2:enabled port named Bypass.
	const juce::StringArray expected =
	    lv2 ? juce::StringArray {"Break", "SliceSize", "GateSize", "Bypass"}
	        : juce::StringArray {"Break", "SliceSize", "GateSize", "Factory Presets", "Bypass"};
	juce::StringArray names;
	for (auto* parameter : plugin.getParameters ())
		names.add (parameter->getName (128));
	checkEqual (names.joinIntoString (", "), expected.joinIntoString (", "), "parameter list");

	auto* bypass = plugin.getBypassParameter ();
	check (bypass != nullptr, "JUCE does not recognise a bypass parameter");
	checkEqual (bypass->getName (128), expected[expected.size () - 1], "bypass parameter");
	if (lv2)
	{
		checkEqual (findParameter (plugin, "SliceSize").getNumSteps (), 3, "SliceSize steps");
		std::cout << "parameters: " << names.joinIntoString (", ") << "; bypass: " << bypass->getName (128)
		          << '\n';
		return;
	}

	auto& breakParameter = findParameter (plugin, "Break");
	checkEqual (breakParameter.getNumSteps (), 2, "Break steps");
	checkEqual (breakParameter.getCurrentValueAsText (), "OFF", "Break default");
	checkEqual (breakParameter.getText (1.0f, 16), "ON", "Break at 1");
	checkEqual (findParameter (plugin, "SliceSize").getNumSteps (), 3, "SliceSize steps");
	checkEqual (findParameter (plugin, "SliceSize").getText (1.0f, 16), "1/4 BEAT", "SliceSize at 1");

	checkEqual (plugin.getNumPrograms (), 1, "programs");
	checkEqual (plugin.getProgramName (0), "Chopwright", "program 0");

	std::cout << "parameters: " << names.joinIntoString (", ") << "; bypass: " << bypass->getName (128)
	          << '\n';
}

//==============================================================================
// Stereo white noise from a fixed generator: every run gets the same input, and no two bars
// are alike, so any replayed slice shows in the output.
juce::AudioBuffer<float> makeInput ()
{
	juce::AudioBuffer<float> input (kChannels, kBars * kSamplesPerBar);
	uint32_t state = 0x2545f491u;
	for (int i = 0; i < input.getNumSamples (); ++i)
		for (int channel = 0; channel < kChannels; ++channel)
		{
			state = state * 1664525u + 1013904223u;
			input.setSample (channel, i, 2.0f * kInputPeak * ((float)(state >> 8) / 16777216.0f - 0.5f));
		}
	return input;
}

struct BreakChange
{
	int sample;
	bool on;
};

// Plays the samples from begin to end of buffer, in place, through the prepared plug-in in blocks
// of kBlockSize with the transport running. A block that would cross a Break change is split
// there, as hosts split blocks at automation points, so that the change reaches the plug-in with
// the block starting on that sample.
void playRange (juce::AudioPluginInstance& plugin, Transport& transport, juce::AudioBuffer<float>& buffer,
                int begin, int end, const std::vector<BreakChange>& changes = {})
{
	auto& breakParameter = findParameter (plugin, "Break");
	juce::MidiBuffer midi;

	for (int start = begin; start < end;)
	{
		int length = std::min (kBlockSize, end - start);
		for (const auto& change : changes)
		{
			if (change.sample == start)
				breakParameter.setValue (change.on ? 1.0f : 0.0f);
			else if (change.sample > start && change.sample < start + length)
				length = change.sample - start;
		}

		transport.moveTo (start);
		juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers (), kChannels, start, length);
		plugin.processBlock (block, midi);
		start += length;
	}
}

juce::AudioBuffer<float> play (juce::AudioPluginInstance& plugin, const juce::AudioBuffer<float>& input,
                               const std::vector<BreakChange>& changes)
{
	Transport transport;
	plugin.setPlayHead (&transport);
	plugin.prepareToPlay (kSampleRate, kBlockSize);
	juce::AudioBuffer<float> output (input);
	playRange (plugin, transport, output, 0, output.getNumSamples (), changes);
	plugin.releaseResources ();
	plugin.setPlayHead (nullptr);
	return output;
}

// Index of the first sample in [begin, end) whose bits differ, or -1.
int firstDifference (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b, int channel,
                     int begin, int end)
{
	for (int i = begin; i < end; ++i)
		if (std::memcmp (a.getReadPointer (channel, i), b.getReadPointer (channel, i), sizeof (float)) != 0)
			return i;
	return -1;
}

void checkIdentical (const juce::AudioBuffer<float>& output, const juce::AudioBuffer<float>& input, int begin,
                     int end, const juce::String& what)
{
	for (int channel = 0; channel < kChannels; ++channel)
	{
		const int i = firstDifference (output, input, channel, begin, end);
		check (i < 0, what + ": output differs from the input at channel " + juce::String (channel) +
		                  ", sample " + juce::String (i) + " (" +
		                  juce::String (output.getSample (channel, std::max (i, 0)), 9) + " instead of " +
		                  juce::String (input.getSample (channel, std::max (i, 0)), 9) + ")");
	}
}

double rms (const juce::AudioBuffer<float>& buffer, int channel, int begin, int end)
{
	double sum = 0.0;
	for (int i = begin; i < end; ++i)
		sum += (double)buffer.getSample (channel, i) * buffer.getSample (channel, i);
	return std::sqrt (sum / (end - begin));
}

// A bar played with Break on is made of slices of the previous bar, which the noise never
// repeats. Live-input slices come only now and then, so most of the bar must differ; the
// slices keep the input's level (full gate), and no crossfade comes near doubling it.
void checkBrokenBar (const juce::AudioBuffer<float>& output, const juce::AudioBuffer<float>& input, int bar)
{
	const int begin = barStart (bar);
	const int end = barStart (bar + 1);
	const juce::String where = "bar " + juce::String (bar) + " with Break on";

	for (int channel = 0; channel < kChannels; ++channel)
	{
		int differing = 0;
		for (int i = begin; i < end; ++i)
		{
			const float sample = output.getSample (channel, i);
			check (std::isfinite (sample), where + ": sample " + juce::String (i) + " is not finite");
			check (std::abs (sample) <= 2.0f * kInputPeak, where + ": sample " + juce::String (i) + " is " +
			                                                   juce::String (sample) +
			                                                   ", over twice the input's peak");
			if (sample != input.getSample (channel, i))
				++differing;
		}
		check (differing >= kSamplesPerBar / 4, where + ": only " + juce::String (differing) +
		                                            " samples differ from the input on channel " +
		                                            juce::String (channel));

		const double ratio = rms (output, channel, begin, end) / rms (input, channel, begin, end);
		check (ratio > 0.5 && ratio < 1.5,
		       where + ": level is " + juce::String (ratio, 3) + " times the input's");
	}
}

//==============================================================================
void runPassThrough (juce::AudioPluginFormat& format, const juce::PluginDescription& description,
                     const juce::AudioBuffer<float>& input)
{
	auto plugin = createPlugin (format, description);
	const auto output = play (*plugin, input, {});
	checkIdentical (output, input, 0, input.getNumSamples (), "Break off");
	std::cout << "Break off: " << kBars << " bars identical to the input\n";
}

void runBreak (juce::AudioPluginFormat& format, const juce::PluginDescription& description,
               const juce::AudioBuffer<float>& input)
{
	auto plugin = createPlugin (format, description);
	const auto output = play (*plugin, input, {{barStart (2), true}, {barStart (5), false}});

	checkIdentical (output, input, 0, barStart (2), "bar 1 before Break");
	// The change arrives with the block starting bar 2; its fade in leaves the input at once
	// (a change arriving a block late would show up 512 samples later).
	for (int channel = 0; channel < kChannels; ++channel)
	{
		const int first = firstDifference (output, input, channel, barStart (2), barStart (3));
		check (first >= 0 && first < barStart (2) + 48,
		       "Break does not take effect within 1 ms of bar 2 on channel " + juce::String (channel) +
		           " (first change at sample " + juce::String (first) + ")");
	}
	for (int bar = 2; bar < 5; ++bar)
		checkBrokenBar (output, input, bar);
	// Switching off fades back to the input within a few milliseconds; a beat is ample.
	checkIdentical (output, input, barStart (5) + kSamplesPerBeat, input.getNumSamples (), "Break off again");
	std::cout
	    << "Break on in bars 2 to 4: bar 1 identical, bars 2-4 replaced, input again from bar 5 beat 2\n";
}

// Runs JUCE's message loop, which serves the plug-in's window and timers, until done or 5 s.
bool dispatchUntil (const std::function<bool ()>& done)
{
	const auto end = juce::Time::getMillisecondCounter () + 5000;
	while (!done ())
	{
		if (juce::Time::getMillisecondCounter () > end)
			return false;
		juce::MessageManager::getInstance ()->runDispatchLoopUntil (10);
	}
	return true;
}

// The editor in a window of JUCE's, opened and closed three times between blocks, as hosts do. In
// the second window a click on Break reaches the processor: bar 3 is sliced from bar 2.
void runEditor (juce::AudioPluginFormat& format, const juce::PluginDescription& description,
                const juce::AudioBuffer<float>& input)
{
	auto plugin = createPlugin (format, description);
	check (plugin->hasEditor (), "JUCE finds no editor");
	Transport transport;
	plugin->setPlayHead (&transport);
	plugin->prepareToPlay (kSampleRate, kBlockSize);
	juce::AudioBuffer<float> output (input);
	auto& breakParameter = findParameter (*plugin, "Break");
	playRange (*plugin, transport, output, 0, barStart (2));
	int played = barStart (2);
	// The audio keeps running while the window is open: JUCE hands an LV2 UI's port writes to the
	// plug-in, and only then to the host's parameter, with the next block.
	auto playBlock = [&] {
		playRange (*plugin, transport, output, played, played + kBlockSize);
		played += kBlockSize;
	};

	for (int round = 0; round < 3; ++round)
	{
		playBlock ();
		std::unique_ptr<juce::AudioProcessorEditor> editor (plugin->createEditorIfNeeded ());
		check (editor != nullptr, "JUCE could not create the editor");
		editor->addToDesktop (0);
		editor->setVisible (true);
		checkEqual (editor->getWidth (), 570, "editor width");
		checkEqual (editor->getHeight (), 666, "editor height");

		const auto window = (unsigned long)(juce::pointer_sized_uint)editor->getPeer ()->getNativeHandle ();
		int x = 0, y = 0;
		check (dispatchUntil ([&] { return x11input::findEmbeddedWindow (window, 570, 666, x, y); }),
		       "the plug-in's window never showed in the editor");
		if (round == 1)
		{
			// Clicked once the editor has drawn itself (the oscilloscope's panel): until then the host
			// may still be embedding the window.
			check (dispatchUntil ([&] { return x11input::showsColour (x + 420, y + 428, 138, 209, 247); }),
			       "the plug-in's window was never drawn");
			check (x11input::click (x + 35, y + 631), "no XTest on the display");
			check (dispatchUntil ([&] {
				       playBlock ();
				       return breakParameter.getValue () == 1.0f;
			       }),
			       "a click on Break did not reach the host");
		}
	}
	check (breakParameter.getValue () == 1.0f, "Break is off after the click");
	if (format.getName () == "VST3")
		checkEqual (breakParameter.getCurrentValueAsText (), "ON", "Break after the click");

	check (played < barStart (3), "the click took more than a bar to reach the host");
	playRange (*plugin, transport, output, played, barStart (4));
	plugin->releaseResources ();
	plugin->setPlayHead (nullptr);
	checkIdentical (output, input, 0, barStart (2), "bar 1, before the click");
	checkBrokenBar (output, input, 3);
	std::cout << "editor: opened three times in a JUCE window; a click on Break broke bar 3\n";
}

void runAll (juce::AudioPluginFormat& format, const juce::String& bundle)
{
	const auto description = scanBundle (format, bundle);

	{
		auto plugin = createPlugin (format, *description);
		checkLayout (*plugin);
		checkParameters (*plugin, format.getName () == "LV2");
	}

	const auto input = makeInput ();
	runPassThrough (format, *description, input);
	runBreak (format, *description, input);
}

} // namespace

// An LV2 bundle installed as a user does, into ~/.lv2, in a home of its own for the run.
class Lv2Home
{
public:
	explicit Lv2Home (const juce::String& bundle)
	{
		check (home.createDirectory () &&
		           juce::File (bundle).copyDirectoryTo (home.getChildFile (".lv2/chopwright.lv2")),
		       "cannot install " + bundle + " into " + home.getFullPathName ());
		setenv ("HOME", home.getFullPathName ().toRawUTF8 (), 1);
	}
	~Lv2Home () { home.deleteRecursively (); }

private:
	const juce::File home = juce::File::createTempFile ("home");
};

int main (int argc, char* argv[])
{
	bool editor = false, lv2 = false;
	int arg = 1;
	for (; arg < argc - 1; ++arg)
	{
		if (std::strcmp (argv[arg], "--editor") == 0)
			editor = true;
		else if (std::strcmp (argv[arg], "--lv2") == 0)
			lv2 = true;
		else
			break;
	}
	if (arg != argc - 1)
	{
		std::cerr << "usage: " << argv[0] << " [--editor] PATH/Chopwright.vst3\n"
		          << "       " << argv[0] << " [--editor] --lv2 PATH/chopwright.lv2\n";
		return 2;
	}

	if (editor)
		x11input::initialise ();
	juce::ScopedJuceInitialiser_GUI juce;
	AssertionLog assertions;

	try
	{
		const auto bundle =
		    juce::File::getCurrentWorkingDirectory ().getChildFile (argv[arg]).getFullPathName ();
		std::unique_ptr<Lv2Home> home;
		std::unique_ptr<juce::AudioPluginFormat> format;
		if (lv2)
		{
			home = std::make_unique<Lv2Home> (bundle);
			format = std::make_unique<juce::LV2PluginFormat> ();
		}
		else
			format = std::make_unique<juce::VST3PluginFormat> ();
		if (editor)
			runEditor (*format, *scanBundle (*format, bundle), makeInput ());
		else
			runAll (*format, bundle);
		check (assertions.failures.isEmpty (),
		       "JUCE's hosting code asserted: " + assertions.failures.joinIntoString ("; "));
	}
	catch (const std::exception& e)
	{
		std::cerr << "FAIL: " << e.what () << '\n';
		return 1;
	}

	std::cout << "PASS\n";
	return 0;
}
