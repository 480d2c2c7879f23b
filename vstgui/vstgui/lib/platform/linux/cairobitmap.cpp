#include "cairobitmap.h"

#include <cairo/cairo.h>

namespace VSTGUI {
namespace Cairo {

Bitmap::Bitmap (cairo_surface_t* surface)
    : surface (surface),
      size (cairo_image_surface_get_width (surface), cairo_image_surface_get_height (surface))
{}

Bitmap::~Bitmap () noexcept { cairo_surface_destroy (surface); }

PNGBitmapBuffer Bitmap::createMemoryPNGRepresentation ()
{
	PNGBitmapBuffer buffer;
	cairo_surface_flush (surface);
	cairo_surface_write_to_png_stream (
	    surface,
	    [] (void* closure, const unsigned char* data, unsigned int length) {
		    auto b = static_cast<PNGBitmapBuffer*> (closure);
		    b->insert (b->end (), data, data + length);
		    return CAIRO_STATUS_SUCCESS;
	    },
	    &buffer);
	return buffer;
}

PlatformBitmapPtr Bitmap::create (const CPoint& size)
{
	auto s = cairo_image_surface_create (CAIRO_FORMAT_ARGB32, static_cast<int> (size.x),
	                                     static_cast<int> (size.y));
	if (cairo_surface_status (s) != CAIRO_STATUS_SUCCESS)
	{
		cairo_surface_destroy (s);
		return {};
	}
	return makeOwned<Bitmap> (s);
}

PlatformBitmapPtr Bitmap::createFromPath (UTF8StringPtr absolutePath)
{
	auto s = cairo_image_surface_create_from_png (absolutePath);
	if (cairo_surface_status (s) != CAIRO_STATUS_SUCCESS)
	{
		cairo_surface_destroy (s);
		return {};
	}
	if (cairo_image_surface_get_format (s) != CAIRO_FORMAT_ARGB32)
	{
		// One pixel format for every bitmap: ARGB32.
		auto argb = cairo_image_surface_create (CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width (s),
		                                        cairo_image_surface_get_height (s));
		auto cr = cairo_create (argb);
		cairo_set_source_surface (cr, s, 0, 0);
		cairo_set_operator (cr, CAIRO_OPERATOR_SOURCE);
		cairo_paint (cr);
		cairo_destroy (cr);
		cairo_surface_destroy (s);
		s = argb;
	}
	return makeOwned<Bitmap> (s);
}

} // namespace Cairo
} // namespace VSTGUI
