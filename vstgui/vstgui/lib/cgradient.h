#pragma once

#include "ccolor.h"

#include <map>

namespace VSTGUI {

// Colour stops along 0..1 for gradient fills.
class CGradient : public CBaseObject
{
public:
	using ColorStopMap = std::multimap<double, CColor>;

	static CGradient* create (const ColorStopMap& stops) { return new CGradient (stops); }
	static CGradient* create (double color1Start, double color2Start, const CColor& color1,
	                          const CColor& color2)
	{
		auto g = new CGradient ({});
		g->addColorStop (color1Start, color1);
		g->addColorStop (color2Start, color2);
		return g;
	}

	void addColorStop (double start, const CColor& color) { colorStops.emplace (start, color); }
	const ColorStopMap& getColorStops () const { return colorStops; }

protected:
	explicit CGradient (const ColorStopMap& stops) : colorStops (stops) {}

	ColorStopMap colorStops;
};

} // namespace VSTGUI
