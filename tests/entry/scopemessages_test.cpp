// The processor's level bytes as a host delivers them: a 10 ms timer on the host's run loop
// sends a "BinaryMessage" with "AudioData" to whatever the processor is connected to.
#include "common/scopemessage.h"
#include "hosting/audio_buffers.h"
#include "hosting/host_context.h"
#include "hosting/module.h"
#include "hosting/parameter_changes.h"
#include "hosting/transport.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivstmessage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

const hosting::ClassId kProcessorId = hosting::makeClassId (0x5B1C7D20, 0x8E4F4A31, 0xA2C6D0F4, 0x3E9B7150);

// Stands where the controller would: records every message it is sent.
class MessageRecorder : public IConnectionPoint
{
public:
	std::vector<std::vector<int8>> audioData;
	int otherMessages = 0;

	tresult PLUGIN_API connect (IConnectionPoint*) override { return kResultOk; }
	tresult PLUGIN_API disconnect (IConnectionPoint*) override { return kResultOk; }
	tresult PLUGIN_API notify (IMessage* message) override
	{
		const void* data = nullptr;
		uint32 size = 0;
		if (message && std::strcmp (message->getMessageID (), chopwright::scopemessage::kMessageId) == 0 &&
		    message->getAttributes ()->getBinary (chopwright::scopemessage::kDataAttribute, data, size) ==
		        kResultOk)
		{
			const auto* bytes = static_cast<const int8*> (data);
			audioData.emplace_back (bytes, bytes + size);
		}
		else
			++otherMessages;
		return kResultOk;
	}
	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override
	{
		QUERY_INTERFACE (iid, obj, FUnknown::iid, IConnectionPoint)
		QUERY_INTERFACE (iid, obj, IConnectionPoint::iid, IConnectionPoint)
		*obj = nullptr;
		return kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return 1; }
	uint32 PLUGIN_API release () override { return 1; }
};

struct ScopeHost
{
	std::shared_ptr<hosting::Module> module = hosting::Module::load (CHOPWRIGHT_BUNDLE);
	hosting::RunLoop runLoop;
	hosting::HostContext context {&runLoop};
	MessageRecorder recorder;
	IPtr<IComponent> component;
	IPtr<IAudioProcessor> processor;
	FUnknownPtr<IConnectionPoint> connection;
	hosting::AudioBus input {2, 512}, output {2, 512};
	hosting::ParameterChanges changes;
	hosting::Transport transport;
	ProcessContext processContext {};
	int64 position = 0;

	explicit ScopeHost (bool refuseTimers = false)
	{
		runLoop.refuseTimers (refuseTimers);
		component = module->create<IComponent> (kProcessorId);
		EXPECT_EQ (component->initialize (&context), kResultOk);
		processor = FUnknownPtr<IAudioProcessor> (component);
		connection = FUnknownPtr<IConnectionPoint> (component);
		connection->connect (&recorder);
		ProcessSetup setup {kRealtime, kSample32, 512, 44100.0};
		processor->setupProcessing (setup);
		component->setActive (true);
		for (int32 i = 0; i < 512; ++i)
		{
			input.set (0, i, 0.5);
			input.set (1, i, 0.25);
		}
	}
	~ScopeHost ()
	{
		component->setActive (false);
		connection->disconnect (&recorder);
		component->terminate ();
		connection = nullptr;
		processor = nullptr;
		component = nullptr;
		EXPECT_EQ (runLoop.timerCount (), 0u) << "the timer leaves the run loop with the processor";
	}

	void run (int32 n)
	{
		ProcessData data;
		data.numSamples = n;
		data.numInputs = data.numOutputs = 1;
		data.inputs = &input.buffers ();
		data.outputs = &output.buffers ();
		data.inputParameterChanges = &changes;
		transport.fill (processContext, position);
		data.processContext = &processContext;
		processor->process (data);
		changes.clear ();
		if (transport.playing)
			position += n;
	}
};

} // namespace

TEST (ScopeMessages, ArriveEveryTenMillisecondsOnTheHostsRunLoop)
{
	ScopeHost host;
	EXPECT_EQ (host.runLoop.timerCount (), 1u);

	host.run (441);
	host.runLoop.advance (10);
	ASSERT_EQ (host.recorder.audioData.size (), 1u);
	// trunc((0.5 + 0.25) × 63.5) = 47 for every frame of the block.
	EXPECT_EQ (host.recorder.audioData[0], std::vector<int8> (441, 47));

	host.runLoop.advance (10);
	ASSERT_EQ (host.recorder.audioData.size (), 2u);
	EXPECT_TRUE (host.recorder.audioData[1].empty ()) << "a tick with nothing new still sends";

	// Stopped transport: a flat line.
	host.transport.playing = false;
	host.run (300);
	host.runLoop.advance (10);
	EXPECT_EQ (host.recorder.audioData.back (), std::vector<int8> (300, 0));

	// Bypass: nothing at all.
	host.transport.playing = true;
	host.changes.addPoint (4, 0, 1.0);
	host.run (512);
	host.runLoop.advance (10);
	EXPECT_TRUE (host.recorder.audioData.back ().empty ());
	host.changes.addPoint (4, 0, 0.0);

	// 16,383 unread frames fill the ring; one more and the next tick sends nothing.
	for (int i = 0; i < 32; ++i)
		host.run (512);
	const size_t before = host.recorder.audioData.size ();
	host.runLoop.advance (10);
	EXPECT_EQ (host.recorder.audioData.size (), before);
	host.runLoop.advance (10);
	ASSERT_EQ (host.recorder.audioData.size (), before + 1);
	EXPECT_TRUE (host.recorder.audioData.back ().empty ()) << "the ring restarted empty";
	EXPECT_EQ (host.recorder.otherMessages, 0);
}

TEST (ScopeMessages, HostsWithoutWorkingTimersGetNoneAndNothingBreaks)
{
	ScopeHost refusing (true);
	refusing.run (512);
	refusing.runLoop.advance (100);
	EXPECT_TRUE (refusing.recorder.audioData.empty ());

	// No run loop at all.
	auto module = hosting::Module::load (CHOPWRIGHT_BUNDLE);
	hosting::HostContext plain;
	IPtr<IComponent> component = module->create<IComponent> (kProcessorId);
	ASSERT_TRUE (component);
	EXPECT_EQ (component->initialize (&plain), kResultOk);
	EXPECT_EQ (component->terminate (), kResultOk);
}
