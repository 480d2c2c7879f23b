#include "controller/chopwrightcontroller.h"

#include "common/bare_message.h"
#include "common/scopemessage.h"
#include "common/stored_state.h"
#include "parameterids.h"

#include "base/source/fstreamer.h"
#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

std::u16string text (const TChar* s) { return reinterpret_cast<const char16_t*> (s); }

class CountingHandler : public IComponentHandler
{
public:
	std::vector<int32> restarts;
	tresult PLUGIN_API beginEdit (ParamID) override { return kResultOk; }
	tresult PLUGIN_API performEdit (ParamID, ParamValue) override { return kResultOk; }
	tresult PLUGIN_API endEdit (ParamID) override { return kResultOk; }
	tresult PLUGIN_API restartComponent (int32 flags) override
	{
		restarts.push_back (flags);
		return kResultOk;
	}
	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override
	{
		QUERY_INTERFACE (iid, obj, FUnknown::iid, IComponentHandler)
		QUERY_INTERFACE (iid, obj, IComponentHandler::iid, IComponentHandler)
		*obj = nullptr;
		return kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return 1; }
	uint32 PLUGIN_API release () override { return 1; }
};

class FakeEditor : public EditorLink
{
public:
	bool open = true;
	std::vector<int8> received;
	int calls = 0;
	bool isOpen () const override { return open; }
	void setScopeData (const int8* data, int32 length) override
	{
		received.assign (data, data + length);
		++calls;
	}
};

IPtr<MemoryStream> processorRecord (int64 version, float breakValue, float sliceSize, float gateSize,
                                    bool bypass, int64 truncateTo = -1)
{
	return storedState ({breakValue, sliceSize, gateSize, bypass}, version, truncateTo);
}

struct ControllerTest : ::testing::Test
{
	IPtr<ChopwrightController> controller = owned (new ChopwrightController);
	HostApplication host;
	void SetUp () override { ASSERT_EQ (controller->initialize (&host), kResultOk); }
	void TearDown () override { controller->terminate (); }

	std::u16string valueText (ParamID id, ParamValue v)
	{
		String128 s {};
		EXPECT_EQ (controller->getParamStringByValue (id, v, s), kResultOk);
		return text (s);
	}
};

} // namespace

TEST_F (ControllerTest, PublishesFiveParametersInOrder)
{
	ASSERT_EQ (controller->getParameterCount (), 5);
	struct Expected
	{
		const char16_t* title;
		const char16_t* units;
		int32 steps;
		double defaultValue;
		int32 flags;
	} expected[] = {
	    {u"Break", u"", 1, 0.0, 9},        {u"SliceSize", u"", 2, 0.0, 9},
	    {u"GateSize", u"%", 0, 1.0, 1},    {u"Factory Presets", u"", 0, 0.0, 0x8008},
	    {u"Bypass", u"", 1, 0.0, 0x10001},
	};
	for (int32 i = 0; i < 5; ++i)
	{
		ParameterInfo info {};
		ASSERT_EQ (controller->getParameterInfo (i, info), kResultOk);
		EXPECT_EQ (info.id, static_cast<ParamID> (i));
		EXPECT_EQ (text (info.title), expected[i].title);
		EXPECT_EQ (text (info.shortTitle), u"");
		EXPECT_EQ (text (info.units), expected[i].units);
		EXPECT_EQ (info.stepCount, expected[i].steps);
		EXPECT_EQ (info.defaultNormalizedValue, expected[i].defaultValue);
		EXPECT_EQ (info.flags, expected[i].flags) << i;
		EXPECT_EQ (info.unitId, kRootUnitId);
	}

	EXPECT_EQ (valueText (kSliceSizeId, 0.5), u"1/2 BEAT");
	EXPECT_EQ (valueText (kSliceSizeId, 1.0), u"1/4 BEAT");
	EXPECT_EQ (valueText (kSliceSizeId, 0.2), u"1 BEAT");
	EXPECT_EQ (valueText (kBreakId, 0.5), u"ON");
	EXPECT_EQ (valueText (kBreakId, 0.49), u"OFF");
	EXPECT_EQ (valueText (kBypassId, 0.5), u"Off");
	EXPECT_EQ (valueText (kBypassId, 0.51), u"On");
	EXPECT_EQ (valueText (kGateSizeId, 1.0), u"1.0000");

	ParamValue v = -1;
	EXPECT_EQ (controller->getParamValueByString (kSliceSizeId, const_cast<TChar*> (STR16 ("1/4 BEAT")), v),
	           kResultOk);
	EXPECT_EQ (v, 1.0);
	EXPECT_NE (controller->getParamValueByString (kSliceSizeId, const_cast<TChar*> (STR16 ("1/4 beat")), v),
	           kResultOk);
}

