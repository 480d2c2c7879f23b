#include "hosting/block_processor.h"
#include "hosting/host_context.h"
#include "hosting/plugin_instance.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Steinberg;
using hosting::BlockProcessor;
using hosting::HostContext;
using hosting::Module;
using hosting::PluginInstance;
using hosting::ProcessingSetup;

namespace {

// Parameter ids of the probe plug-in (tests/hosting/probe/probe_plugin.cpp).
constexpr Vst::ParamID kGain = 0, kProcessorMessages = 1, kControllerMessages = 2, kTimerTicks = 5;

struct ProbeHost : ::testing::Test
{
	hosting::RunLoop loop;
	HostContext host {&loop};
	std::shared_ptr<Module> module = Module::load (PROBE_BUNDLE);

	static ProcessingSetup setup (int channels, bool doublePrecision, int maxBlock = 64)
	{
		ProcessingSetup s;
		s.sampleRate = 44100.0;
		s.maxBlockSize = maxBlock;
		s.channels = channels;
		s.doublePrecision = doublePrecision;
		return s;
	}
};

std::vector<char> probeState (double gain)
{
	std::vector<char> state (16);
	const int32 magic = 0x31425250, messages = 0;
	std::memcpy (state.data (), &magic, 4);
	std::memcpy (state.data () + 4, &gain, 8);
	std::memcpy (state.data () + 12, &messages, 4);
	return state;
}

} // namespace

TEST_F (ProbeHost, ConnectsBothSidesThroughProxiesBeforeTransferringState)
{
	PluginInstance plugin (module, &host);
	EXPECT_FALSE (plugin.isSingleComponent ());
	// The controller's "hello" reached the processor, whose count then came back in its state.
	EXPECT_EQ (plugin.messagesToComponent (), 1);
	EXPECT_DOUBLE_EQ (plugin.controller ()->getParamNormalized (kProcessorMessages), 0.01);
	EXPECT_EQ (plugin.controller ()->getParamNormalized (kGain), 1.0);

	plugin.activate (setup (2, false));
	EXPECT_TRUE (plugin.isActive ());
	// The processor says "activated" in setActive(true); the host forwards it to the controller.
	EXPECT_EQ (plugin.messagesToController (), 1);
	EXPECT_DOUBLE_EQ (plugin.controller ()->getParamNormalized (kControllerMessages), 0.01);
}

TEST_F (ProbeHost, MovesComponentStateBothWays)
{
	PluginInstance plugin (module, &host);
	EXPECT_EQ (plugin.componentState ().size (), 16u);
	plugin.setComponentState (probeState (0.25));
	EXPECT_EQ (plugin.controller ()->getParamNormalized (kGain), 0.25) << "controller follows the component";
	double gain = 0;
	std::memcpy (&gain, plugin.componentState ().data () + 4, 8);
	EXPECT_EQ (gain, 0.25);
	EXPECT_THROW (plugin.setComponentState ({'b', 'a', 'd'}), hosting::Error);
}

TEST_F (ProbeHost, ProcessesBlocksWithParameterPointsAndTransport)
{
	for (bool doublePrecision : {false, true})
		for (int channels : {1, 2})
		{
			SCOPED_TRACE (std::to_string (channels) +
			              (doublePrecision ? " channels, 64-bit" : " channels, 32-bit"));
			PluginInstance plugin (module, &host);
			plugin.activate (setup (channels, doublePrecision));
			BlockProcessor block (plugin);
			EXPECT_EQ (block.input ().channels (), channels);
			EXPECT_EQ (block.input ().isDouble (), doublePrecision);
			for (int i = 0; i < 64; ++i)
				block.input ().set (0, i, 0.8);

			hosting::Transport transport {44100.0, 133.0};
			block.changes ().addPoint (kGain, 0, 0.9);
			block.changes ().addPoint (kGain, 10, 0.5); // only the last point counts, from offset 0
			ASSERT_EQ (block.process (48, transport, 1234567), kResultOk);
			EXPECT_EQ (block.changes ().getParameterCount (), 0) << "delivered changes are cleared";
			const double expected =
			    doublePrecision ? 0.8 * 0.5 : static_cast<float> (static_cast<float> (0.8) * 0.5);
			for (int i = 0; i < 48; ++i)
				ASSERT_EQ (block.output ().get (0, i), expected);
			if (channels == 2)
			{
				for (int i = 0; i < 48; ++i)
					ASSERT_EQ (block.output ().get (1, i), 1234567 + i) << "the position the plug-in derives";
			}

			ASSERT_EQ (block.process (64, transport, 1234567 + 48), kResultOk);
			EXPECT_EQ (block.output ().get (0, 63), expected) << "the value persists";
			EXPECT_EQ (block.process (65, transport, 0), kInvalidArgument) << "longer than the setup allows";
		}
}

