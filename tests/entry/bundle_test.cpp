// The built bundle seen from a host: loaded by path with dlopen, driven only through the
// VST 3 interfaces.
#include "hosting/block_processor.h"
#include "hosting/host_context.h"
#include "hosting/module.h"
#include "hosting/plugin_instance.h"
#include "hosting/strings.h"

#include "base/source/fstreamer.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <random>
#include <thread>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

const hosting::ClassId kProcessorId = hosting::makeClassId (0x5B1C7D20, 0x8E4F4A31, 0xA2C6D0F4, 0x3E9B7150);
const hosting::ClassId kControllerId = hosting::makeClassId (0xC83A6E14, 0x0D7B4F52, 0x9F31A8E6, 0x27B4C0D9);

std::shared_ptr<hosting::Module> loadBundle () { return hosting::Module::load (CHOPWRIGHT_BUNDLE); }

} // namespace

TEST (Bundle, AnnouncesTwoClassesAndTheFactory)
{
	auto module = loadBundle ();
	const hosting::FactoryInfo factory = module->factoryInfo ();
	EXPECT_EQ (factory.vendor, "Quillmarsh");
	EXPECT_EQ (factory.flags, PFactoryInfo::kUnicode);

	const auto classes = module->classes ();
	ASSERT_EQ (classes.size (), 2u);
	EXPECT_EQ (classes[0].id, kProcessorId);
	EXPECT_EQ (static_cast<uint8> (classes[0].id[0]), 0x5B);
	EXPECT_EQ (classes[0].category, "Audio Module Class");
	EXPECT_EQ (classes[0].name, "Chopwright");
	EXPECT_EQ (classes[0].classFlags, 1u);
	EXPECT_EQ (classes[0].subCategories, "Fx");
	EXPECT_EQ (classes[0].cardinality, PClassInfo::kManyInstances);
	EXPECT_EQ (classes[1].id, kControllerId);
	EXPECT_EQ (classes[1].category, "Component Controller Class");
	EXPECT_EQ (classes[1].name, "ChopwrightController");
	EXPECT_EQ (classes[1].classFlags, 0u);
	for (const auto& c : classes)
	{
		EXPECT_EQ (c.version, "1.3.0.1");
		EXPECT_EQ (c.sdkVersion, "VST 3.7.3");
		EXPECT_EQ (c.vendor, "");
	}

	// Hosts enumerate with the version 1 query and skip a class it fails for; every form
	// must answer every class alike.
	FUnknownPtr<IPluginFactory2> factory2 (module->factory ());
	FUnknownPtr<IPluginFactory3> factory3 (module->factory ());
	ASSERT_TRUE (factory2 && factory3);
	for (int32 i = 0; i < 2; ++i)
	{
		PClassInfo info;
		PClassInfo2 info2;
		PClassInfoW infoW;
		ASSERT_EQ (module->factory ()->getClassInfo (i, &info), kResultOk) << i;
		ASSERT_EQ (factory2->getClassInfo2 (i, &info2), kResultOk) << i;
		ASSERT_EQ (factory3->getClassInfoUnicode (i, &infoW), kResultOk) << i;
		EXPECT_STREQ (info.category, classes[static_cast<size_t> (i)].category.c_str ());
		EXPECT_STREQ (info.name, info2.name);
		EXPECT_EQ (hosting::toUtf8 (infoW.name), info.name);
		EXPECT_STREQ (info2.subCategories, classes[static_cast<size_t> (i)].subCategories.c_str ());
	}

	// An unknown class or interface gives nothing.
	void* obj = reinterpret_cast<void*> (1);
	EXPECT_NE (module->factory ()->createInstance (kControllerId.data (), IAudioProcessor::iid, &obj),
	           kResultOk);
	EXPECT_EQ (obj, nullptr);
}

