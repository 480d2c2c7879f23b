#pragma once

#include "../cpoint.h"

#include <cstdint>
#include <vector>

namespace VSTGUI {

using PNGBitmapBuffer = std::vector<uint8_t>;

// One resolution of a bitmap: pixels, and how many of them make one point.
class IPlatformBitmap : public NonAtomicReferenceCounted
{
public:
	// A transparent bitmap of `size` pixels.
	static PlatformBitmapPtr create (const CPoint& size);
	// Loads a PNG file; null when missing or unreadable.
	static PlatformBitmapPtr createFromPath (UTF8StringPtr absolutePath);

	// Size in pixels.
	virtual const CPoint& getSize () const = 0;
	virtual void setScaleFactor (double factor) = 0;
	virtual double getScaleFactor () const = 0;
	virtual PNGBitmapBuffer createMemoryPNGRepresentation () = 0;
};

} // namespace VSTGUI
