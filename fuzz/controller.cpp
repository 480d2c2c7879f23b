// The edit controller driven by a hostile host: component and controller states of any bytes,
// and every parameter, unit, program list and MIDI query with NaN, infinite, huge and negative
// values and indices. Stored values stay normalised, refused states change nothing, and every
// string handed out is terminated within its buffer.
#include "host.h"
#include "scripts.h"

#include "parameterids.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/ivstmidilearn.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <algorithm>
#include <array>
#include <cmath>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

using fuzz::ControllerOp;

// A String128 on the heap, exactly 128 units, so a write past it is seen; prefilled so an
// unterminated answer shows.
struct Text128
{
	std::vector<TChar> units = std::vector<TChar> (128, 0x5A5A);
	TChar* data () { return units.data (); }
	bool terminated () const { return std::find (units.begin (), units.end (), 0) != units.end (); }
};

bool normalised (double value) { return value >= 0.0 && value <= 1.0; }

std::array<ParamValue, kNumParams> storedValues (IEditController* controller)
{
	std::array<ParamValue, kNumParams> values {};
	for (ParamID id = 0; id < kNumParams; ++id)
	{
		values[id] = controller->getParamNormalized (id);
		FUZZ_CHECK (normalised (values[id]));
	}
	return values;
}

// A terminated string for getParamValueByString: one a host might pass, or raw code units.
std::vector<TChar> textFor (fuzz::Reader& in)
{
	static const char16_t* const kTexts[] = {
	    u"OFF", u"ON",  u"1 BEAT", u"1/2 BEAT", u"1/4 BEAT", u"0", u"0.5",        u"1",  u"100",
	    u"-1",  u"nan", u"inf",    u"-inf",     u"1e999",    u"",  u"Chopwright", u"-0", u"1e-320"};
	constexpr size_t kCount = sizeof (kTexts) / sizeof (kTexts[0]);
	const uint8_t s = in.byte ();
	std::vector<TChar> text;
	if (s < kCount)
		for (const char16_t* c = kTexts[s]; *c; ++c)
			text.push_back (static_cast<TChar> (*c));
	else
		for (int i = 0; i < s % 64; ++i)
			text.push_back (static_cast<TChar> (in.raw<uint16_t> ()));
	text.push_back (0);
	return text;
}