TEST (Bundle, EntryPointsCountAndShareOneFactory)
{
	auto module = loadBundle ();
	void* handle = dlopen (module->binaryPath ().c_str (), RTLD_LAZY | RTLD_NOLOAD);
	ASSERT_NE (handle, nullptr);
	auto entry = reinterpret_cast<bool (*) (void*)> (dlsym (handle, "ModuleEntry"));
	auto exit = reinterpret_cast<bool (*) ()> (dlsym (handle, "ModuleExit"));
	auto getFactory = reinterpret_cast<IPluginFactory* (*)()> (dlsym (handle, "GetPluginFactory"));
	ASSERT_TRUE (entry && exit && getFactory);
	EXPECT_EQ (dlsym (handle, "gPluginFactory"), nullptr) << "only the entry points are exported";

	EXPECT_TRUE (entry (handle)) << "a second entry";
	EXPECT_TRUE (entry (nullptr));
	EXPECT_TRUE (exit ());
	EXPECT_TRUE (exit ());

	IPluginFactory* first = getFactory ();
	IPluginFactory* second = getFactory ();
	EXPECT_EQ (first, second);
	EXPECT_EQ (first, module->factory ());
	const uint32 count = first->addRef ();
	EXPECT_EQ (first->release (), count - 1);
	first->release ();
	second->release ();
	dlclose (handle);
}

TEST (Bundle, ScansAndProcessesLikeAHost)
{
	auto module = loadBundle ();
	hosting::RunLoop runLoop;
	hosting::HostContext context (&runLoop);
	hosting::PluginInstance instance (module, kProcessorId, &context);
	EXPECT_FALSE (instance.isSingleComponent ());

	// The controller as a host scans it.
	IEditController* controller = instance.controller ();
	ASSERT_EQ (controller->getParameterCount (), 5);
	ParameterInfo info {};
	ASSERT_EQ (controller->getParameterInfo (4, info), kResultOk);
	EXPECT_EQ (hosting::toUtf8 (info.title), "Bypass");
	EXPECT_EQ (info.flags, ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass);
	FUnknownPtr<IUnitInfo> units (controller);
	ASSERT_TRUE (units);
	EXPECT_EQ (units->getProgramListCount (), 1);

	// Buses as a host reads them.
	EXPECT_EQ (instance.component ()->getBusCount (kAudio, kInput), 1);
	EXPECT_EQ (instance.component ()->getBusCount (kAudio, kOutput), 1);
	EXPECT_EQ (instance.component ()->getBusCount (kEvent, kInput), 0);
	BusInfo bus {};
	ASSERT_EQ (instance.component ()->getBusInfo (kAudio, kOutput, 0, bus), kResultOk);
	EXPECT_EQ (bus.channelCount, 2);
	EXPECT_EQ (bus.busType, kMain);
	EXPECT_EQ (hosting::toUtf8 (bus.name), "Stereo Out");

	for (int32 channels : {2, 1})
	{
		for (bool doublePrecision : {false, true})
		{
			hosting::ProcessingSetup setup;
			setup.channels = channels;
			setup.doublePrecision = doublePrecision;
			setup.maxBlockSize = 1024;
			instance.activate (setup);
			hosting::BlockProcessor blocks (instance);
			hosting::Transport transport;
			for (int32 c = 0; c < channels; ++c)
				for (int32 i = 0; i < 1024; ++i)
					blocks.input ().set (c, i, 0.1 * (c + 1));

			blocks.changes ().addPoint (0, 0, 1.0); // Break on
			int64 position = 0;
			for (int b = 0; b < 200; ++b, position += 1024)
				ASSERT_EQ (blocks.process (1024, transport, position), kResultOk);
			EXPECT_EQ (blocks.output ().buffers ().silenceFlags, 0u);
			// Two bars in, the break plays the recorded constant input.
			EXPECT_NEAR (blocks.output ().get (channels - 1, 1000), 0.1 * channels, 1e-6);

			// A parameter flush: no samples, no buffers.
			blocks.changes ().addPoint (0, 0, 0.0);
			ProcessData flush;
			flush.inputParameterChanges = &blocks.changes ();
			EXPECT_EQ (instance.process (flush), kResultOk);
			ProcessData empty;
			empty.numInputs = empty.numOutputs = 1;
			AudioBusBuffers none[2] {};
			empty.inputs = &none[0];
			empty.outputs = &none[1];
			EXPECT_EQ (instance.process (empty), kResultOk);
			instance.deactivate ();
		}
	}
}

