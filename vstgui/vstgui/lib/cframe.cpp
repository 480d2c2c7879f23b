#include "cframe.h"
#include "cdrawcontext.h"
#include "platform/linux/x11frame.h"
#include "platform/linux/x11platform.h"

#include <algorithm>

namespace VSTGUI {

CFrame::CFrame (const CRect& size, VSTGUIEditorInterface* editor) : CViewContainer (size), editor (editor)
{
	// A frame is its own root: views added to it are attached at once.
	parentFrame = this;
	parentView = this;
}

CFrame::~CFrame () noexcept
{
	removeAll ();
	platformFrame.reset ();
	parentView = nullptr;
}

bool CFrame::open (void* parent, const PlatformType& platformType, IPlatformFrameConfig* config)
{
	if (platformFrame || !parent)
		return false;
	if (platformType != PlatformType::kX11EmbedWindowID && platformType != PlatformType::kDefaultNative)
		return false;
	auto runLoop = X11::RunLoop::get ();
	if (auto x11Config = dynamic_cast<X11::FrameConfig*> (config); x11Config && x11Config->runLoop)
		runLoop = x11Config->runLoop;
	auto window =
	    std::make_unique<X11::Frame> (this, reinterpret_cast<unsigned long> (parent), runLoop, scaleFactor);
	if (!window->isValid ())
		return false;
	platformFrame = std::move (window);
	invalid ();
	return true;
}

void CFrame::close ()
{
	onMouseCancel ();
	setMouseOverView (nullptr, CPoint (), 0);
	removeAll ();
	platformFrame.reset ();
	forget ();
}

void CFrame::idle ()
{
	invalidateDirtyViews ();
	if (platformFrame)
	{
		platformFrame->processEvents (); // anything Xlib queued outside the fd handler
		platformFrame->redraw ();
	}
}

void CFrame::beginEdit (int32_t index)
{
	if (editor)
		editor->beginEdit (index);
}

void CFrame::endEdit (int32_t index)
{
	if (editor)
		editor->endEdit (index);
}

bool CFrame::setZoom (double zoomFactor)
{
	if (zoomFactor <= 0.)
		return false;
	if (zoomFactor == zoom)
		return true;
	CCoord width = getWidth () / zoom, height = getHeight () / zoom;
	zoom = zoomFactor;
	setSize (width * zoom, height * zoom);
	invalid ();
	return true;
}

bool CFrame::setSize (CCoord width, CCoord height)
{
	if (width == getWidth () && height == getHeight ())
		return false;
	CRect r (size);
	r.setWidth (width).setHeight (height);
	setViewSize (r);
	return true;
}

void CFrame::setViewSize (const CRect& rect, bool invalidate)
{
	size = rect;
	if (platformFrame)
		platformFrame->setSize (size);
	if (invalidate)
		invalid ();
}

CGraphicsTransform CFrame::getChildTransform () const
{
	return CGraphicsTransform ().scale (zoom, zoom).translate (size.left, size.top);
}

void CFrame::registerMouseObserver (IMouseObserver* observer)
{
	if (observer &&
	    std::find (mouseObservers.begin (), mouseObservers.end (), observer) == mouseObservers.end ())
		mouseObservers.push_back (observer);
}

void CFrame::unregisterMouseObserver (IMouseObserver* observer)
{
	mouseObservers.erase (std::remove (mouseObservers.begin (), mouseObservers.end (), observer),
	                      mouseObservers.end ());
}

// `rect` is in the children's (unzoomed) coordinates.
void CFrame::invalidRect (const CRect& rect)
{
	CRect r (rect);
	invalidFrameRect (getChildTransform ().transform (r));
}

void CFrame::invalid ()
{
	setDirty (false);
	invalidFrameRect (size);
}

void CFrame::invalidFrameRect (const CRect& rect)
{
	if (!platformFrame)
		return;
	CRect r (rect);
	r.bound (size);
	platformFrame->invalidRect (r);
}

// `where` is in the children's coordinates.
void CFrame::setMouseOverView (CView* view, const CPoint& where, const CButtonState& buttons)
{
	if (view == mouseOverView)
		return;
	SharedPointer<CFrame> keep (this);
	if (auto old = mouseOverView)
	{
		mouseOverView = nullptr;
		CPoint p (where);
		old->frameToLocal (p);
		old->onMouseExited (p, buttons);
		for (auto o : std::vector<IMouseObserver*> (mouseObservers))
			o->onMouseExited (old, this);
		old->forget ();
	}
	if (view)
	{
		mouseOverView = view;
		view->remember ();
		CPoint p (where);
		view->frameToLocal (p);
		view->onMouseEntered (p, buttons);
		for (auto o : std::vector<IMouseObserver*> (mouseObservers))
			o->onMouseEntered (view, this);
	}
}

CMouseEventResult CFrame::onMouseDown (CPoint& where, const CButtonState& buttons)
{
	CPoint local (where);
	getChildTransform ().inverse ().transform (local);
	for (auto o : std::vector<IMouseObserver*> (mouseObservers))
		if (o->onMouseDown (this, local, buttons) == kMouseEventHandled)
			return kMouseEventHandled; // the observer took it: the views never see it
	return CViewContainer::onMouseDown (where, buttons);
}

CMouseEventResult CFrame::onMouseUp (CPoint& where, const CButtonState& buttons)
{
	return CViewContainer::onMouseUp (where, buttons);
}

CMouseEventResult CFrame::onMouseMoved (CPoint& where, const CButtonState& buttons)
{
	CPoint local (where);
	getChildTransform ().inverse ().transform (local);
	for (auto o : std::vector<IMouseObserver*> (mouseObservers))
		if (o->onMouseMoved (this, local, buttons) == kMouseEventHandled)
			return kMouseEventHandled;
	if (!mouseDownView)
		setMouseOverView (getViewAt (where, true), local, buttons);
	return CViewContainer::onMouseMoved (where, buttons);
}

CMouseEventResult CFrame::onMouseExited (CPoint& where, const CButtonState& buttons)
{
	CPoint local (where);
	getChildTransform ().inverse ().transform (local);
	if (!mouseDownView)
		setMouseOverView (nullptr, local, buttons);
	return kMouseEventHandled;
}

void CFrame::platformDrawRect (CDrawContext* context, const CRect& rect)
{
	CRect r (rect);
	r.bound (size);
	if (!r.isEmpty ())
		drawRect (context, r);
}

CMouseEventResult CFrame::platformOnMouseDown (CPoint& where, const CButtonState& buttons)
{
	SharedPointer<CFrame> keep (this);
	return onMouseDown (where, buttons);
}

CMouseEventResult CFrame::platformOnMouseUp (CPoint& where, const CButtonState& buttons)
{
	SharedPointer<CFrame> keep (this);
	return onMouseUp (where, buttons);
}

CMouseEventResult CFrame::platformOnMouseMoved (CPoint& where, const CButtonState& buttons)
{
	SharedPointer<CFrame> keep (this);
	return onMouseMoved (where, buttons);
}

CMouseEventResult CFrame::platformOnMouseExited (CPoint& where, const CButtonState& buttons)
{
	SharedPointer<CFrame> keep (this);
	return onMouseExited (where, buttons);
}

void CFrame::platformScaleFactorChanged (double factor)
{
	if (factor <= 0. || factor == scaleFactor)
		return;
	scaleFactor = factor;
	if (platformFrame)
		platformFrame->setScaleFactor (factor);
	invalid ();
}

} // namespace VSTGUI