TEST_F (ControllerTest, UnitAndProgramList)
{
	EXPECT_EQ (controller->getUnitCount (), 1);
	UnitInfo unit {};
	ASSERT_EQ (controller->getUnitInfo (0, unit), kResultOk);
	EXPECT_EQ (unit.id, 0);
	EXPECT_EQ (unit.parentUnitId, kNoParentUnitId);
	EXPECT_EQ (text (unit.name), u"Root");
	EXPECT_EQ (unit.programListId, 3);

	EXPECT_EQ (controller->getProgramListCount (), 1);
	ProgramListInfo list {};
	ASSERT_EQ (controller->getProgramListInfo (0, list), kResultOk);
	EXPECT_EQ (list.id, 3);
	EXPECT_EQ (text (list.name), u"Presets");
	EXPECT_EQ (list.programCount, 1);
	EXPECT_EQ (controller->getProgramListInfo (1, list), kResultFalse);

	String128 name {};
	ASSERT_EQ (controller->getProgramName (3, 0, name), kResultOk);
	EXPECT_EQ (text (name), u"Chopwright");
	EXPECT_EQ (controller->getProgramName (2, 0, name), kResultFalse);
	for (int32 index : {-1, 1, INT32_MAX})
		EXPECT_EQ (controller->getProgramName (3, index, name), kResultFalse) << index;
}

TEST_F (ControllerTest, MirrorsTheProcessorState)
{
	EXPECT_EQ (controller->setComponentState (processorRecord (1, 1.0f, 0.5f, 0.25f, true)), kResultOk);
	EXPECT_EQ (controller->getParamNormalized (kBreakId), 1.0);
	EXPECT_EQ (controller->getParamNormalized (kSliceSizeId), 0.5);
	EXPECT_EQ (controller->getParamNormalized (kGateSizeId), 0.25);
	EXPECT_EQ (controller->getParamNormalized (kBypassId), 1.0);

	EXPECT_EQ (controller->setComponentState (processorRecord (2, 0.0f, 0.0f, 0.0f, false)), kResultFalse);
	EXPECT_EQ (controller->getParamNormalized (kBreakId), 1.0) << "version 2 changes nothing";

	// A record that ends after the second float is refused whole.
	EXPECT_EQ (controller->setComponentState (processorRecord (1, 0.0f, 1.0f, 0.0f, false, 16)),
	           kResultFalse);
	EXPECT_EQ (controller->getParamNormalized (kBreakId), 1.0);
	EXPECT_EQ (controller->getParamNormalized (kSliceSizeId), 0.5);
	EXPECT_EQ (controller->getParamNormalized (kGateSizeId), 0.25);

	// NaN fields are refused, the others apply.
	EXPECT_EQ (controller->setComponentState (processorRecord (1, NAN, 0.0f, NAN, false)), kResultOk);
	EXPECT_EQ (controller->getParamNormalized (kBreakId), 1.0);
	EXPECT_EQ (controller->getParamNormalized (kSliceSizeId), 0.0);
	EXPECT_EQ (controller->getParamNormalized (kBypassId), 0.0);
	EXPECT_EQ (controller->setComponentState (nullptr), kResultFalse);
}

