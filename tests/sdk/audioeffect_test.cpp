#include "public.sdk/source/vst/vstaudioeffect.h"

#include <gtest/gtest.h>

#include <string>

namespace SdkTest {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

// Exposes the protected state a plug-in processor works with.
class ProbeEffect : public AudioEffect
{
public:
	const ProcessSetup& setup () const { return processSetup; }
	ProcessContextRequirements& requirements () { return processContextRequirements; }
};

class AudioEffectTest : public ::testing::Test
{
protected:
	void TearDown () override { EXPECT_EQ (effect->release (), 0u); }

	ProbeEffect* effect = new ProbeEffect;

	BusInfo busInfo (MediaType type, BusDirection dir, int32 index)
	{
		BusInfo info {};
		EXPECT_EQ (effect->getBusInfo (type, dir, index, info), kResultTrue);
		return info;
	}
	SpeakerArrangement arrangement (BusDirection dir, int32 index)
	{
		SpeakerArrangement arr = -1;
		EXPECT_EQ (effect->getBusArrangement (dir, index, arr), kResultTrue);
		return arr;
	}
};

TEST_F (AudioEffectTest, AnswersProcessorInterfacesThenComponentOnes)
{
	for (const auto* iid : {&IAudioProcessor::iid, &IProcessContextRequirements::iid, &IComponent::iid,
	                        &IPluginBase::iid, &IConnectionPoint::iid, &FUnknown::iid})
	{
		void* obj = nullptr;
		ASSERT_EQ (effect->queryInterface (*iid, &obj), kResultOk);
		ASSERT_NE (obj, nullptr);
		static_cast<FUnknown*> (obj)->release ();
	}
	void* obj = nullptr;
	EXPECT_EQ (effect->queryInterface (IAudioProcessor::iid, &obj), kResultOk);
	EXPECT_EQ (obj, static_cast<IAudioProcessor*> (effect));
	static_cast<IAudioProcessor*> (obj)->release ();
	EXPECT_EQ (effect->queryInterface (IPluginFactory::iid, &obj), kNoInterface);
	EXPECT_EQ (obj, nullptr);
	EXPECT_EQ (effect->getRefCount (), 1);
}

TEST_F (AudioEffectTest, DefaultsMatchTheSdk)
{
	EXPECT_EQ (effect->setup ().symbolicSampleSize, kSample32);
	EXPECT_EQ (effect->setup ().processMode, kRealtime);
	EXPECT_EQ (effect->setup ().maxSamplesPerBlock, 1024);
	EXPECT_EQ (effect->setup ().sampleRate, 44100.0);
	EXPECT_EQ (effect->getLatencySamples (), 0u);
	EXPECT_EQ (effect->getTailSamples (), kNoTail);
	EXPECT_EQ (effect->setProcessing (true), kNotImplemented);
	ProcessData data;
	EXPECT_EQ (effect->process (data), kResultOk);
	EXPECT_EQ (effect->getProcessContextRequirements (), 0u);
}

TEST_F (AudioEffectTest, BusHelpersAddAndFindBusses)
{
	AudioBus* in = effect->addAudioInput (STR16 ("Stereo In"), SpeakerArr::kStereo);
	AudioBus* side = effect->addAudioInput (STR16 ("Side"), SpeakerArr::kMono, kAux, 0);
	AudioBus* out = effect->addAudioOutput (STR16 ("Stereo Out"), SpeakerArr::kStereo);
	EventBus* events = effect->addEventInput (STR16 ("Events"));
	EventBus* eventsOut = effect->addEventOutput (STR16 ("Events Out"), 1);

	EXPECT_EQ (effect->getAudioInput (0), in);
	EXPECT_EQ (effect->getAudioInput (1), side);
	EXPECT_EQ (effect->getAudioOutput (0), out);
	EXPECT_EQ (effect->getEventInput (0), events);
	EXPECT_EQ (effect->getEventOutput (0), eventsOut);
	EXPECT_EQ (effect->getAudioInput (2), nullptr);
	EXPECT_EQ (effect->getAudioInput (-1), nullptr);
	EXPECT_EQ (effect->getAudioOutput (1), nullptr);
	EXPECT_EQ (effect->getEventInput (1), nullptr);

	EXPECT_EQ (effect->getBusCount (kAudio, kInput), 2);
	EXPECT_EQ (effect->getBusCount (kAudio, kOutput), 1);
	EXPECT_EQ (effect->getBusCount (kEvent, kInput), 1);
	EXPECT_EQ (effect->getBusCount (kEvent, kOutput), 1);

	const BusInfo main = busInfo (kAudio, kInput, 0);
	EXPECT_EQ (main.channelCount, 2);
	EXPECT_EQ (main.busType, kMain);
	EXPECT_EQ (main.flags, static_cast<uint32> (BusInfo::kDefaultActive));
	EXPECT_EQ (std::u16string (main.name), u"Stereo In");
	const BusInfo aux = busInfo (kAudio, kInput, 1);
	EXPECT_EQ (aux.channelCount, 1);
	EXPECT_EQ (aux.busType, kAux);
	EXPECT_EQ (aux.flags, 0u);
	EXPECT_EQ (busInfo (kEvent, kInput, 0).channelCount, 16);
	EXPECT_EQ (busInfo (kEvent, kOutput, 0).channelCount, 1);
}

TEST_F (AudioEffectTest, SetBusArrangementsAcceptsOnlyOneArrangementPerBus)
{
	effect->addAudioInput (STR16 ("In"), SpeakerArr::kStereo);
	effect->addAudioOutput (STR16 ("Out"), SpeakerArr::kStereo);
	SpeakerArrangement mono[] = {SpeakerArr::kMono, SpeakerArr::kMono};

	EXPECT_EQ (effect->setBusArrangements (mono, 1, mono, 1), kResultTrue);
	EXPECT_EQ (arrangement (kInput, 0), SpeakerArr::kMono);
	EXPECT_EQ (arrangement (kOutput, 0), SpeakerArr::kMono);
	EXPECT_EQ (busInfo (kAudio, kOutput, 0).channelCount, 1);

	SpeakerArrangement stereo[] = {SpeakerArr::kStereo, SpeakerArr::kStereo};
	EXPECT_EQ (effect->setBusArrangements (stereo, 2, stereo, 1), kResultFalse);
	EXPECT_EQ (effect->setBusArrangements (stereo, 1, nullptr, 0), kResultFalse);
	EXPECT_EQ (effect->setBusArrangements (nullptr, 0, stereo, 1), kResultFalse);
	EXPECT_EQ (effect->setBusArrangements (nullptr, 1, stereo, 1), kInvalidArgument);
	EXPECT_EQ (arrangement (kInput, 0), SpeakerArr::kMono); // refused sets change nothing
	EXPECT_EQ (arrangement (kOutput, 0), SpeakerArr::kMono);

	SpeakerArrangement unused = 0;
	EXPECT_EQ (effect->getBusArrangement (kInput, 1, unused), kInvalidArgument);
	EXPECT_EQ (effect->getBusArrangement (kOutput, -1, unused), kInvalidArgument);
}

TEST_F (AudioEffectTest, NoBussesAcceptsOnlyEmptyArrangements)
{
	EXPECT_EQ (effect->setBusArrangements (nullptr, 0, nullptr, 0), kResultTrue);
	SpeakerArrangement stereo = SpeakerArr::kStereo;
	EXPECT_EQ (effect->setBusArrangements (&stereo, 1, &stereo, 1), kResultFalse);
}

TEST_F (AudioEffectTest, ProcessesOnly32BitAndStoresAcceptedSetups)
{
	EXPECT_EQ (effect->canProcessSampleSize (kSample32), kResultTrue);
	EXPECT_EQ (effect->canProcessSampleSize (kSample64), kResultFalse);

	ProcessSetup setup {kOffline, kSample32, 512, 96000.0};
	EXPECT_EQ (effect->setupProcessing (setup), kResultOk);
	EXPECT_EQ (effect->setup ().processMode, kOffline);
	EXPECT_EQ (effect->setup ().maxSamplesPerBlock, 512);
	EXPECT_EQ (effect->setup ().sampleRate, 96000.0);

	ProcessSetup wide {kRealtime, kSample64, 256, 48000.0};
	EXPECT_EQ (effect->setupProcessing (wide), kResultFalse);
	EXPECT_EQ (effect->setup ().sampleRate, 96000.0); // refused setup is not stored
}

TEST_F (AudioEffectTest, ReportsRequestedProcessContextFields)
{
	effect->requirements ().needTempo ().needTimeSignature ().needTransportState ();
	effect->requirements ().needProjectTimeMusic ();
	const uint32 expected =
	    IProcessContextRequirements::kNeedTempo | IProcessContextRequirements::kNeedTimeSignature |
	    IProcessContextRequirements::kNeedTransportState | IProcessContextRequirements::kNeedProjectTimeMusic;
	EXPECT_EQ (effect->getProcessContextRequirements (), expected);
	EXPECT_EQ (effect->requirements ().flags, expected);
	EXPECT_TRUE (effect->requirements ().wantsTempo ());
	EXPECT_FALSE (effect->requirements ().wantsChord ());
	EXPECT_FALSE (effect->requirements ().wantsNone ());
}

TEST (ProcessContextRequirementsTest, EachSetterAddsItsOwnFlag)
{
	using Req = IProcessContextRequirements;
	using Setter = ProcessContextRequirements& (ProcessContextRequirements::*)();
	const std::pair<Setter, uint32> cases[] = {
	    {&ProcessContextRequirements::needSystemTime, Req::kNeedSystemTime},
	    {&ProcessContextRequirements::needContinousTimeSamples, Req::kNeedContinousTimeSamples},
	    {&ProcessContextRequirements::needProjectTimeMusic, Req::kNeedProjectTimeMusic},
	    {&ProcessContextRequirements::needBarPositionMusic, Req::kNeedBarPositionMusic},
	    {&ProcessContextRequirements::needCycleMusic, Req::kNeedCycleMusic},
	    {&ProcessContextRequirements::needSamplesToNextClock, Req::kNeedSamplesToNextClock},
	    {&ProcessContextRequirements::needTempo, Req::kNeedTempo},
	    {&ProcessContextRequirements::needTimeSignature, Req::kNeedTimeSignature},
	    {&ProcessContextRequirements::needChord, Req::kNeedChord},
	    {&ProcessContextRequirements::needFrameRate, Req::kNeedFrameRate},
	    {&ProcessContextRequirements::needTransportState, Req::kNeedTransportState},
	};
	for (const auto& [setter, flag] : cases)
	{
		ProcessContextRequirements requirements;
		EXPECT_TRUE (requirements.wantsNone ());
		EXPECT_EQ ((requirements.*setter) ().flags, flag);
	}
}

} // namespace
} // namespace SdkTest
