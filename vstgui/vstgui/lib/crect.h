#pragma once

#include "cpoint.h"

#include <algorithm>

namespace VSTGUI {

// left/top inclusive, right/bottom exclusive.
struct CRect
{
	constexpr CRect () = default;
	constexpr CRect (CCoord l, CCoord t, CCoord r, CCoord b) : left (l), top (t), right (r), bottom (b) {}
	constexpr CRect (const CPoint& origin, const CPoint& size)
	    : left (origin.x), top (origin.y), right (origin.x + size.x), bottom (origin.y + size.y)
	{}

	CRect& operator() (CCoord l, CCoord t, CCoord r, CCoord b)
	{
		left = l;
		top = t;
		right = r;
		bottom = b;
		return *this;
	}
	bool operator== (const CRect& o) const
	{
		return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
	}
	bool operator!= (const CRect& o) const { return !(*this == o); }

	CCoord getWidth () const { return right - left; }
	CCoord getHeight () const { return bottom - top; }
	CRect& setWidth (CCoord w)
	{
		right = left + w;
		return *this;
	}
	CRect& setHeight (CCoord h)
	{
		bottom = top + h;
		return *this;
	}
	CPoint getTopLeft () const { return {left, top}; }
	CPoint getBottomRight () const { return {right, bottom}; }
	CPoint getSize () const { return {getWidth (), getHeight ()}; }
	CPoint getCenter () const { return {left + getWidth () / 2., top + getHeight () / 2.}; }
	CRect& setTopLeft (const CPoint& p)
	{
		left = p.x;
		top = p.y;
		return *this;
	}
	CRect& setSize (const CPoint& s) { return setWidth (s.x).setHeight (s.y); }

	CRect& offset (CCoord dx, CCoord dy)
	{
		left += dx;
		right += dx;
		top += dy;
		bottom += dy;
		return *this;
	}
	CRect& offset (const CPoint& p) { return offset (p.x, p.y); }
	CRect& offsetInverse (const CPoint& p) { return offset (-p.x, -p.y); }
	CRect& moveTo (CCoord x, CCoord y) { return offset (x - left, y - top); }
	CRect& moveTo (const CPoint& p) { return moveTo (p.x, p.y); }
	CRect& originize () { return offset (-left, -top); }
	CRect& inset (CCoord dx, CCoord dy)
	{
		left += dx;
		right -= dx;
		top += dy;
		bottom -= dy;
		return *this;
	}
	CRect& extend (CCoord dx, CCoord dy) { return inset (-dx, -dy); }
	CRect& normalize ()
	{
		if (left > right)
			std::swap (left, right);
		if (top > bottom)
			std::swap (top, bottom);
		return *this;
	}
	CRect& makeIntegral ()
	{
		left = std::floor (left + 0.5);
		top = std::floor (top + 0.5);
		right = std::floor (right + 0.5);
		bottom = std::floor (bottom + 0.5);
		return *this;
	}

	bool isEmpty () const { return right <= left || bottom <= top; }
	bool pointInside (const CPoint& p) const
	{
		return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
	}
	bool rectOverlap (const CRect& o) const
	{
		return right > o.left && left < o.right && bottom > o.top && top < o.bottom;
	}
	// Intersection; an empty result when the two do not overlap.
	CRect& bound (const CRect& o)
	{
		left = std::max (left, o.left);
		top = std::max (top, o.top);
		right = std::max (left, std::min (right, o.right));
		bottom = std::max (top, std::min (bottom, o.bottom));
		return *this;
	}
	// Smallest rectangle holding both; an empty operand does not count.
	CRect& unite (const CRect& o)
	{
		if (o.isEmpty ())
			return *this;
		if (isEmpty ())
			return *this = o;
		left = std::min (left, o.left);
		top = std::min (top, o.top);
		right = std::max (right, o.right);
		bottom = std::max (bottom, o.bottom);
		return *this;
	}

	CCoord left {0.};
	CCoord top {0.};
	CCoord right {0.};
	CCoord bottom {0.};
};

} // namespace VSTGUI
