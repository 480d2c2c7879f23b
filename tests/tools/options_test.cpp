#include "options.h"

#include <gtest/gtest.h>

using namespace render;

namespace {

Options parse (std::vector<std::string> args) { return parseArguments (args); }

std::string usageErrorOf (std::vector<std::string> args)
{
	try
	{
		parseArguments (args);
	}
	catch (const UsageError& e)
	{
		return e.what ();
	}
	return "";
}

} // namespace

TEST (Options, ParsesPositionsInBarsAndBeats)
{
	// Bars and beats count from 1, as in a DAW.
	EXPECT_EQ (parsePosition ("3bar").beats, 8.0);
	EXPECT_EQ (parsePosition ("3bars").beats, 8.0);
	EXPECT_EQ (parsePosition ("3").beats, 8.0) << "plain numbers count bars";
	EXPECT_EQ (parsePosition ("4.5beat").beats, 3.5);
	EXPECT_EQ (parsePosition ("4.5beats").beats, 3.5);
	EXPECT_EQ (parsePosition ("1").beats, 0.0);
	EXPECT_EQ (parsePosition ("1beat").beats, 0.0);
	EXPECT_EQ (parsePosition ("1.25bar").beats, 1.0);
	EXPECT_EQ (parsePosition ("3.5beats").text, "3.5beats") << "kept for messages";
	for (const char* bad :
	     {"", "bar", "-1bar", "0bar", "0.5beat", "2 bar", "two", "2bra", "1e999", "nan", " 2", "1e308"})
		EXPECT_THROW (parsePosition (bad), UsageError) << bad;
}

TEST (Options, MapsParameterValuesToNormalisedOnes)
{
	EXPECT_EQ (parseSetting ("break", "on"), (ParameterSetting {params::kBreak, 1.0}));
	EXPECT_EQ (parseSetting ("break", "off"), (ParameterSetting {params::kBreak, 0.0}));
	EXPECT_EQ (parseSetting ("slice", "1"), (ParameterSetting {params::kSliceSize, 0.0}));
	EXPECT_EQ (parseSetting ("slice", "1/2"), (ParameterSetting {params::kSliceSize, 0.5}));
	EXPECT_EQ (parseSetting ("slice", "1/4"), (ParameterSetting {params::kSliceSize, 1.0}));
	EXPECT_EQ (parseSetting ("gate", "0.25"), (ParameterSetting {params::kGateSize, 0.25}));
	EXPECT_EQ (parseSetting ("gate", "1"), (ParameterSetting {params::kGateSize, 1.0}));
	EXPECT_EQ (parseSetting ("bypass", "on"), (ParameterSetting {params::kBypass, 1.0}));
	EXPECT_THROW (parseSetting ("break", "yes"), UsageError);
	EXPECT_THROW (parseSetting ("slice", "1/8"), UsageError);
	EXPECT_THROW (parseSetting ("gate", "1.5"), UsageError);
	EXPECT_THROW (parseSetting ("gate", "-0.1"), UsageError);
	EXPECT_THROW (parseSetting ("gate", "half"), UsageError);
	EXPECT_THROW (parseSetting ("volume", "1"), UsageError);
}

TEST (Options, ParsesTimedChanges)
{
	const auto changes = parseTimedSettings ("6bar:break=off,slice=1/4");
	ASSERT_EQ (changes.size (), 2u);
	EXPECT_EQ (changes[0].at.beats, 20.0);
	EXPECT_EQ (changes[0].setting, (ParameterSetting {params::kBreak, 0.0}));
	EXPECT_EQ (changes[1].at.beats, 20.0);
	EXPECT_EQ (changes[1].setting, (ParameterSetting {params::kSliceSize, 1.0}));
	for (const char* bad : {"2bar", "2bar:", "2bar:break", "x:break=on", "2bar:break=on,", ":break=on"})
		EXPECT_THROW (parseTimedSettings (bad), UsageError) << bad;
}

TEST (Options, DefaultsAndModes)
{
	EXPECT_EQ (parse ({}).mode, Options::Mode::Demo) << "no arguments: the demo";
	const Options o = parse ({"in.wav", "out.wav"});
	EXPECT_EQ (o.mode, Options::Mode::Render);
	EXPECT_EQ (o.input, "in.wav");
	EXPECT_EQ (o.output, "out.wav");
	EXPECT_EQ (o.tempo, 120.0);
	EXPECT_EQ (o.start.beats, 0.0);
	EXPECT_EQ (o.blockSize, 512);
	EXPECT_FALSE (o.doublePrecision.has_value ()) << "chosen by the input";
	EXPECT_FALSE (o.seed.has_value ());
	EXPECT_EQ (o.format, FileFormat::Wav) << "from the extension";
	EXPECT_FALSE (parse ({"in.wav", "out"}).format.has_value ()) << "no extension: the input's format";
	EXPECT_FALSE (o.quiet);
	EXPECT_TRUE (o.pluginPath.empty ());
	EXPECT_EQ (parse ({"--list"}).mode, Options::Mode::List);
	EXPECT_EQ (parse ({"--demo", "--seed", "3"}).mode, Options::Mode::Demo);
	EXPECT_EQ (parse ({"in.wav", "--help", "--bogus"}).mode, Options::Mode::Help) << "--help wins";
	EXPECT_EQ (parse ({"--version"}).mode, Options::Mode::Version);
	EXPECT_EQ (parse ({"-", "-", "--format", "flac"}).output, "-");
}

