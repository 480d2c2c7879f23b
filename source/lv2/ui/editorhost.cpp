#include "editorhost.h"

#include "lv2/lv2contract.h"
#include "parameterids.h"

#include <algorithm>
#include <cmath>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace chopwright {
namespace lv2 {

std::optional<PortValue> portValueOf (ParamID id, double normalized)
{
	if (!(normalized >= 0.0 && normalized <= 1.0))
		return std::nullopt;
	switch (id)
	{
		case kBreakId:
			return PortValue {kBreak, normalized >= 0.5 ? 1.f : 0.f};
		case kSliceSizeId:
			return PortValue {kSliceSize, static_cast<float> (std::lround (normalized * 2.0))};
		case kGateSizeId:
			return PortValue {kGateSize, static_cast<float> (normalized)};
		case kBypassId:
			return PortValue {kEnabled, normalized >= 0.5 ? 0.f : 1.f};
		default:
			return std::nullopt;
	}
}

std::optional<ParameterValue> parameterValueOf (uint32_t port, float value)
{
	if (std::isnan (value))
		return std::nullopt;
	const double clamped = std::clamp (static_cast<double> (value), 0.0, 2.0);
	switch (port)
	{
		case kBreak:
			return ParameterValue {kBreakId, clamped >= 0.5 ? 1.0 : 0.0};
		case kSliceSize:
			return ParameterValue {kSliceSizeId, std::round (clamped) / 2.0};
		case kGateSize:
			return ParameterValue {kGateSizeId, std::min (clamped, 1.0)};
		case kEnabled:
			return ParameterValue {kBypassId, clamped >= 0.5 ? 0.0 : 1.0};
		default:
			return std::nullopt;
	}
}

namespace {

// One run loop for all of the module's UIs, driven by the idle calls of any of them. The module
// serves every window and timer from one run loop; a host that opens a second UI before it
// cleans up the first, and from then on idles only the second, must still reach them all.
SdkExt::IdleRunLoop& uiRunLoop ()
{
	static SdkExt::IdleRunLoop runLoop;
	return runLoop;
}

} // namespace

EditorHost::EditorHost (LV2UI_Write_Function write, LV2UI_Controller controller, const LV2UI_Resize* resize,
                        const LV2UI_Touch* touch)
    : write (write), controller (controller), resize (resize), touchFeature (touch)
{}

void EditorHost::touch (ParamID id, bool grabbed)
{
	if (!touchFeature || !touchFeature->touch)
		return;
	if (const auto port = portValueOf (id, 0.0))
		touchFeature->touch (touchFeature->handle, port->port, grabbed);
}

tresult PLUGIN_API EditorHost::beginEdit (ParamID id)
{
	touch (id, true);
	return kResultOk;
}

tresult PLUGIN_API EditorHost::performEdit (ParamID id, ParamValue valueNormalized)
{
	const auto port = portValueOf (id, valueNormalized);
	if (!port)
		return kInvalidArgument;
	if (write)
		write (controller, port->port, sizeof (float), 0, &port->value);
	return kResultOk;
}

tresult PLUGIN_API EditorHost::endEdit (ParamID id)
{
	touch (id, false);
	return kResultOk;
}

// Nothing the UI could restart: the plug-in's ports stay as they are.
tresult PLUGIN_API EditorHost::restartComponent (int32) { return kResultOk; }

tresult PLUGIN_API EditorHost::resizeView (IPlugView* view, ViewRect* newSize)
{
	if (!view || !newSize)
		return kInvalidArgument;
	reportSize (newSize->getWidth (), newSize->getHeight ());
	return view->onSize (newSize);
}

void EditorHost::reportSize (int width, int height)
{
	if (resize && resize->ui_resize)
		resize->ui_resize (resize->handle, width, height);
}

void EditorHost::idle () { uiRunLoop ().idle (); }

tresult PLUGIN_API EditorHost::queryInterface (const TUID iid, void** obj)
{
	if (FUnknownPrivate::iidEqual (iid, Linux::IRunLoop::iid))
		return uiRunLoop ().queryInterface (iid, obj);
	QUERY_INTERFACE (iid, obj, Vst::IComponentHandler::iid, Vst::IComponentHandler)
	QUERY_INTERFACE (iid, obj, IPlugFrame::iid, IPlugFrame)
	return FObject::queryInterface (iid, obj);
}

} // namespace lv2
} // namespace chopwright
