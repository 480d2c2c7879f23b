#include "cview.h"
#include "cbitmap.h"
#include "cdrawcontext.h"
#include "cframe.h"

namespace VSTGUI {

CView::CView (const CRect& size) : size (size) {}

// A copy is not attached anywhere.
CView::CView (const CView& o)
    : CBaseObject (o), size (o.size), background (o.background), dirty (o.dirty),
      mouseEnabled (o.mouseEnabled), transparency (o.transparency), visible (o.visible)
{}

CView::~CView () noexcept = default;

void CView::draw (CDrawContext* context)
{
	if (background)
		background->draw (context, size);
	setDirty (false);
}

void CView::drawRect (CDrawContext* context, const CRect& updateRect)
{
	(void)updateRect;
	draw (context);
}

void CView::setDirty (bool state) { dirty = state; }

void CView::invalid ()
{
	setDirty (false);
	invalidRect (size);
}

void CView::invalidRect (const CRect& rect)
{
	if (parentView && visible)
		parentView->invalidRect (rect);
}

CMouseEventResult CView::onMouseDown (CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseUp (CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseMoved (CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseCancel () { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseEntered (CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseExited (CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }

bool CView::hitTest (const CPoint& where, const CButtonState&) { return size.pointInside (where); }

void CView::setViewSize (const CRect& rect, bool invalidate)
{
	if (rect == size)
		return;
	if (invalidate)
		invalidRect (size);
	size = rect;
	if (invalidate)
		invalid ();
}

CPoint& CView::localToFrame (CPoint& point) const
{
	for (auto p = parentView; p && p != parentFrame; p = p->parentView)
		point.offset (p->size.left, p->size.top);
	return point;
}

CPoint& CView::frameToLocal (CPoint& point) const
{
	for (auto p = parentView; p && p != parentFrame; p = p->parentView)
		point.offset (-p->size.left, -p->size.top);
	return point;
}

void CView::setBackground (CBitmap* bitmap)
{
	background = bitmap;
	setDirty (true);
}

void CView::setVisible (bool state)
{
	if (state == visible)
		return;
	if (!state)
		invalidRect (size);
	visible = state;
	if (state)
		invalid ();
}

bool CView::attached (CView* parent)
{
	if (isAttached ())
		return false;
	parentView = parent;
	parentFrame = parent->getFrame ();
	invalid ();
	return true;
}

bool CView::removed (CView* parent)
{
	(void)parent;
	if (!isAttached ())
		return false;
	parentView = nullptr;
	parentFrame = nullptr;
	return true;
}

} // namespace VSTGUI
