#pragma once

#include "cviewcontainer.h"
#include "imouseobserver.h"
#include "platform/platform_x11.h"

#include <memory>
#include <vector>

namespace VSTGUI {

// What a frame knows of the plug-in editor that owns it.
class VSTGUIEditorInterface
{
public:
	virtual void doIdleStuff () {}
	virtual int32_t getKnobMode () const { return -1; }
	virtual void beginEdit (int32_t index) { (void)index; }
	virtual void endEdit (int32_t index) { (void)index; }
	virtual CFrame* getFrame () const { return frame; }

protected:
	VSTGUIEditorInterface () = default;
	virtual ~VSTGUIEditorInterface () noexcept = default;

	CFrame* frame {nullptr};
};

class IPlatformFrameConfig
{
public:
	virtual ~IPlatformFrameConfig () noexcept = default;
};

namespace X11 {
class Frame;

// Platform options of CFrame::open for X11: the run loop that serves the window's events and
// redraws (by default X11::RunLoop::get ()).
struct FrameConfig : IPlatformFrameConfig
{
	SharedPointer<IRunLoop> runLoop;
};
} // namespace X11

// The root view of a window. Its rectangle is in the window's points and includes the zoom;
// its children keep their unzoomed coordinates.
class CFrame : public CViewContainer
{
public:
	CFrame (const CRect& size, VSTGUIEditorInterface* editor);

	// Embeds the frame as a child window of `parent` (X11: the window id).
	bool open (void* parent, const PlatformType& platformType = PlatformType::kDefaultNative,
	           IPlatformFrameConfig* config = nullptr);
	// Removes every view, closes the window and releases the frame (one reference).
	void close ();
	bool isOpen () const { return platformFrame != nullptr; }

	// Redraws the dirty views (call regularly, e.g. from the editor's idle timer).
	virtual void idle ();
	VSTGUIEditorInterface* getEditor () const { return editor; }
	void beginEdit (int32_t index);
	void endEdit (int32_t index);

	// Zoom: scales the frame's size and everything drawn in it.
	bool setZoom (double zoomFactor);
	double getZoom () const { return zoom; }
	virtual bool setSize (CCoord width, CCoord height);
	void setViewSize (const CRect& rect, bool invalidate = true) override;

	void registerMouseObserver (IMouseObserver* observer);
	void unregisterMouseObserver (IMouseObserver* observer);

	void invalidRect (const CRect& rect) override;
	void invalid () override;

	CMouseEventResult onMouseDown (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseUp (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseMoved (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseExited (CPoint& where, const CButtonState& buttons) override;

	// Entry points of the platform window; points are in the frame's (zoomed) coordinates.
	void platformDrawRect (CDrawContext* context, const CRect& rect);
	CMouseEventResult platformOnMouseDown (CPoint& where, const CButtonState& buttons);
	CMouseEventResult platformOnMouseUp (CPoint& where, const CButtonState& buttons);
	CMouseEventResult platformOnMouseMoved (CPoint& where, const CButtonState& buttons);
	CMouseEventResult platformOnMouseExited (CPoint& where, const CButtonState& buttons);
	// The host's content scale: window pixels per point.
	void platformScaleFactorChanged (double scaleFactor);
	double getScaleFactor () const { return scaleFactor; }
	X11::Frame* getPlatformFrame () const { return platformFrame.get (); }

protected:
	~CFrame () noexcept override;
	CGraphicsTransform getChildTransform () const override;
	void setMouseOverView (CView* view, const CPoint& where, const CButtonState& buttons);
	void invalidFrameRect (const CRect& rect);

	VSTGUIEditorInterface* editor;
	std::vector<IMouseObserver*> mouseObservers;
	std::unique_ptr<X11::Frame> platformFrame;
	CView* mouseOverView {nullptr};
	double zoom {1.};
	double scaleFactor {1.};
};

} // namespace VSTGUI