TEST (Options, ReadsEveryOptionInBothSpellings)
{
	const Options o =
	    parse ({"--tempo",   "97.5",           "--start=2.5beat", "--block",    "128",      "--double",
	            "--seed=42", "--plugin",       "/x/Y.vst3",       "--format",   "flac",     "--break",
	            "on",        "--slice=1/2",    "--gate",          "0.5",        "--bypass", "off",
	            "--at",      "2bar:break=off", "--at=3:gate=1",   "--progress", "-q",       "a.wav",
	            "b.flac"});
	EXPECT_EQ (o.tempo, 97.5);
	EXPECT_EQ (o.start.beats, 1.5);
	EXPECT_EQ (o.blockSize, 128);
	EXPECT_EQ (o.doublePrecision, true);
	EXPECT_TRUE (o.quiet);
	EXPECT_EQ (parse ({"--float", "a.wav", "b.wav"}).doublePrecision, false);
	EXPECT_EQ (o.seed, 42u);
	EXPECT_EQ (o.pluginPath, "/x/Y.vst3");
	EXPECT_EQ (o.format, FileFormat::Flac);
	EXPECT_TRUE (o.progress);
	EXPECT_EQ (o.settings, (std::vector<ParameterSetting> {{params::kBreak, 1.0},
	                                                       {params::kSliceSize, 0.5},
	                                                       {params::kGateSize, 0.5},
	                                                       {params::kBypass, 0.0}}));
	ASSERT_EQ (o.changes.size (), 2u);
	EXPECT_EQ (o.changes[0].at.beats, 4.0);
	EXPECT_EQ (o.changes[1].at.beats, 8.0);
	EXPECT_EQ (o.changes[1].setting, (ParameterSetting {params::kGateSize, 1.0}));
}

TEST (Options, ExplainsBadCommandLines)
{
	EXPECT_NE (usageErrorOf ({"--tempo"}).find ("needs a value"), std::string::npos);
	EXPECT_NE (usageErrorOf ({"--tempo", "fast", "a", "b"}).find ("tempo"), std::string::npos);
	EXPECT_NE (usageErrorOf ({"--tempo", "10", "a", "b"}).find ("between 20 and 999"), std::string::npos);
	EXPECT_NE (usageErrorOf ({"--block", "0", "a", "b"}).find ("out of range"), std::string::npos);
	EXPECT_NE (usageErrorOf ({"--block", "64.5", "a", "b"}).find ("whole number"), std::string::npos);
	EXPECT_NE (usageErrorOf ({"--seed", "-1", "a", "b"}).find ("out of range"), std::string::npos);
	EXPECT_NE (usageErrorOf ({"--seed", "4294967296", "a", "b"}).find ("out of range"), std::string::npos);
	EXPECT_NE (usageErrorOf ({"--format", "mp3", "a", "b"}).find ("unknown format"), std::string::npos);
	EXPECT_NE (usageErrorOf ({"--frobnicate", "a", "b"}).find ("unknown option"), std::string::npos);
	EXPECT_NE (usageErrorOf ({"--double=yes", "a", "b"}).find ("takes no value"), std::string::npos);
	EXPECT_NE (usageErrorOf ({"a.wav"}).find ("missing OUTPUT"), std::string::npos);
	EXPECT_NE (usageErrorOf ({"--tempo", "100"}).find ("missing INPUT"), std::string::npos);
	EXPECT_NE (usageErrorOf ({"a", "b", "c"}).find ("too many"), std::string::npos);
	EXPECT_NE (usageErrorOf ({"--list", "a"}).find ("unexpected argument"), std::string::npos);
	EXPECT_NE (usageErrorOf ({"--at", "2bar", "a", "b"}).find ("POSITION:NAME=VALUE"), std::string::npos);
	EXPECT_NE (usageErrorOf ({"--float", "--double", "a", "b"}).find ("exclude each other"),
	           std::string::npos);
	EXPECT_NE (usageErrorOf ({"a.wav", "b.txt"}).find ("unknown output extension '.txt'"), std::string::npos);
	EXPECT_NE (usageErrorOf ({"a.wav", "-"}).find ("--format"), std::string::npos);
	EXPECT_NE (usageErrorOf ({"--format", "aiff", "a.wav", "-"}).find ("WAV or FLAC"), std::string::npos);
	for (const char* unused : {"--tempo=100", "--start=2", "--at=2:break=on", "--break=on", "--slice=1",
	                           "--gate=1", "--bypass=on", "--format=wav"})
		EXPECT_NE (usageErrorOf ({"--demo", unused}).find ("the demo does not use"), std::string::npos)
		    << unused;
	EXPECT_NE (usageErrorOf ({"--list", "--seed", "1"}).find ("--list does not use --seed"),
	           std::string::npos);
}

TEST (Options, HelpDocumentsTheSyntax)
{
	const std::string help = helpText ();
	for (const char* word : {"--tempo",
	                         "--start",
	                         "--block",
	                         "--double",
	                         "--break",
	                         "--slice",
	                         "--gate",
	                         "--bypass",
	                         "--at POSITION:NAME=VALUE",
	                         "--seed",
	                         "--plugin",
	                         "--format",
	                         "--progress",
	                         "--list",
	                         "--demo",
	                         "1bar (or 1beat) is the",
	                         "--float",
	                         "-q, --quiet",
	                         "--version",
	                         "\"-\" as INPUT",
	                         "truncated",
	                         "byte-identical"})
		EXPECT_NE (help.find (word), std::string::npos) << word;
}
