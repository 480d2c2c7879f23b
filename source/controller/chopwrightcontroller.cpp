#include "controller/chopwrightcontroller.h"

#include "common/processorstate.h"
#include "common/scopemessage.h"
#include "common/textmessage.h"
#include "editor/chopwrighteditor.h"
#include "parameterids.h"

#include "base/source/fstreamer.h"
#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstmessage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace Steinberg {
namespace Vst {

tresult PLUGIN_API ChopwrightController::initialize (FUnknown* context)
{
	const tresult result = EditControllerEx1::initialize (context);
	if (result != kResultOk)
		return result;
	activeEditor = nullptr;
	defineParameters ();
	return kResultOk;
}

// Everything the host sees of the parameters, in registration order (index = id).
void ChopwrightController::defineParameters ()
{
	addUnit (new Unit (STR16 ("Root"), kRootUnitId, kNoParentUnitId, kProgramChangeId));

	constexpr int32 listFlags = ParameterInfo::kCanAutomate | ParameterInfo::kIsList;
	auto* breakParam = new StringListParameter (STR16 ("Break"), kBreakId, nullptr, listFlags, kRootUnitId);
	breakParam->appendString (STR16 ("OFF"));
	breakParam->appendString (STR16 ("ON"));
	parameters.addParameter (breakParam);

	auto* sliceSize =
	    new StringListParameter (STR16 ("SliceSize"), kSliceSizeId, nullptr, listFlags, kRootUnitId);
	sliceSize->appendString (STR16 ("1 BEAT"));
	sliceSize->appendString (STR16 ("1/2 BEAT"));
	sliceSize->appendString (STR16 ("1/4 BEAT"));
	parameters.addParameter (sliceSize);

	parameters.addParameter (STR16 ("GateSize"), STR16 ("%"), 0, 1.0, ParameterInfo::kCanAutomate,
	                         kGateSizeId, kRootUnitId);

	auto* programs = new ProgramList (STR16 ("Factory Presets"), kProgramChangeId, kRootUnitId);
	addProgramList (programs);
	programs->addProgram (STR16 ("Chopwright"));
	Parameter* programChange = programs->getParameter ();
	programChange->getInfo ().flags &= ~ParameterInfo::kCanAutomate;
	parameters.addParameter (programChange);

	parameters.addParameter (STR16 ("Bypass"), nullptr, 1, 0.0,
	                         ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass, kBypassId, kRootUnitId);
}

tresult PLUGIN_API ChopwrightController::terminate () { return EditControllerEx1::terminate (); }

tresult PLUGIN_API ChopwrightController::setComponentState (IBStream* state)
{
	// Only a complete record applies; NaN fields are refused by setParamNormalized.
	ProcessorState record;
	if (!record.read (state))
		return kResultFalse;
	setParamNormalized (kBreakId, record.breakValue);
	setParamNormalized (kSliceSizeId, record.sliceSize);
	setParamNormalized (kGateSizeId, record.gateSize);
	setParamNormalized (kBypassId, record.bypass ? 1.0 : 0.0);
	return kResultOk;
}

tresult PLUGIN_API ChopwrightController::setState (IBStream* state)
{
	if (!state)
		return kResultFalse;
	IBStreamer streamer (state, kLittleEndian);
	int64 version = 0;
	if (!streamer.readInt64 (version) || version != 1)
		return kResultFalse;
	double bypassValue = 0.0;
	if (!streamer.readDouble (bypassValue))
		return kResultFalse;
	setParamNormalized (kBypassId, bypassValue);
	return kResultOk;
}

tresult PLUGIN_API ChopwrightController::getState (IBStream* state)
{
	if (!state)
		return kResultFalse;
	IBStreamer streamer (state, kLittleEndian);
	streamer.writeInt64 (1);
	streamer.writeDouble (getParamNormalized (kBypassId));
	return kResultOk;
}

tresult PLUGIN_API ChopwrightController::setParamNormalized (ParamID tag, ParamValue value)
{
	// A NaN would reach the list parameters' index conversions: refuse it.
	if (std::isnan (value))
		return kInvalidArgument;
	const tresult result = EditControllerEx1::setParamNormalized (tag, value);
	if (tag == kProgramChangeId && result == kResultOk && componentHandler)
		componentHandler->restartComponent (kParamValuesChanged);
	return result;
}

namespace {

// A normalised value as the SDK's conversions may take it: inside 0..1, NaN as 0.
ParamValue clampNormalized (ParamValue value) { return value >= 0.0 ? std::min (value, 1.0) : 0.0; }

} // namespace

tresult PLUGIN_API ChopwrightController::getParameterInfo (int32 paramIndex, ParameterInfo& info)
{
	if (paramIndex < 0 || paramIndex >= getParameterCount ())
		return kInvalidArgument;
	return EditControllerEx1::getParameterInfo (paramIndex, info);
}

tresult PLUGIN_API ChopwrightController::getParamStringByValue (ParamID tag, ParamValue valueNormalized,
                                                                String128 string)
{
	if (!string || !(valueNormalized >= 0.0 && valueNormalized <= 1.0))
		return kInvalidArgument;
	return EditControllerEx1::getParamStringByValue (tag, valueNormalized, string);
}

tresult PLUGIN_API ChopwrightController::getParamValueByString (ParamID tag, TChar* string,
                                                                ParamValue& valueNormalized)
{
	if (!string)
		return kInvalidArgument;
	ParamValue value = 0.0;
	try
	{
		// The SDK's number parsing throws for text that is not valid UTF-16.
		if (EditControllerEx1::getParamValueByString (tag, string, value) != kResultOk || std::isnan (value))
			return kResultFalse;
	}
	catch (const std::exception&)
	{
		return kResultFalse;
	}
	valueNormalized = clampNormalized (value);
	return kResultOk;
}

ParamValue PLUGIN_API ChopwrightController::normalizedParamToPlain (ParamID tag, ParamValue valueNormalized)
{
	return EditControllerEx1::normalizedParamToPlain (tag, clampNormalized (valueNormalized));
}

ParamValue PLUGIN_API ChopwrightController::plainParamToNormalized (ParamID tag, ParamValue plainValue)
{
	return clampNormalized (EditControllerEx1::plainParamToNormalized (tag, plainValue));
}

tresult PLUGIN_API ChopwrightController::getUnitInfo (int32 unitIndex, UnitInfo& info)
{
	if (unitIndex < 0 || unitIndex >= getUnitCount ())
		return kResultFalse;
	return EditControllerEx1::getUnitInfo (unitIndex, info);
}

IPlugView* PLUGIN_API ChopwrightController::createView (FIDString name)
{
	if (!name || std::strcmp (name, ViewType::kEditor) != 0)
		return nullptr;
	return new ChopwrightEditor (this, ViewRect (0, 0, 570, 666));
}

tresult PLUGIN_API ChopwrightController::setKnobMode (KnobMode /*mode*/)
{
	// The editor's knobs always drag linearly, whatever the host prefers.
	hostKnobMode = kLinearMode;
	return kResultOk;
}

int32 PLUGIN_API ChopwrightController::getProgramListCount ()
{
	return getParameterObject (kProgramChangeId) ? 1 : 0;
}

tresult PLUGIN_API ChopwrightController::getProgramListInfo (int32 listIndex, ProgramListInfo& info)
{
	Parameter* programChange = getParameterObject (kProgramChangeId);
	if (listIndex != 0 || !programChange)
		return kResultFalse;
	info.id = kProgramChangeId;
	UString (info.name, str16BufferSize (String128)).assign (STR16 ("Presets"));
	info.programCount = static_cast<int32> (programChange->toPlain (1.0)) + 1;
	return kResultOk;
}

tresult PLUGIN_API ChopwrightController::getProgramName (ProgramListID listId, int32 programIndex,
                                                         String128 name)
{
	Parameter* programChange = getParameterObject (kProgramChangeId);
	if (listId != kProgramChangeId || !programChange || !name || programIndex < 0 ||
	    programIndex > programChange->getInfo ().stepCount)
		return kResultFalse;
	programChange->toString (programChange->toNormalized (programIndex), name);
	return kResultOk;
}

tresult PLUGIN_API ChopwrightController::getMidiControllerAssignment (int32, int16, CtrlNumber, ParamID&)
{
	return kResultFalse;
}

tresult PLUGIN_API ChopwrightController::onLiveMIDIControllerInput (int32 busIndex, int16 channel, CtrlNumber)
{
	if (busIndex != 0 || channel != 0)
		return kResultFalse;
	if (componentHandler)
		componentHandler->restartComponent (kMidiCCAssignmentChanged);
	return kResultOk;
}

tresult PLUGIN_API ChopwrightController::notify (IMessage* message)
{
	// The SDK's handling of text messages reads both without checking.
	FIDString id = message ? message->getMessageID () : nullptr;
	IAttributeList* attributes = message ? message->getAttributes () : nullptr;
	if (!id || !attributes)
		return kInvalidArgument;

	const void* data = nullptr;
	uint32 size = 0;
	if (std::strcmp (id, chopwright::scopemessage::kMessageId) == 0 &&
	    attributes->getBinary (chopwright::scopemessage::kDataAttribute, data, size) == kResultOk)
	{
		if (activeEditor && activeEditor->isOpen ())
		{
			// Never more than one ring's worth: longer data is cut, not copied past the buffer.
			constexpr auto kMaxBytes = static_cast<uint32> (chopwright::scopemessage::kRingSize);
			int8 bytes[kMaxBytes];
			const uint32 count = data ? std::min (size, kMaxBytes) : 0;
			if (count > 0)
				std::memcpy (bytes, data, count);
			activeEditor->setScopeData (bytes, static_cast<int32> (count));
		}
		return kResultOk;
	}
	if (isTextMessage (id))
	{
		const auto text = readMessageText (attributes);
		return text ? receiveText (text->c_str ()) : kResultFalse;
	}
	return EditControllerEx1::notify (message);
}

tresult PLUGIN_API ChopwrightController::receiveText (const char* text)
{
	if (text)
		std::fprintf (stderr, "[AGainController] received: %s\n", text);
	return kResultOk;
}

} // namespace Vst
} // namespace Steinberg
