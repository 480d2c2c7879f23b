#include "cviewcontainer.h"
#include "cbitmap.h"
#include "cdrawcontext.h"
#include "cframe.h"

#include <algorithm>

namespace VSTGUI {

CViewContainer::CViewContainer (const CRect& size) : CView (size) {}

CViewContainer::~CViewContainer () noexcept { removeAll (); }

bool CViewContainer::addView (CView* view)
{
	if (!view || isChild (view))
		return false;
	children.push_back (view);
	if (isAttached ())
		view->attached (this);
	return true;
}

bool CViewContainer::removeView (CView* view, bool withForget)
{
	auto it = std::find (children.begin (), children.end (), view);
	if (it == children.end ())
		return false;
	if (mouseDownView == view)
		mouseDownView = nullptr;
	children.erase (it);
	if (view->isAttached ())
	{
		view->invalid ();
		view->removed (this);
	}
	if (withForget)
		view->forget ();
	return true;
}

bool CViewContainer::removeAll (bool withForget)
{
	mouseDownView = nullptr;
	while (!children.empty ())
	{
		auto view = children.back ();
		children.pop_back ();
		if (view->isAttached ())
			view->removed (this);
		if (withForget)
			view->forget ();
	}
	return true;
}

bool CViewContainer::isChild (CView* view) const
{
	return std::find (children.begin (), children.end (), view) != children.end ();
}

CGraphicsTransform CViewContainer::getChildTransform () const
{
	return CGraphicsTransform ().translate (size.left, size.top);
}

CRect CViewContainer::getChildArea () const
{
	CRect r (size);
	return getChildTransform ().inverse ().transform (r);
}

CView* CViewContainer::getViewAt (const CPoint& where, bool deep) const
{
	CPoint local (where);
	getChildTransform ().inverse ().transform (local);
	for (auto it = children.rbegin (); it != children.rend (); ++it)
	{
		auto view = *it;
		if (!view->isVisible () || !view->getViewSize ().pointInside (local))
			continue;
		if (deep)
			if (auto container = dynamic_cast<CViewContainer*> (view))
				if (auto inner = container->getViewAt (local, true))
					return inner;
		return view;
	}
	return nullptr;
}

void CViewContainer::drawBackgroundRect (CDrawContext* context, const CRect& updateRect)
{
	(void)updateRect;
	auto area = getChildArea ();
	if (background)
		background->draw (context, area);
	else if (backgroundColor.alpha)
	{
		context->setFillColor (backgroundColor);
		context->drawRect (area, kDrawFilled);
	}
}

void CViewContainer::drawRect (CDrawContext* context, const CRect& updateRect)
{
	CDrawContext::Transform transform (*context, getChildTransform ());
	CRect local (updateRect);
	getChildTransform ().inverse ().transform (local);
	local.bound (getChildArea ());
	context->saveGlobalState ();
	context->setClipRect (local);
	drawBackgroundRect (context, local);
	for (auto view : std::vector<CView*> (children))
	{
		if (!view->isVisible () || !view->getViewSize ().rectOverlap (local))
			continue;
		CRect viewUpdate (view->getViewSize ());
		viewUpdate.bound (local);
		context->saveGlobalState ();
		context->setClipRect (viewUpdate);
		view->drawRect (context, viewUpdate);
		context->restoreGlobalState ();
	}
	context->restoreGlobalState ();
	setDirty (false);
}

void CViewContainer::invalidRect (const CRect& rect)
{
	CRect r (rect);
	getChildTransform ().transform (r);
	CView::invalidRect (r);
}

bool CViewContainer::invalidateDirtyViews ()
{
	if (CView::isDirty ())
	{
		invalid ();
		return true;
	}
	for (auto view : std::vector<CView*> (children))
	{
		if (auto container = dynamic_cast<CViewContainer*> (view))
			container->invalidateDirtyViews ();
		else if (view->isDirty () && view->isVisible ())
			view->invalid ();
	}
	return true;
}

bool CViewContainer::isDirty () const
{
	if (CView::isDirty ())
		return true;
	return std::any_of (children.begin (), children.end (),
	                    [] (auto v) { return v->isVisible () && v->isDirty (); });
}

CMouseEventResult CViewContainer::onMouseDown (CPoint& where, const CButtonState& buttons)
{
	CPoint local (where);
	getChildTransform ().inverse ().transform (local);
	for (auto it = children.rbegin (); it != children.rend (); ++it)
	{
		auto view = *it;
		if (!view->isVisible () || !view->getMouseEnabled () || !view->hitTest (local, buttons))
			continue;
		CPoint p (local);
		auto result = view->onMouseDown (p, buttons);
		if (result == kMouseEventHandled)
		{
			if (isChild (view)) // it may have removed itself
				mouseDownView = view;
			return result;
		}
	}
	return kMouseEventNotHandled;
}

CMouseEventResult CViewContainer::onMouseUp (CPoint& where, const CButtonState& buttons)
{
	if (!mouseDownView)
		return kMouseEventNotHandled;
	CPoint p (where);
	getChildTransform ().inverse ().transform (p);
	SharedPointer<CView> view (mouseDownView);
	mouseDownView = nullptr;
	return view->onMouseUp (p, buttons);
}

CMouseEventResult CViewContainer::onMouseMoved (CPoint& where, const CButtonState& buttons)
{
	CPoint p (where);
	getChildTransform ().inverse ().transform (p);
	if (mouseDownView)
	{
		SharedPointer<CView> view (mouseDownView);
		return view->onMouseMoved (p, buttons);
	}
	for (auto it = children.rbegin (); it != children.rend (); ++it)
	{
		auto view = *it;
		if (view->isVisible () && view->getMouseEnabled () && view->hitTest (p, buttons))
			return view->onMouseMoved (p, buttons);
	}
	return kMouseEventNotHandled;
}

CMouseEventResult CViewContainer::onMouseCancel ()
{
	if (!mouseDownView)
		return kMouseEventNotHandled;
	SharedPointer<CView> view (mouseDownView);
	mouseDownView = nullptr;
	return view->onMouseCancel ();
}

bool CViewContainer::attached (CView* parent)
{
	if (!CView::attached (parent))
		return false;
	for (auto view : children)
		view->attached (this);
	return true;
}

bool CViewContainer::removed (CView* parent)
{
	if (!isAttached ())
		return false;
	for (auto view : children)
		view->removed (this);
	return CView::removed (parent);
}

} // namespace VSTGUI
