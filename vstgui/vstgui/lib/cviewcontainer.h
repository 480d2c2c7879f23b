#pragma once

#include "cview.h"

#include <vector>

namespace VSTGUI {

// Holds child views, drawn in the order added (later on top). Child rectangles are relative to
// the container's top-left corner. Hit testing goes topmost first; the child that handled a
// press receives the moves and the release that follow.
class CViewContainer : public CView
{
public:
	explicit CViewContainer (const CRect& size);
	~CViewContainer () noexcept override;

	// Takes over the caller's reference.
	virtual bool addView (CView* view);
	virtual bool removeView (CView* view, bool withForget = true);
	virtual bool removeAll (bool withForget = true);
	bool isChild (CView* view) const;
	uint32_t getNbViews () const { return static_cast<uint32_t> (children.size ()); }
	CView* getView (uint32_t index) const { return index < children.size () ? children[index] : nullptr; }
	// The topmost visible child under `where` (container's parent coordinates); with `deep`,
	// descends into child containers.
	CView* getViewAt (const CPoint& where, bool deep = false) const;

	void setBackgroundColor (const CColor& color) { backgroundColor = color; }
	CColor getBackgroundColor () const { return backgroundColor; }

	void drawRect (CDrawContext* context, const CRect& updateRect) override;
	void invalidRect (const CRect& rect) override;
	// Repaints the children whose dirty flag is set.
	virtual bool invalidateDirtyViews ();
	bool isDirty () const override;

	CMouseEventResult onMouseDown (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseUp (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseMoved (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseCancel () override;

	bool attached (CView* parent) override;
	bool removed (CView* parent) override;

protected:
	// Transform from children's coordinates to this view's parent.
	virtual CGraphicsTransform getChildTransform () const;
	// Draws the background bitmap (or colour) over the container's area in child coordinates.
	virtual void drawBackgroundRect (CDrawContext* context, const CRect& updateRect);
	CRect getChildArea () const;

	std::vector<CView*> children;
	CView* mouseDownView {nullptr};
	CColor backgroundColor {kTransparentCColor};
};

} // namespace VSTGUI
