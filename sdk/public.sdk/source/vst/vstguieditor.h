// An IPlugView whose contents are a VSTGUI CFrame: subclasses build the frame in open () and
// tear it down in close (). Embeds into X11 parent windows, driven by the plug frame's run loop.
// Linking it sets the view library up at the first ModuleEntry: resources from the bundle's
// Contents/Resources, its run loop on the module's host run loops.
#pragma once

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "public.sdk/source/vst/vsteditcontroller.h"
#include "vstgui/vstgui.h"

namespace Steinberg {
namespace Vst {

using VSTGUI::CBaseObject;
using VSTGUI::CFrame;
using VSTGUI::CMessageResult;
using VSTGUI::CVSTGUITimer;
using VSTGUI::PlatformType;
using VSTGUI::VSTGUIEditorInterface;

class VSTGUIEditor : public EditorView,
                     public VSTGUIEditorInterface,
                     public CBaseObject,
                     public IPlugViewContentScaleSupport
{
public:
	// `controller` is the EditController the edits go to.
	VSTGUIEditor (void* controller, ViewRect* size = nullptr);
	~VSTGUIEditor () override;

	// Creates `frame` and opens it in `parent`; returns whether it did.
	virtual bool PLUGIN_API open (void* parent,
	                              const PlatformType& platformType = PlatformType::kDefaultNative) = 0;
	// Closes and releases `frame`.
	virtual void PLUGIN_API close () = 0;

	// Period of the idle timer that lets the frame redraw its dirty views.
	void setIdleRate (int32 millisec);

	// VSTGUIEditorInterface: edits begun and ended by controls reach the controller.
	void beginEdit (int32_t index) override;
	void endEdit (int32_t index) override;
	int32_t getKnobMode () const override;

	// IPlugView
	tresult PLUGIN_API isPlatformTypeSupported (FIDString type) override;
	tresult PLUGIN_API attached (void* parent, FIDString type) override;
	tresult PLUGIN_API removed () override;
	tresult PLUGIN_API onSize (ViewRect* newSize) override;
	tresult PLUGIN_API setFrame (IPlugFrame* frame) override;

	// IPlugViewContentScaleSupport: window pixels per point.
	tresult PLUGIN_API setContentScaleFactor (ScaleFactor factor) override;
	ScaleFactor getContentScaleFactor () const { return contentScaleFactor; }

	// The idle timer.
	CMessageResult notify (CBaseObject* sender, VSTGUI::IdStringPtr message) override;

	// One reference count: VSTGUI's (SharedPointer, remember/forget) is the editor's own, so a
	// SharedPointer to the editor never deletes it while the host holds it.
	void remember () override { addRef (); }
	void forget () override { release (); }

	DEFINE_INTERFACES
		DEF_INTERFACE (IPlugViewContentScaleSupport)
	END_DEFINE_INTERFACES (EditorView)
	REFCOUNT_METHODS (EditorView)

protected:
	CVSTGUITimer* timer;
	IPlugFrame* offeredFrame {nullptr}; // its run loop offered to the module, while attached
	ScaleFactor contentScaleFactor {1.f};

private:
	void resizeToFrame ();
};

} // namespace Vst
} // namespace Steinberg