TEST (Bundle, SurvivesAConformanceSweep)
{
	auto module = loadBundle ();
	hosting::HostContext context;
	hosting::PluginInstance instance (module, kProcessorId, &context);
	std::mt19937 noise (5);
	std::uniform_real_distribution<double> sample (-1.0, 1.0);

	for (double rate : {1200.0, 22050.0, 48000.0, 192000.0, 1200000.0})
	{
		for (bool doublePrecision : {false, true})
		{
			hosting::ProcessingSetup setup;
			setup.sampleRate = rate;
			setup.doublePrecision = doublePrecision;
			setup.maxBlockSize = 8192;
			instance.activate (setup);
			hosting::BlockProcessor blocks (instance);
			hosting::Transport transport;
			transport.sampleRate = rate;
			int64 position = 0;
			int round = 0;
			for (int32 n : {0, 1, 7, 64, 333, 1024, 4096, 8192})
			{
				const bool silent = round % 2 == 0;
				for (int32 c = 0; c < 2; ++c)
					for (int32 i = 0; i < n; ++i)
						blocks.input ().set (c, i, silent ? 0.0 : sample (noise));
				blocks.input ().buffers ().silenceFlags = silent ? 3 : 0;
				if (round == 2)
					blocks.changes ().addPoint (0, 0, 1.0);
				if (round % 3 == 1)
				{
					// No process context at all.
					ProcessData data;
					data.symbolicSampleSize = doublePrecision ? kSample64 : kSample32;
					data.numSamples = n;
					data.numInputs = data.numOutputs = 1;
					data.inputs = &blocks.input ().buffers ();
					data.outputs = &blocks.output ().buffers ();
					ASSERT_EQ (instance.process (data), kResultOk);
				}
				else
				{
					ASSERT_EQ (blocks.process (n, transport, position), kResultOk);
				}
				for (int32 c = 0; c < 2; ++c)
					for (int32 i = 0; i < n; ++i)
						ASSERT_TRUE (std::isfinite (blocks.output ().get (c, i))) << rate << " " << n;
				position += n;
				++round;
			}
			instance.deactivate ();
		}
	}
}

TEST (Bundle, PlaysAnExportsPreRollWithRoundedPositions)
{
	// As a DAW export runs: reactivated without parameters, a stopped stretch, then a roll
	// from two blocks before 0 with positions rounded to 1/1920 of a quarter note.
	auto module = loadBundle ();
	hosting::HostContext context;
	hosting::PluginInstance instance (module, kProcessorId, &context);
	hosting::ProcessingSetup setup;
	setup.maxBlockSize = 500;
	instance.activate (setup);
	instance.deactivate ();
	instance.activate (setup);
	hosting::BlockProcessor blocks (instance);
	hosting::Transport transport {{48000.0, 140.0}};
	transport.musicalResolution = 1.0 / 1920;
	const int64 bar = transport.sampleAt (4.0);

	for (bool breakOn : {false, true})
	{
		transport.playing = false;
		ASSERT_EQ (blocks.process (500, transport, 0), kResultOk);
		transport.playing = true;
		bool changed = false;
		for (int64 position = -1000; position < 3 * bar; position += 500)
		{
			for (int32 c = 0; c < 2; ++c)
				for (int32 i = 0; i < 500; ++i)
					blocks.input ().set (c, i, std::sin (0.003 * static_cast<double> (position + i + c)));
			if (breakOn && position <= bar && position + 500 > bar)
				blocks.changes ().addPoint (0, 0, 1.0);
			ASSERT_EQ (blocks.process (500, transport, position), kResultOk);
			for (int32 c = 0; c < 2; ++c)
				for (int32 i = 0; i < 500; ++i)
				{
					const double out = blocks.output ().get (c, i);
					ASSERT_TRUE (std::isfinite (out));
					if (!breakOn)
					{
						ASSERT_EQ (out, blocks.input ().get (c, i)) << position + i;
					}
					changed = changed || out != blocks.input ().get (c, i);
				}
		}
		EXPECT_EQ (changed, breakOn);
	}
}

