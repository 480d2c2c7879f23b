// IPlatformBitmap on a cairo image surface (ARGB32, premultiplied).
#pragma once

#include "../iplatformbitmap.h"

typedef struct _cairo_surface cairo_surface_t;

namespace VSTGUI {
namespace Cairo {

class Bitmap : public IPlatformBitmap
{
public:
	// Takes over the caller's reference to `surface`.
	explicit Bitmap (cairo_surface_t* surface);
	~Bitmap () noexcept override;

	const CPoint& getSize () const override { return size; }
	void setScaleFactor (double factor) override { scaleFactor = factor; }
	double getScaleFactor () const override { return scaleFactor; }
	PNGBitmapBuffer createMemoryPNGRepresentation () override;

	cairo_surface_t* getSurface () const { return surface; }

private:
	cairo_surface_t* surface;
	CPoint size;
	double scaleFactor {1.};
};

} // namespace Cairo
} // namespace VSTGUI
