#pragma once

#include "cbuttonstate.h"
#include "ccolor.h"
#include "crect.h"

namespace VSTGUI {

// The base of everything on screen: a rectangle in its parent's coordinates that draws itself
// and may answer the mouse. A view is owned by the container it is added to.
class CView : public CBaseObject
{
public:
	explicit CView (const CRect& size);
	CView (const CView& other);
	~CView () noexcept override;

	// Drawing: draw () paints the background bitmap, if any, and clears the dirty flag.
	virtual void draw (CDrawContext* context);
	virtual void drawRect (CDrawContext* context, const CRect& updateRect);
	virtual void setDirty (bool state = true);
	virtual bool isDirty () const { return dirty; }
	// Clears the dirty flag and asks for a repaint of the whole view.
	virtual void invalid ();
	virtual void invalidRect (const CRect& rect);

	// Mouse: `where` is in the parent's coordinates, like the view's rectangle.
	virtual CMouseEventResult onMouseDown (CPoint& where, const CButtonState& buttons);
	virtual CMouseEventResult onMouseUp (CPoint& where, const CButtonState& buttons);
	virtual CMouseEventResult onMouseMoved (CPoint& where, const CButtonState& buttons);
	virtual CMouseEventResult onMouseCancel ();
	virtual CMouseEventResult onMouseEntered (CPoint& where, const CButtonState& buttons);
	virtual CMouseEventResult onMouseExited (CPoint& where, const CButtonState& buttons);
	virtual bool hitTest (const CPoint& where, const CButtonState& buttons = -1);
	virtual void setMouseEnabled (bool state = true) { mouseEnabled = state; }
	bool getMouseEnabled () const { return mouseEnabled; }

	// Geometry
	const CRect& getViewSize () const { return size; }
	virtual void setViewSize (const CRect& rect, bool invalidate = true);
	CCoord getWidth () const { return size.getWidth (); }
	CCoord getHeight () const { return size.getHeight (); }
	// Converts a point from this view's parent to frame coordinates (unzoomed).
	CPoint& localToFrame (CPoint& point) const;
	CPoint& frameToLocal (CPoint& point) const;

	// Background bitmap (a reference is kept) and transparency.
	virtual void setBackground (CBitmap* background);
	CBitmap* getBackground () const { return background; }
	virtual void setTransparency (bool state) { transparency = state; }
	bool getTransparency () const { return transparency; }
	virtual void setVisible (bool state);
	bool isVisible () const { return visible; }

	// Attach / remove
	virtual bool attached (CView* parent);
	virtual bool removed (CView* parent);
	bool isAttached () const { return parentView != nullptr; }
	CView* getParentView () const { return parentView; }
	CFrame* getFrame () const { return parentFrame; }

protected:
	CRect size;
	CView* parentView {nullptr};
	CFrame* parentFrame {nullptr};
	SharedPointer<CBitmap> background;
	bool dirty {false};
	bool mouseEnabled {true};
	bool transparency {false};
	bool visible {true};
};

} // namespace VSTGUI
