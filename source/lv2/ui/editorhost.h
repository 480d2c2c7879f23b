// What the VST 3 editor sees of its host inside the LV2 UI: its edits become writes to the
// plug-in's control ports, and its plug frame's run loop (the editor's X connection, the view
// library's timers) is served by the LV2 host's idle calls. Used on the host's UI thread only.
#pragma once

#include "base/source/fobject.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "sdkext/idlerunloop.h"

#include <lv2/ui/ui.h>

#include <optional>

namespace chopwright {
namespace lv2 {

// A parameter's normalised value as the value of its control port, and back. Break is 0 or 1,
// SliceSize 0, 1 or 2, GateSize 0 … 1, and the enabled port is the inverse of Bypass.
struct PortValue
{
	uint32_t port;
	float value;
};
std::optional<PortValue> portValueOf (Steinberg::Vst::ParamID id, double normalized);
struct ParameterValue
{
	Steinberg::Vst::ParamID id;
	double normalized;
};
std::optional<ParameterValue> parameterValueOf (uint32_t port, float value);

class EditorHost : public Steinberg::FObject,
                   public Steinberg::Vst::IComponentHandler,
                   public Steinberg::IPlugFrame
{
public:
	// `resize` and `touch` are the host's optional features (may be null).
	EditorHost (LV2UI_Write_Function write, LV2UI_Controller controller, const LV2UI_Resize* resize,
	            const LV2UI_Touch* touch);

	// Serves readable file descriptors and fires the due timers of every open UI; never blocks.
	void idle ();

	// IComponentHandler: a performed edit writes the port; begin and end are the host's touch.
	Steinberg::tresult PLUGIN_API beginEdit (Steinberg::Vst::ParamID id) override;
	Steinberg::tresult PLUGIN_API performEdit (Steinberg::Vst::ParamID id,
	                                           Steinberg::Vst::ParamValue valueNormalized) override;
	Steinberg::tresult PLUGIN_API endEdit (Steinberg::Vst::ParamID id) override;
	Steinberg::tresult PLUGIN_API restartComponent (Steinberg::int32 flags) override;

	// IPlugFrame: the host's window follows the editor's size.
	Steinberg::tresult PLUGIN_API resizeView (Steinberg::IPlugView* view,
	                                          Steinberg::ViewRect* newSize) override;

	// Tells the host the UI's size, if it offered ui:resize.
	void reportSize (int width, int height);

	// The plug frame also answers Linux::IRunLoop: the module's one run loop for LV2 UIs.
	Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;

	OBJ_METHODS (EditorHost, FObject)
	REFCOUNT_METHODS (FObject)

private:
	void touch (Steinberg::Vst::ParamID id, bool grabbed);

	const LV2UI_Write_Function write;
	const LV2UI_Controller controller;
	const LV2UI_Resize* const resize;
	const LV2UI_Touch* const touchFeature;
};

} // namespace lv2
} // namespace chopwright