TEST_F (ControllerTest, OwnStateHoldsBypass)
{
	controller->setParamNormalized (kBypassId, 1.0);
	auto stream = owned (new MemoryStream);
	ASSERT_EQ (controller->getState (stream), kResultOk);
	ASSERT_EQ (stream->getSize (), 16);
	const auto* bytes = reinterpret_cast<const uint8*> (stream->getData ());
	const uint8 expected[16] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xf0, 0x3f};
	EXPECT_EQ (std::vector<uint8> (bytes, bytes + 16), std::vector<uint8> (expected, expected + 16));

	controller->setParamNormalized (kBypassId, 0.0);
	stream->seek (0, IBStream::kIBSeekSet, nullptr);
	ASSERT_EQ (controller->setState (stream), kResultOk);
	EXPECT_EQ (controller->getParamNormalized (kBypassId), 1.0);

	stream->setSize (12);
	stream->seek (0, IBStream::kIBSeekSet, nullptr);
	EXPECT_EQ (controller->setState (stream), kResultFalse);
	EXPECT_EQ (controller->setState (nullptr), kResultFalse);
	EXPECT_EQ (controller->getState (nullptr), kResultFalse);
}

TEST_F (ControllerTest, ProgramChangeAsksTheHostToRereadValues)
{
	CountingHandler handler;
	controller->setComponentHandler (&handler);
	EXPECT_EQ (controller->setParamNormalized (kProgramChangeId, 0.7), kResultOk);
	EXPECT_EQ (handler.restarts, std::vector<int32> {kParamValuesChanged});
	controller->setParamNormalized (kGateSizeId, 0.7);
	EXPECT_EQ (handler.restarts.size (), 1u);
	EXPECT_EQ (controller->setParamNormalized (77, 0.7), kResultFalse);
	EXPECT_NE (controller->setParamNormalized (kGateSizeId, NAN), kResultOk);
	EXPECT_EQ (controller->getParamNormalized (kGateSizeId), 0.7);

	EXPECT_EQ (controller->onLiveMIDIControllerInput (0, 0, 7), kResultOk);
	EXPECT_EQ (handler.restarts.back (), kMidiCCAssignmentChanged);
	EXPECT_EQ (controller->onLiveMIDIControllerInput (1, 0, 7), kResultFalse);
	ParamID id = 0;
	EXPECT_EQ (controller->getMidiControllerAssignment (0, 0, 7, id), kResultFalse);
	controller->setComponentHandler (nullptr);
}

TEST_F (ControllerTest, RelaysScopeDataToAnOpenEditorOnly)
{
	FakeEditor editor;
	auto message = owned (new HostMessage);
	message->setMessageID (chopwright::scopemessage::kMessageId);
	std::vector<int8> bytes (20000);
	for (size_t i = 0; i < bytes.size (); ++i)
		bytes[i] = static_cast<int8> (i);

	message->getAttributes ()->setBinary (chopwright::scopemessage::kDataAttribute, bytes.data (), 441);
	EXPECT_EQ (controller->notify (message), kResultOk) << "no editor: dropped";
	controller->setActiveEditor (&editor);
	EXPECT_EQ (controller->notify (message), kResultOk);
	EXPECT_EQ (editor.received, std::vector<int8> (bytes.begin (), bytes.begin () + 441));

	// More than a ring's worth is cut to a ring's worth.
	message->getAttributes ()->setBinary (chopwright::scopemessage::kDataAttribute, bytes.data (), 20000);
	EXPECT_EQ (controller->notify (message), kResultOk);
	EXPECT_EQ (editor.received.size (), static_cast<size_t> (chopwright::scopemessage::kRingSize));

	editor.open = false;
	EXPECT_EQ (controller->notify (message), kResultOk);
	EXPECT_EQ (editor.calls, 2);
	controller->setActiveEditor (nullptr);

	EXPECT_EQ (controller->notify (nullptr), kInvalidArgument);
	EXPECT_EQ (controller->notify (owned (new BareMessage (nullptr))), kInvalidArgument);
	EXPECT_EQ (controller->notify (owned (new BareMessage ("TextMessage"))), kInvalidArgument);
	auto other = owned (new HostMessage);
	other->setMessageID ("Other");
	EXPECT_EQ (controller->notify (other), kResultFalse);

	auto textMessage = owned (new HostMessage);
	textMessage->setMessageID ("TextMessage");
	textMessage->getAttributes ()->setString ("Text", STR16 ("hello"));
	::testing::internal::CaptureStderr ();
	EXPECT_EQ (controller->notify (textMessage), kResultOk);
	EXPECT_EQ (::testing::internal::GetCapturedStderr (), "[AGainController] received: hello\n");
}

