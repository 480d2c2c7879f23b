// The plug-in window: a fixed layout of views on one frame, with the Break button, the SliceSize
// switch, the GateSize slider, their labels, the gate readout and the output oscilloscope.
#pragma once

#include "controller/editorlink.h"
#include "controller/parameterlistener.h"

#include "public.sdk/source/vst/vstguieditor.h"

#include <array>
#include <memory>

class OscilloscopeFeed;
class SimpleDisplay;
namespace Steinberg {
namespace Vst {
class ChopwrightController;
}
} // namespace Steinberg

// Control movements become edits on the controller; parameter changes come back through the
// ParameterListener and move the controls and labels; the controller's scope bytes go to the
// oscilloscope. Open and close any number of times: every open builds the layout anew from the
// controller's current values.
class ChopwrightEditor : public Steinberg::Vst::VSTGUIEditor,
                         public VSTGUI::IControlListener,
                         public VSTGUI::IMouseObserver,
                         public Steinberg::Vst::EditorLink
{
public:
	// `size` is the window at zoom 1, in points (the controller gives 570 by 666).
	ChopwrightEditor (Steinberg::Vst::ChopwrightController* controller, Steinberg::ViewRect size);
	~ChopwrightEditor () override;

	// Zooms the frame so that it is as wide as `newSize` (in window pixels); the height follows.
	Steinberg::tresult PLUGIN_API onSize (Steinberg::ViewRect* newSize) override;
	// Also while closed, the view's size in pixels follows the scale (what getSize tells a host).
	Steinberg::tresult PLUGIN_API setContentScaleFactor (ScaleFactor factor) override;
	bool PLUGIN_API open (void* parent, const VSTGUI::PlatformType& platformType) override;
	void PLUGIN_API close () override;

	// IControlListener: a control's value goes to the controller, then to the host.
	void valueChanged (VSTGUI::CControl* control) override;

	// IMouseObserver: presses reach the views only while the editor is open.
	void onMouseEntered (VSTGUI::CView*, VSTGUI::CFrame*) override {}
	void onMouseExited (VSTGUI::CView*, VSTGUI::CFrame*) override {}
	VSTGUI::CMouseEventResult onMouseMoved (VSTGUI::CFrame*, const VSTGUI::CPoint&,
	                                        const VSTGUI::CButtonState&) override;
	VSTGUI::CMouseEventResult onMouseDown (VSTGUI::CFrame*, const VSTGUI::CPoint&,
	                                       const VSTGUI::CButtonState&) override;

	// From the ParameterListener: shows a parameter's new normalised value. Ignored while closed.
	void updateParameter (Steinberg::Vst::ParamID id, float value);

	// EditorLink
	bool isOpen () const override { return isOpenFlag; }
	void setScopeData (const Steinberg::int8* data, Steinberg::int32 length) override;

private:
	Steinberg::Vst::ChopwrightController* owner () const;
	VSTGUI::CTextLabel* addLabel (const VSTGUI::CRect& size, VSTGUI::UTF8StringPtr text,
	                              const VSTGUI::CColor& color);
	void colourSliceLabels ();

	bool isOpenFlag {false};
	const Steinberg::ViewRect initialRect;
	double zoom {1.}; // kept while closed: a reopened window, or one sized before it opened, keeps it
	// Non-owning: the frame owns the views, and they are used only while the editor is open.
	std::array<VSTGUI::CControl*, 5> controlsById {};
	VSTGUI::CTextLabel* breakStateLabel {nullptr};
	std::array<VSTGUI::CTextLabel*, 3> sliceLabels {};
	SimpleDisplay* gateDisplay {nullptr};
	// Scope bytes arriving after the oscilloscope is gone are dropped here.
	std::shared_ptr<OscilloscopeFeed> scopeFeed;
	Steinberg::Vst::ParameterListener parameterListener;
};
