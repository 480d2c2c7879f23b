#pragma once

#include "controller/editorlink.h"

#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/ivstmidilearn.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

namespace Steinberg {
namespace Vst {

// The edit controller: publishes the parameters, the unit and the program list, mirrors the
// processor's state, keeps its own (Bypass), relays the processor's level bytes to the open
// editor and creates the editor.
class ChopwrightController : public EditControllerEx1, public IMidiMapping, public IMidiLearn
{
public:
	static FUnknown* createInstance (void*)
	{
		return static_cast<IEditController*> (new ChopwrightController);
	}

	tresult PLUGIN_API receiveText (const char* text) SMTG_OVERRIDE;
	tresult PLUGIN_API initialize (FUnknown* context) SMTG_OVERRIDE;
	tresult PLUGIN_API terminate () SMTG_OVERRIDE;
	tresult PLUGIN_API notify (IMessage* message) SMTG_OVERRIDE;

	tresult PLUGIN_API setComponentState (IBStream* state) SMTG_OVERRIDE;
	tresult PLUGIN_API setState (IBStream* state) SMTG_OVERRIDE;
	tresult PLUGIN_API getState (IBStream* state) SMTG_OVERRIDE;
	tresult PLUGIN_API setParamNormalized (ParamID tag, ParamValue value) SMTG_OVERRIDE;

	// Parameter and unit queries with every index and value checked first: the SDK's
	// parameter classes throw or convert out of range for values outside 0..1.
	tresult PLUGIN_API getParameterInfo (int32 paramIndex, ParameterInfo& info) SMTG_OVERRIDE;
	tresult PLUGIN_API getParamStringByValue (ParamID tag, ParamValue valueNormalized,
	                                          String128 string) SMTG_OVERRIDE;
	tresult PLUGIN_API getParamValueByString (ParamID tag, TChar* string,
	                                          ParamValue& valueNormalized) SMTG_OVERRIDE;
	ParamValue PLUGIN_API normalizedParamToPlain (ParamID tag, ParamValue valueNormalized) SMTG_OVERRIDE;
	ParamValue PLUGIN_API plainParamToNormalized (ParamID tag, ParamValue plainValue) SMTG_OVERRIDE;
	tresult PLUGIN_API getUnitInfo (int32 unitIndex, UnitInfo& info) SMTG_OVERRIDE;
	IPlugView* PLUGIN_API createView (FIDString name) SMTG_OVERRIDE;
	tresult PLUGIN_API setKnobMode (KnobMode mode) SMTG_OVERRIDE;

	int32 PLUGIN_API getProgramListCount () SMTG_OVERRIDE;
	tresult PLUGIN_API getProgramListInfo (int32 listIndex, ProgramListInfo& info) SMTG_OVERRIDE;
	tresult PLUGIN_API getProgramName (ProgramListID listId, int32 programIndex,
	                                   String128 name) SMTG_OVERRIDE;

	tresult PLUGIN_API getMidiControllerAssignment (int32 busIndex, int16 channel,
	                                                CtrlNumber midiControllerNumber,
	                                                ParamID& id) SMTG_OVERRIDE;
	tresult PLUGIN_API onLiveMIDIControllerInput (int32 busIndex, int16 channel,
	                                              CtrlNumber midiCC) SMTG_OVERRIDE;

	// The editor registers itself while it is open.
	void setActiveEditor (EditorLink* editor) { activeEditor = editor; }
	EditorLink* getActiveEditor () const { return activeEditor; }

	OBJ_METHODS (ChopwrightController, EditControllerEx1)
	DEFINE_INTERFACES
		DEF_INTERFACE (IMidiMapping)
	END_DEFINE_INTERFACES (EditControllerEx1)
	REFCOUNT_METHODS (EditControllerEx1)

private:
	void defineParameters ();

	EditorLink* activeEditor {nullptr};
};

} // namespace Vst
} // namespace Steinberg
