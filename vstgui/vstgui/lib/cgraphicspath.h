#pragma once

#include "cgradient.h"
#include "crect.h"

#include <vector>

namespace VSTGUI {

// A vector outline, made by CDrawContext::createGraphicsPath and drawn or gradient-filled by it.
class CGraphicsPath : public CBaseObject
{
public:
	struct Element
	{
		enum Type
		{
			kRect,
			kRoundRect
		} type;
		CRect rect;
		CCoord radius;
	};

	void addRect (const CRect& rect) { elements.push_back ({Element::kRect, rect, 0.}); }
	// Corners are quarter circles of `radius` (limited to half the shorter side).
	void addRoundRect (const CRect& rect, CCoord radius)
	{
		elements.push_back ({Element::kRoundRect, rect, radius});
	}

	CGradient* createGradient (double color1Start, double color2Start, const CColor& color1,
	                           const CColor& color2)
	{
		return CGradient::create (color1Start, color2Start, color1, color2);
	}

	const std::vector<Element>& getElements () const { return elements; }

private:
	friend class CDrawContext;
	CGraphicsPath () = default;

	std::vector<Element> elements;
};

} // namespace VSTGUI