TEST_F (ControllerTest, HostileQueriesAreRefusedWithoutThrowing)
{
	String128 text {};
	for (ParamID id = 0; id < kNumParams; ++id)
		for (ParamValue v : {-1.0, 1.5, 1e121, -1e300, double (NAN), double (INFINITY)})
		{
			EXPECT_EQ (controller->getParamStringByValue (id, v, text), kInvalidArgument) << id << " " << v;
			const ParamValue plain = controller->normalizedParamToPlain (id, v);
			EXPECT_TRUE (std::isfinite (plain)) << id << " " << v;
			EXPECT_EQ (plain, controller->normalizedParamToPlain (id, v > 0.5 ? 1.0 : 0.0)) << id << " " << v;
			const ParamValue normalized = controller->plainParamToNormalized (id, v);
			EXPECT_TRUE (normalized >= 0.0 && normalized <= 1.0) << id << " " << v;
		}
	ParamValue value = -1.0;
	EXPECT_EQ (controller->getParamValueByString (kGateSizeId, const_cast<TChar*> (STR16 ("1e300")), value),
	           kResultOk);
	EXPECT_EQ (value, 1.0);
	EXPECT_EQ (controller->getParamValueByString (kGateSizeId, nullptr, value), kInvalidArgument);
	TChar loneSurrogate[] = {u'1', 0xDC00, 0};
	EXPECT_EQ (controller->getParamValueByString (kGateSizeId, loneSurrogate, value), kResultFalse);

	// Text messages: one longer than the SDK's 256-unit buffer, and one that is not UTF-16.
	auto message = owned (new HostMessage);
	message->setMessageID ("TextMessage");
	const std::u16string longText (300, u'a');
	message->getAttributes ()->setString ("Text", longText.c_str ());
	::testing::internal::CaptureStderr ();
	EXPECT_EQ (controller->notify (message), kResultOk);
	EXPECT_EQ (::testing::internal::GetCapturedStderr (),
	           "[AGainController] received: " + std::string (255, 'a') + "\n");
	message->getAttributes ()->setString ("Text", loneSurrogate);
	EXPECT_EQ (controller->notify (message), kResultFalse);

	ParameterInfo info {};
	for (int32 index : {-1, 5, INT32_MAX})
		EXPECT_EQ (controller->getParameterInfo (index, info), kInvalidArgument) << index;
	UnitInfo unit {};
	EXPECT_EQ (controller->getUnitInfo (1, unit), kResultFalse);
	EXPECT_EQ (controller->getUnitInfo (-1, unit), kResultFalse);
}

TEST_F (ControllerTest, KnobModeIsAlwaysLinearAndViewsAreNamed)
{
	EXPECT_EQ (controller->setKnobMode (kCircularMode), kResultOk);
	EXPECT_EQ (EditController::getHostKnobMode (), kLinearMode);
	void* obj = nullptr;
	EXPECT_EQ (controller->queryInterface (IMidiMapping::iid, &obj), kResultOk);
	static_cast<IMidiMapping*> (obj)->release ();
	EXPECT_EQ (controller->queryInterface (IUnitInfo::iid, &obj), kResultOk);
	static_cast<IUnitInfo*> (obj)->release ();
	EXPECT_EQ (controller->createView ("other"), nullptr);
	EXPECT_EQ (controller->createView (nullptr), nullptr);
}