TEST_F (ProbeHost, DeactivatedPluginRefusesToProcess)
{
	PluginInstance plugin (module, &host);
	plugin.activate (setup (2, false));
	BlockProcessor block (plugin);
	EXPECT_EQ (block.process (16), kResultOk);
	plugin.deactivate ();
	EXPECT_FALSE (plugin.isActive ());
	EXPECT_EQ (block.process (16), kNotInitialized)
	    << "setProcessing(false) and setActive(false) reached the plug-in";
	EXPECT_THROW (BlockProcessor {plugin}, hosting::Error);
	plugin.activate (setup (1, true));
	EXPECT_EQ (BlockProcessor (plugin).process (16), kResultOk) << "reactivation with another setup";
}

TEST_F (ProbeHost, ControllerTimersRunOnTheHostRunLoop)
{
	{
		PluginInstance plugin (module, &host);
		EXPECT_EQ (loop.timerCount (), 1u);
		loop.advance (120); // 50 ms timer: two ticks
		EXPECT_DOUBLE_EQ (plugin.controller ()->getParamNormalized (kTimerTicks), 0.02);
	}
	EXPECT_EQ (loop.timerCount (), 0u) << "terminate() unregistered the timer";

	loop.refuseTimers (true);
	PluginInstance plugin (module, &host);
	EXPECT_EQ (loop.timerCount (), 0u);
	loop.advance (500);
	EXPECT_EQ (plugin.controller ()->getParamNormalized (kTimerTicks), 0.0);
}

TEST_F (ProbeHost, ControllerEditsReachTheComponentHandler)
{
	PluginInstance plugin (module, &host);
	EXPECT_TRUE (plugin.componentHandler ().edits ().empty ());
	plugin.activate (setup (2, false)); // the probe's controller answers "activated" with a Gain edit
	const auto edits = plugin.componentHandler ().edits ();
	ASSERT_EQ (edits.size (), 3u);
	using Kind = hosting::ComponentHandler::Kind;
	EXPECT_EQ (edits[0].kind, Kind::Begin);
	EXPECT_EQ (edits[1].kind, Kind::Perform);
	EXPECT_EQ (edits[1].id, kGain);
	EXPECT_EQ (edits[1].value, 0.3);
	EXPECT_EQ (edits[2].kind, Kind::End);
}

TEST_F (ProbeHost, ReportsSetupErrorsAndTearsDownCleanly)
{
	const auto controllerClass = module->classes ().at (1).id;
	try
	{
		PluginInstance wrong (module, controllerClass, &host);
		FAIL () << "a controller class is not a component";
	}
	catch (const hosting::Error& e)
	{
		EXPECT_NE (std::string (e.what ()).find ("cannot create an IComponent"), std::string::npos)
		    << e.what ();
	}

	PluginInstance plugin (module, &host);
	EXPECT_THROW (plugin.activate (setup (3, false)), hosting::Error);
	EXPECT_THROW (plugin.activate (setup (2, false, 0)), hosting::Error);
	EXPECT_FALSE (plugin.isActive ());
	plugin.activate (setup (2, false));
	EXPECT_TRUE (plugin.isActive ()) << "a failed attempt leaves the instance usable";
}

TEST_F (ProbeHost, InstanceKeepsTheModuleLoaded)
{
	auto plugin = std::make_unique<PluginInstance> (Module::load (PROBE_BUNDLE), &host);
	plugin->activate (setup (2, false));
	BlockProcessor block (*plugin);
	EXPECT_EQ (block.process (8), kResultOk); // the module loaded above is still mapped
	EXPECT_EQ (plugin->module ().classes ().size (), 2u);
}
