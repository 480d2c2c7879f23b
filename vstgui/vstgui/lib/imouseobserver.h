#pragma once

#include "cbuttonstate.h"
#include "cpoint.h"

namespace VSTGUI {

// Told about mouse activity on a frame before its views are.
class IMouseObserver
{
public:
	virtual ~IMouseObserver () noexcept = default;
	virtual void onMouseEntered (CView* view, CFrame* frame) = 0;
	virtual void onMouseExited (CView* view, CFrame* frame) = 0;
	// kMouseEventHandled swallows the event: the views do not see it.
	virtual CMouseEventResult onMouseMoved (CFrame* frame, const CPoint& where, const CButtonState& buttons)
	{
		(void)frame;
		(void)where;
		(void)buttons;
		return kMouseEventNotHandled;
	}
	virtual CMouseEventResult onMouseDown (CFrame* frame, const CPoint& where, const CButtonState& buttons)
	{
		(void)frame;
		(void)where;
		(void)buttons;
		return kMouseEventNotHandled;
	}
};

} // namespace VSTGUI