void step (fuzz::Reader& in, IEditController* controller)
{
	FUnknownPtr<IUnitInfo> units (controller);
	FUnknownPtr<IMidiMapping> midiMapping (controller);
	FUnknownPtr<IMidiLearn> midiLearn (controller);

	const auto op = static_cast<ControllerOp> (in.byte () % static_cast<uint8_t> (ControllerOp::count));
	switch (op)
	{
		case ControllerOp::setComponentState:
		case ControllerOp::setState:
		{
			const bool component = op == ControllerOp::setComponentState;
			const bool null = in.flag ();
			const std::vector<char> bytes = in.bytes (in.dataSize ());
			const auto before = storedValues (controller);
			IPtr<IBStream> stream = null ? nullptr : fuzz::streamOf (bytes);
			const tresult result =
			    component ? controller->setComponentState (stream) : controller->setState (stream);
			if (result != kResultOk)
				FUZZ_CHECK (storedValues (controller) == before);
			break;
		}
		case ControllerOp::stateRoundTrip:
		{
			const std::vector<char> state = fuzz::stateOf (controller);
			FUZZ_CHECK (!state.empty ());
			FUZZ_CHECK (controller->setState (fuzz::streamOf (state)) == kResultOk);
			FUZZ_CHECK (fuzz::stateOf (controller) == state);
			break;
		}
		case ControllerOp::parameterInfo:
		{
			ParameterInfo info {};
			if (controller->getParameterInfo (in.index (), info) == kResultOk)
			{
				FUZZ_CHECK (std::find (info.title, info.title + 128, 0) != info.title + 128);
				FUZZ_CHECK (std::find (info.units, info.units + 128, 0) != info.units + 128);
				FUZZ_CHECK (normalised (info.defaultNormalizedValue));
			}
			break;
		}
		case ControllerOp::stringByValue:
		{
			const ParamID id = in.paramId ();
			const ParamValue value = in.value ();
			Text128 text;
			if (controller->getParamStringByValue (id, value, in.flag () ? nullptr : text.data ()) ==
			    kResultOk)
				FUZZ_CHECK (text.terminated ());
			break;
		}
		case ControllerOp::valueByString:
		{
			const ParamID id = in.paramId ();
			std::vector<TChar> text = textFor (in);
			ParamValue value = 0.0;
			if (controller->getParamValueByString (id, text.data (), value) == kResultOk)
				FUZZ_CHECK (normalised (value));
			break;
		}
		case ControllerOp::toPlain:
		{
			const ParamID id = in.paramId ();
			FUZZ_CHECK (std::isfinite (controller->normalizedParamToPlain (id, in.value ())));
			break;
		}
		case ControllerOp::toNormalized:
		{
			const ParamID id = in.paramId ();
			FUZZ_CHECK (normalised (controller->plainParamToNormalized (id, in.value ())));
			break;
		}
		case ControllerOp::setNormalized:
		{
			const ParamID id = in.paramId ();
			controller->setParamNormalized (id, in.value ());
			break;
		}
		case ControllerOp::getNormalized:
			controller->getParamNormalized (in.paramId ());
			break;
		case ControllerOp::unitQueries:
		{
			UnitInfo info {};
			if (units->getUnitInfo (in.index (), info) == kResultOk)
				FUZZ_CHECK (std::find (info.name, info.name + 128, 0) != info.name + 128);
			units->getUnitCount ();
			units->selectUnit (in.raw<int32> ());
			units->getSelectedUnit ();
			UnitID unit = 0;
			const int32 bus = in.index ();
			units->getUnitByBus (kAudio, kInput, bus, in.index (), unit);
			break;
		}
		case ControllerOp::programQueries:
		{
			ProgramListInfo list {};
			if (units->getProgramListInfo (in.index (), list) == kResultOk)
				FUZZ_CHECK (std::find (list.name, list.name + 128, 0) != list.name + 128);
			const int32 listId = in.index ();
			const int32 program = in.index ();
			const int16 pitch = in.raw<int16> ();
			Text128 text;
			if (units->getProgramName (listId, program, text.data ()) == kResultOk)
				FUZZ_CHECK (text.terminated ());
			Text128 info;
			units->getProgramInfo (listId, program, in.flag () ? nullptr : "name", info.data ());
			units->hasProgramPitchNames (listId, program);
			Text128 pitchName;
			units->getProgramPitchName (listId, program, pitch, pitchName.data ());
			units->setUnitProgramData (listId, program, fuzz::streamOf (in.bytes (in.dataSize ())));
			units->getProgramListCount ();
			break;
		}
		case ControllerOp::midiQueries:
		{
			const int32 bus = in.index ();
			const int16 channel = in.raw<int16> ();
			const int16 number = in.raw<int16> ();
			ParamID id = 0;
			if (midiMapping)
				midiMapping->getMidiControllerAssignment (bus, channel, number, id);
			if (midiLearn)
				midiLearn->onLiveMIDIControllerInput (bus, channel, number);
			break;
		}
		case ControllerOp::createView:
		{
			const uint8_t name = in.byte ();
			// Created and released again, never attached: there is no window here.
			IPtr<IPlugView> view = owned (controller->createView (name == 0   ? nullptr
			                                                      : name == 1 ? ViewType::kEditor
			                                                                  : "other"));
			if (FUnknownPtr<IEditController2> controller2 {controller})
				controller2->setKnobMode (in.index ());
			break;
		}
		case ControllerOp::count:
			break;
	}
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
	fuzz::Session session;
	IEditController* controller = session.plugin.controller ();
	fuzz::Reader in (data, size);
	while (!in.done ())
	{
		step (in, controller);
		storedValues (controller);
	}
	return 0;
}
