#include "vstguieditor.h"

#include "public.sdk/source/main/moduleinit.h"
#include "sdkext/modulepath.h"
#include "sdkext/runloops.h"
#include "sdkext/vstguirunloop.h"

#include <cmath>
#include <cstring>

namespace Steinberg {
namespace {

// The module sets up the view library for its lifetime, as the SDK does for VSTGUI: resources come
// from the bundle, and its run loop is the module's host run loops.
ModuleInitializer initViewLibrary ([] {
	VSTGUI::X11::setResourcePath (SdkExt::getModuleResourcesPath ());
	VSTGUI::X11::RunLoop::init (SdkExt::createVSTGUIRunLoop ());
});
ModuleTerminator exitViewLibrary ([] {
	VSTGUI::X11::RunLoop::exit ();
	VSTGUI::X11::setResourcePath ({});
});

} // namespace

namespace Vst {

VSTGUIEditor::VSTGUIEditor (void* controller, ViewRect* size)
    : EditorView (static_cast<EditController*> (controller), size),
      timer (new CVSTGUITimer (static_cast<CBaseObject*> (this), 100))
{}

VSTGUIEditor::~VSTGUIEditor ()
{
	timer->stop ();
	timer->forget ();
}

void VSTGUIEditor::setIdleRate (int32 millisec) { timer->setFireTime (static_cast<uint32_t> (millisec)); }

void VSTGUIEditor::beginEdit (int32_t index)
{
	if (controller)
		controller->beginEdit (static_cast<ParamID> (index));
}

void VSTGUIEditor::endEdit (int32_t index)
{
	if (controller)
		controller->endEdit (static_cast<ParamID> (index));
}

int32_t VSTGUIEditor::getKnobMode () const { return EditController::getHostKnobMode (); }

tresult PLUGIN_API VSTGUIEditor::isPlatformTypeSupported (FIDString type)
{
	return type && std::strcmp (type, kPlatformTypeX11EmbedWindowID) == 0 ? kResultTrue : kInvalidArgument;
}

tresult PLUGIN_API VSTGUIEditor::attached (void* parent, FIDString type)
{
	if (isPlatformTypeSupported (type) != kResultTrue || isAttached ())
		return kResultFalse;
	// The plug frame's run loop serves the window and the idle timer (through the view library's
	// run loop), and the module's other timers too.
	if (plugFrame && SdkExt::offerRunLoop (plugFrame))
		offeredFrame = plugFrame;
	timer->start ();

	if (!open (parent, PlatformType::kX11EmbedWindowID))
	{
		removed ();
		return kResultFalse;
	}
	if (frame)
	{
		frame->platformScaleFactorChanged (contentScaleFactor);
		resizeToFrame ();
	}
	return EditorView::attached (parent, type);
}

tresult PLUGIN_API VSTGUIEditor::removed ()
{
	timer->stop ();
	if (frame)
		close ();
	if (offeredFrame)
		SdkExt::withdrawRunLoop (offeredFrame);
	offeredFrame = nullptr;
	return isAttached () ? EditorView::removed () : kResultOk;
}

// The view's rectangle is in window pixels: the frame's points times the content scale.
void VSTGUIEditor::resizeToFrame ()
{
	ViewRect r (rect.left, rect.top,
	            rect.left + static_cast<int32> (std::lround (frame->getWidth () * contentScaleFactor)),
	            rect.top + static_cast<int32> (std::lround (frame->getHeight () * contentScaleFactor)));
	if (r.getWidth () == rect.getWidth () && r.getHeight () == rect.getHeight ())
		return;
	setRect (r);
	if (plugFrame)
		plugFrame->resizeView (this, &r);
}

tresult PLUGIN_API VSTGUIEditor::onSize (ViewRect* newSize)
{
	if (!newSize)
		return kInvalidArgument;
	if (frame)
		frame->setSize (newSize->getWidth () / contentScaleFactor,
		                newSize->getHeight () / contentScaleFactor);
	return EditorView::onSize (newSize);
}

tresult PLUGIN_API VSTGUIEditor::setFrame (IPlugFrame* newFrame) { return EditorView::setFrame (newFrame); }

tresult PLUGIN_API VSTGUIEditor::setContentScaleFactor (ScaleFactor factor)
{
	if (!(factor > 0.f))
		return kInvalidArgument;
	contentScaleFactor = factor;
	if (frame)
	{
		frame->platformScaleFactorChanged (factor);
		resizeToFrame ();
	}
	return kResultTrue;
}

CMessageResult VSTGUIEditor::notify (CBaseObject* sender, VSTGUI::IdStringPtr message)
{
	if (sender == timer && message == CVSTGUITimer::kMsgTimer)
	{
		if (frame)
			frame->idle ();
		return VSTGUI::kMessageNotified;
	}
	return VSTGUI::kMessageUnknown;
}

} // namespace Vst
} // namespace Steinberg
