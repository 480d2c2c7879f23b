// The platform bitmap: one resolution of a bitmap as a cairo image surface (ARGB32, premultiplied).
// The library draws with cairo only, so views and draw contexts use the surface directly;
// IPlatformBitmap (vstguifwd.h) names this class for VSTGUI-style code.
#pragma once

#include "../../cpoint.h"

#include <cstdint>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;

namespace VSTGUI {

using PNGBitmapBuffer = std::vector<uint8_t>;

namespace Cairo {

class Bitmap final : public NonAtomicReferenceCounted
{
public:
	// A transparent bitmap of `size` pixels; null if cairo cannot make one.
	static PlatformBitmapPtr create (const CPoint& size);
	// Loads a PNG file; null when missing or unreadable.
	static PlatformBitmapPtr createFromPath (UTF8StringPtr absolutePath);

	// Takes over the caller's reference to `surface`.
	explicit Bitmap (cairo_surface_t* surface);
	~Bitmap () noexcept override;

	// Size in pixels, and how many of them make one point.
	const CPoint& getSize () const { return size; }
	void setScaleFactor (double factor) { scaleFactor = factor; }
	double getScaleFactor () const { return scaleFactor; }
	PNGBitmapBuffer createMemoryPNGRepresentation ();

	cairo_surface_t* getSurface () const { return surface; }

private:
	cairo_surface_t* surface;
	CPoint size;
	double scaleFactor {1.};
};

} // namespace Cairo
} // namespace VSTGUI
