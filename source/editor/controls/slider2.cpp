#include "slider2.h"

#include "vstgui/lib/cdrawcontext.h"
#include "vstgui/lib/cgraphicspath.h"

#include <cmath>

using namespace VSTGUI;

namespace {

// A rounded rectangle of corner radius 4; nothing for the inverted rectangle of a very small view.
void fillRoundRect (CDrawContext* context, const CRect& r, const CColor& color)
{
	if (r.isEmpty ())
		return;
	auto path = owned (context->createGraphicsPath ());
	path->addRoundRect (r, 4);
	context->setFillColor (color);
	context->drawGraphicsPath (path, CDrawContext::kPathFilled);
}

} // namespace

Slider2::Slider2 (const CRect& size, IControlListener* listener, int32_t tag)
    : CControl (size, listener, tag), handleRect (size.left, size.top, size.left + 4, size.bottom)
{}

std::optional<double> Slider2::valueAt (CCoord x) const
{
	CCoord w = getWidth ();
	if (!(w >= 2.))
		return std::nullopt;
	return (x - getViewSize ().left) / (w - 1.);
}

void Slider2::draw (CDrawContext* context)
{
	auto view = getViewSize ();
	CRect r (view);
	r.inset (2, 6);
	context->setDrawMode (kAntiAliasing);
	fillRoundRect (context, r, CColor (127, 127, 127, 255));
	r.inset (2, 2);
	fillRoundRect (context, r, CColor (0, 0, 0, 255));

	// The handle's left edge runs from the left at 0 to 7 points before the right at 1.
	CCoord x = view.left + value * (view.getWidth () - 7.);
	handleRect (x, view.top, x + 6, view.bottom);
	context->setFillColor (CColor (0, 0, 0, 255));
	context->drawRect (CRect (x + 1, view.top + 1, x + 7, view.bottom + 1), kDrawFilled); // shadow
	handleRect (x, view.top + 1, x + 6, view.bottom - 1);
	context->setFillColor (CColor (0, 174, 239, 255));
	context->drawRect (handleRect, kDrawFilled);
	setDirty (false);
}

CMouseEventResult Slider2::onMouseDown (CPoint& where, const CButtonState& buttons)
{
	if (!buttons.isLeftButton ())
		return kMouseEventHandled;
	float n;
	if (buttons.getModifierState () == kControl)
		n = getDefaultValue ();
	else
	{
		// A press on the handle changes nothing: the drag that follows moves it.
		if (handleRect.pointInside (where))
			return kMouseEventHandled;
		auto v = valueAt (where.x);
		if (!v || !std::isfinite (*v))
			return kMouseEventHandled;
		n = static_cast<float> (*v);
	}
	if (n == value)
		return kMouseEventHandled;
	beginEdit ();
	value = n;
	valueChanged ();
	invalid ();
	return kMouseEventHandled;
}

// Positions outside 0..1 are ignored, so a fast drag past an end keeps the last value inside.
CMouseEventResult Slider2::onMouseMoved (CPoint& where, const CButtonState& buttons)
{
	auto c = valueAt (where.x);
	if (!c || !(*c >= 0. && *c <= 1.))
		return kMouseEventHandled;
	if (buttons.isLeftButton () && static_cast<float> (*c) != value)
	{
		value = static_cast<float> (*c);
		valueChanged ();
		invalid ();
	}
	return kMouseEventNotImplemented;
}

// The edit of a press ends here; without one open, endEdit does nothing.
CMouseEventResult Slider2::onMouseUp (CPoint&, const CButtonState&)
{
	endEdit ();
	invalid ();
	return kMouseEventHandled;
}

// A press taken away (the window closes during a drag) still ends its edit.
CMouseEventResult Slider2::onMouseCancel ()
{
	endEdit ();
	return kMouseEventHandled;
}

void Slider2::setValue (float v)
{
	if (v == value || !std::isfinite (v))
		return;
	value = v;
	invalid ();
	setDirty (true);
}
