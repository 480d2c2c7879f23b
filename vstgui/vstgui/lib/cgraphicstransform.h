#pragma once

#include "crect.h"

namespace VSTGUI {

// Affine transform: x' = m11 x + m12 y + dx, y' = m21 x + m22 y + dy.
class CGraphicsTransform
{
public:
	double m11 {1.}, m12 {0.}, m21 {0.}, m22 {1.}, dx {0.}, dy {0.};

	CGraphicsTransform () = default;
	CGraphicsTransform (double m11, double m12, double m21, double m22, double dx, double dy)
	    : m11 (m11), m12 (m12), m21 (m21), m22 (m22), dx (dx), dy (dy)
	{}

	bool isInvariant () const { return *this == CGraphicsTransform (); }
	// translate and scale act after the transform so far.
	CGraphicsTransform& translate (double x, double y)
	{
		return *this = CGraphicsTransform (1, 0, 0, 1, x, y) * *this;
	}
	CGraphicsTransform& translate (const CPoint& p) { return translate (p.x, p.y); }
	CGraphicsTransform& scale (double x, double y)
	{
		return *this = CGraphicsTransform (x, 0, 0, y, 0, 0) * *this;
	}

	CPoint& transform (CPoint& p) const
	{
		double x = m11 * p.x + m12 * p.y + dx;
		p.y = m21 * p.x + m22 * p.y + dy;
		p.x = x;
		return p;
	}
	// Bounding box of the transformed corners.
	CRect& transform (CRect& r) const
	{
		CPoint a (r.left, r.top), b (r.right, r.bottom);
		transform (a);
		transform (b);
		return (r = CRect (a.x, a.y, b.x, b.y)).normalize ();
	}
	CGraphicsTransform inverse () const
	{
		double det = m11 * m22 - m12 * m21;
		if (det == 0.)
			return {};
		CGraphicsTransform r (m22 / det, -m12 / det, -m21 / det, m11 / det, 0, 0);
		r.dx = -(r.m11 * dx + r.m12 * dy);
		r.dy = -(r.m21 * dx + r.m22 * dy);
		return r;
	}
	// (a * b) applies b first, then a.
	CGraphicsTransform operator* (const CGraphicsTransform& b) const
	{
		return {m11 * b.m11 + m12 * b.m21, m11 * b.m12 + m12 * b.m22,    m21 * b.m11 + m22 * b.m21,
		        m21 * b.m12 + m22 * b.m22, m11 * b.dx + m12 * b.dy + dx, m21 * b.dx + m22 * b.dy + dy};
	}
	bool operator== (const CGraphicsTransform& o) const
	{
		return m11 == o.m11 && m12 == o.m12 && m21 == o.m21 && m22 == o.m22 && dx == o.dx && dy == o.dy;
	}
	bool operator!= (const CGraphicsTransform& o) const { return !(*this == o); }
};

} // namespace VSTGUI