TEST (Bundle, BypassSurvivesAComponentStateRoundTrip)
{
	auto module = loadBundle ();
	hosting::HostContext context;
	hosting::PluginInstance instance (module, kProcessorId, &context);
	instance.activate ({});
	hosting::BlockProcessor blocks (instance);
	blocks.changes ().addPoint (4, 0, 1.0);
	blocks.changes ().addPoint (2, 0, 0.25);
	ASSERT_EQ (blocks.process (64, hosting::Transport {}, 0), kResultOk);
	instance.deactivate ();

	const std::vector<char> saved = instance.componentState ();
	ASSERT_EQ (saved.size (), 22u);

	// The host's automation reached the controller too.
	instance.controller ()->setParamNormalized (4, 1.0);
	auto controllerState = owned (new MemoryStream);
	ASSERT_EQ (instance.controller ()->getState (controllerState), kResultOk);
	EXPECT_EQ (controllerState->getSize (), 16);

	// Restored into a fresh instance the way hosts do: processor setState, controller
	// setComponentState, then the controller's own setState.
	hosting::PluginInstance restored (module, kProcessorId, &context);
	restored.setComponentState (saved);
	controllerState->seek (0, IBStream::kIBSeekSet, nullptr);
	ASSERT_EQ (restored.controller ()->setState (controllerState), kResultOk);
	EXPECT_EQ (restored.controller ()->getParamNormalized (4), 1.0);
	EXPECT_EQ (restored.controller ()->getParamNormalized (2), 0.25);
	EXPECT_EQ (restored.componentState (), saved);

	// Restoring twice, and after the host set every parameter, gives the same.
	restored.controller ()->setParamNormalized (4, 0.0);
	restored.setComponentState (saved);
	restored.setComponentState (saved);
	EXPECT_EQ (restored.controller ()->getParamNormalized (4), 1.0);
	EXPECT_EQ (restored.componentState (), saved);
}

TEST (Bundle, LevelMessagesReachTheControllerThroughTheHostsProxy)
{
	auto module = loadBundle ();
	hosting::RunLoop runLoop;
	hosting::HostContext context (&runLoop);
	hosting::PluginInstance instance (module, kProcessorId, &context);
	instance.activate ({});
	hosting::BlockProcessor blocks (instance);
	hosting::Transport transport;
	const int before = instance.messagesToController ();
	int64 position = 0;
	for (int tick = 0; tick < 5; ++tick)
	{
		blocks.process (441, transport, position);
		position += 441;
		runLoop.advance (10);
	}
	EXPECT_EQ (instance.messagesToController () - before, 5) << "one message every 10 ms";
	instance.deactivate ();
}

TEST (Bundle, ScannersMayCreateInstancesFromSeveralThreads)
{
	auto module = loadBundle ();
	std::vector<std::thread> scanners;
	std::atomic<int> scanned {0};
	for (int t = 0; t < 4; ++t)
		scanners.emplace_back ([&] {
			for (int i = 0; i < 5; ++i)
			{
				hosting::HostContext context;
				hosting::PluginInstance instance (module, kProcessorId, &context);
				if (instance.controller ()->getParameterCount () == 5)
					++scanned;
			}
		});
	for (auto& s : scanners)
		s.join ();
	EXPECT_EQ (scanned.load (), 20);
}
