#pragma once

#include "cpoint.h"

#include <utility>

namespace VSTGUI {

enum CDrawModeFlags : uint32_t
{
	kAliasing = 0,
	kAntiAliasing = 1,
};

class CDrawMode
{
public:
	constexpr CDrawMode (uint32_t mode = kAliasing) : mode (mode) {}
	constexpr uint32_t modeIgnoringIntegralMode () const { return mode & 0xF; }
	constexpr uint32_t operator() () const { return mode; }
	constexpr bool operator== (const CDrawMode& o) const { return mode == o.mode; }
	constexpr bool operator!= (const CDrawMode& o) const { return mode != o.mode; }

private:
	uint32_t mode;
};

using LinePair = std::pair<CPoint, CPoint>;

} // namespace VSTGUI
