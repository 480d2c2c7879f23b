#pragma once

#include "vstguifwd.h"

#include <cmath>

namespace VSTGUI {

struct CPoint
{
	constexpr CPoint () = default;
	constexpr CPoint (CCoord x, CCoord y) : x (x), y (y) {}

	CPoint& operator() (CCoord nx, CCoord ny)
	{
		x = nx;
		y = ny;
		return *this;
	}
	bool operator== (const CPoint& o) const { return x == o.x && y == o.y; }
	bool operator!= (const CPoint& o) const { return !(*this == o); }
	CPoint operator+ (const CPoint& o) const { return {x + o.x, y + o.y}; }
	CPoint operator- (const CPoint& o) const { return {x - o.x, y - o.y}; }
	CPoint operator- () const { return {-x, -y}; }
	CPoint& operator+= (const CPoint& o)
	{
		x += o.x;
		y += o.y;
		return *this;
	}
	CPoint& operator-= (const CPoint& o)
	{
		x -= o.x;
		y -= o.y;
		return *this;
	}

	CPoint& offset (CCoord dx, CCoord dy)
	{
		x += dx;
		y += dy;
		return *this;
	}
	CPoint& offset (const CPoint& p) { return offset (p.x, p.y); }
	CPoint& offsetInverse (const CPoint& p) { return offset (-p.x, -p.y); }
	CPoint& makeIntegral ()
	{
		x = std::round (x);
		y = std::round (y);
		return *this;
	}

	CCoord x {0.};
	CCoord y {0.};
};

} // namespace VSTGUI
