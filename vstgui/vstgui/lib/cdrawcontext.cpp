#include "cdrawcontext.h"
#include "cbitmap.h"
#include "cgraphicspath.h"

#include <cairo/cairo.h>
#include <cmath>

namespace VSTGUI {

namespace {
CFontDesc systemFont ("DejaVu Sans", 12);
CFontDesc normalFont ("DejaVu Sans", 12);
} // namespace
const CFontRef kSystemFont = &systemFont;
const CFontRef kNormalFont = &normalFont;

CDrawContext::CDrawContext (cairo_t* cr, const CRect& surfaceRect, double scaleFactor)
    : cr (cairo_reference (cr)), surfaceRect (surfaceRect), scaleFactor (scaleFactor)
{
	state.font = kSystemFont;
	state.clip = surfaceRect;
	cairo_save (cr); // the caller's state comes back on destruction
	applyState ();
}

CDrawContext::~CDrawContext () noexcept
{
	cairo_restore (cr);
	cairo_destroy (cr);
}

// The cairo matrix is scale x transform; the clip is kept in surface points.
void CDrawContext::applyState ()
{
	cairo_identity_matrix (cr);
	cairo_scale (cr, scaleFactor, scaleFactor);
	cairo_reset_clip (cr);
	cairo_rectangle (cr, state.clip.left, state.clip.top, state.clip.getWidth (), state.clip.getHeight ());
	cairo_clip (cr);
	auto& t = state.transform;
	cairo_matrix_t m;
	cairo_matrix_init (&m, t.m11, t.m21, t.m12, t.m22, t.dx, t.dy);
	cairo_transform (cr, &m);
}

void CDrawContext::setSourceColor (const CColor& c)
{
	cairo_set_source_rgba (cr, c.normRed (), c.normGreen (), c.normBlue (),
	                       c.normAlpha () * state.globalAlpha);
	cairo_set_antialias (cr, state.drawMode.modeIgnoringIntegralMode () == kAntiAliasing
	                             ? CAIRO_ANTIALIAS_DEFAULT
	                             : CAIRO_ANTIALIAS_NONE);
}

void CDrawContext::pushTransform (const CGraphicsTransform& t)
{
	transformStack.push_back (state.transform);
	state.transform = state.transform * t;
	applyState ();
}

void CDrawContext::popTransform ()
{
	if (transformStack.empty ())
		return;
	state.transform = transformStack.back ();
	transformStack.pop_back ();
	applyState ();
}

void CDrawContext::setClipRect (const CRect& clip)
{
	CRect r (clip);
	state.transform.transform (r);
	state.clip = r.bound (surfaceRect);
	applyState ();
}

CRect& CDrawContext::getClipRect (CRect& clip) const
{
	clip = state.clip;
	return state.transform.inverse ().transform (clip);
}

void CDrawContext::resetClipRect ()
{
	state.clip = surfaceRect;
	applyState ();
}

void CDrawContext::saveGlobalState () { stateStack.push_back (state); }

void CDrawContext::restoreGlobalState ()
{
	if (stateStack.empty ())
		return;
	state = stateStack.back ();
	stateStack.pop_back ();
	applyState ();
}

void CDrawContext::setFont (const CFontRef font, const CCoord& size, const int32_t& style)
{
	if (!font)
		return;
	if (size == 0 && style == -1)
	{
		state.font = font;
		return;
	}
	state.font = makeOwned<CFontDesc> (font->getName (), size ? size : font->getSize (),
	                                   style == -1 ? font->getStyle () : style);
}

void CDrawContext::drawLine (const CPoint& start, const CPoint& end)
{
	setSourceColor (state.frameColor);
	// Odd whole widths: move to pixel centres so a line at y covers row y exactly.
	double o = std::fmod (state.lineWidth, 2.) == 1. ? 0.5 : 0.;
	cairo_move_to (cr, start.x + o, start.y + o);
	cairo_line_to (cr, end.x + o, end.y + o);
	cairo_set_line_width (cr, state.lineWidth);
	cairo_stroke (cr);
}

void CDrawContext::drawRect (const CRect& rect, const CDrawStyle drawStyle)
{
	if (drawStyle != kDrawStroked)
	{
		setSourceColor (state.fillColor);
		cairo_rectangle (cr, rect.left, rect.top, rect.getWidth (), rect.getHeight ());
		cairo_fill (cr);
	}
	if (drawStyle != kDrawFilled)
	{
		// The frame lies inside the rectangle.
		setSourceColor (state.frameColor);
		CRect r (rect);
		r.inset (state.lineWidth / 2., state.lineWidth / 2.);
		cairo_rectangle (cr, r.left, r.top, r.getWidth (), r.getHeight ());
		cairo_set_line_width (cr, state.lineWidth);
		cairo_stroke (cr);
	}
}

void CDrawContext::clearRect (const CRect& rect)
{
	cairo_save (cr);
	cairo_set_operator (cr, CAIRO_OPERATOR_CLEAR);
	cairo_rectangle (cr, rect.left, rect.top, rect.getWidth (), rect.getHeight ());
	cairo_fill (cr);
	cairo_restore (cr);
}

void CDrawContext::selectFont ()
{
	auto font = state.font ? state.font.get () : kSystemFont;
	cairo_select_font_face (
	    cr, font->getName ().data (),
	    (font->getStyle () & kItalicFace) ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
	    (font->getStyle () & kBoldFace) ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
	cairo_set_font_size (cr, font->getSize ());
}

CCoord CDrawContext::getStringWidth (const UTF8String& string)
{
	selectFont ();
	cairo_text_extents_t extents;
	cairo_text_extents (cr, string.data (), &extents);
	return extents.x_advance;
}

void CDrawContext::drawString (const UTF8String& string, const CPoint& point, bool antialias)
{
	if (string.empty ())
		return;
	selectFont ();
	setSourceColor (state.fontColor);
	auto options = cairo_font_options_create ();
	cairo_font_options_set_antialias (options, antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
	cairo_font_options_set_hint_metrics (options, CAIRO_HINT_METRICS_OFF);
	cairo_set_font_options (cr, options);
	cairo_font_options_destroy (options);
	cairo_move_to (cr, point.x, point.y);
	cairo_show_text (cr, string.data ());
	cairo_new_path (cr);
}

void CDrawContext::drawString (const UTF8String& string, const CRect& rect, const CHoriTxtAlign hAlign,
                               bool antialias)
{
	if (string.empty ())
		return;
	selectFont ();
	cairo_font_extents_t font;
	cairo_font_extents (cr, &font);
	CCoord width = getStringWidth (string);
	CPoint p (rect.left, rect.top + rect.getHeight () / 2. + (font.ascent - font.descent) / 2.);
	if (hAlign == kCenterText)
		p.x += (rect.getWidth () - width) / 2.;
	else if (hAlign == kRightText)
		p.x = rect.right - width;
	drawString (string, p, antialias);
}

void CDrawContext::drawBitmap (CBitmap* bitmap, const CRect& dest, const CPoint& offset, float alpha)
{
	if (!bitmap)
		return;
	// The drawing scale in pixels per point picks the resolution.
	double drawScale = scaleFactor * std::sqrt (std::abs (state.transform.m11 * state.transform.m22 -
	                                                      state.transform.m12 * state.transform.m21));
	auto platformBitmap = bitmap->getBestPlatformBitmapForScaleFactor (drawScale);
	if (!platformBitmap)
		return;
	double s = platformBitmap->getScaleFactor ();
	CRect area (dest.left - offset.x, dest.top - offset.y, 0, 0);
	area.setWidth (bitmap->getWidth ()).setHeight (bitmap->getHeight ());
	area.bound (dest);
	cairo_save (cr);
	cairo_rectangle (cr, area.left, area.top, area.getWidth (), area.getHeight ());
	cairo_clip (cr);
	cairo_translate (cr, dest.left - offset.x, dest.top - offset.y);
	cairo_scale (cr, 1. / s, 1. / s);
	cairo_set_source_surface (cr, platformBitmap->getSurface (), 0, 0);
	cairo_pattern_set_filter (cairo_get_source (cr), CAIRO_FILTER_GOOD);
	cairo_pattern_set_extend (cairo_get_source (cr), CAIRO_EXTEND_PAD); // scaled edges stay solid
	cairo_paint_with_alpha (cr, alpha * state.globalAlpha);
	cairo_restore (cr);
}

CGraphicsPath* CDrawContext::createGraphicsPath () { return new CGraphicsPath; }

void CDrawContext::addPath (const CGraphicsPath& path)
{
	cairo_new_path (cr);
	for (auto& e : path.getElements ())
	{
		auto& r = e.rect;
		if (e.type == CGraphicsPath::Element::kRect)
		{
			cairo_rectangle (cr, r.left, r.top, r.getWidth (), r.getHeight ());
			continue;
		}
		double radius = std::min ({e.radius, r.getWidth () / 2., r.getHeight () / 2.});
		cairo_new_sub_path (cr);
		cairo_arc (cr, r.right - radius, r.top + radius, radius, -M_PI / 2., 0.);
		cairo_arc (cr, r.right - radius, r.bottom - radius, radius, 0., M_PI / 2.);
		cairo_arc (cr, r.left + radius, r.bottom - radius, radius, M_PI / 2., M_PI);
		cairo_arc (cr, r.left + radius, r.top + radius, radius, M_PI, 3. * M_PI / 2.);
		cairo_close_path (cr);
	}
}

void CDrawContext::drawGraphicsPath (CGraphicsPath* path, PathDrawMode mode, CGraphicsTransform* t)
{
	if (!path)
		return;
	if (t)
		pushTransform (*t);
	addPath (*path);
	if (mode == kPathStroked)
	{
		setSourceColor (state.frameColor);
		cairo_set_line_width (cr, state.lineWidth);
		cairo_stroke (cr);
	}
	else
	{
		setSourceColor (state.fillColor);
		cairo_set_fill_rule (cr,
		                     mode == kPathFilledEvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
		cairo_fill (cr);
	}
	if (t)
		popTransform ();
}

void CDrawContext::fillLinearGradient (CGraphicsPath* path, const CGradient& gradient,
                                       const CPoint& startPoint, const CPoint& endPoint, bool evenOdd,
                                       CGraphicsTransform* t)
{
	if (!path)
		return;
	if (t)
		pushTransform (*t);
	auto pattern = cairo_pattern_create_linear (startPoint.x, startPoint.y, endPoint.x, endPoint.y);
	for (auto& [offset, c] : gradient.getColorStops ())
		cairo_pattern_add_color_stop_rgba (pattern, offset, c.normRed (), c.normGreen (), c.normBlue (),
		                                   c.normAlpha () * state.globalAlpha);
	addPath (*path);
	setSourceColor (state.fillColor); // sets the anti-aliasing mode
	cairo_set_source (cr, pattern);
	cairo_set_fill_rule (cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
	cairo_fill (cr);
	cairo_pattern_destroy (pattern);
	if (t)
		popTransform ();
}

} // namespace VSTGUI
