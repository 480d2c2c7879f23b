// Draws the editor's pictures: the window background and the push button, released and lit,
// at 1x, 1.5x and 2x. Deterministic: the same cairo and fonts give the same files.
//
//   chopwright-make-art FOLDER     writes the seven PNG files into FOLDER
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr double kWidth = 570, kHeight = 666; // the window, in points
constexpr double kButton = 22;                // the push button, in points
constexpr double kScopeLeft = 412, kScopeTop = 256, kScopeRight = 548, kScopeBottom = 606;
constexpr double kScopeMargin = 5;   // the recess around the level display
constexpr double kControlsTop = 615; // the strip that holds controls and labels

struct Rgb
{
	double r, g, b;
};

void setColor (cairo_t* cr, Rgb c, double alpha = 1.0) { cairo_set_source_rgba (cr, c.r, c.g, c.b, alpha); }

void roundedRect (cairo_t* cr, double x, double y, double w, double h, double radius)
{
	cairo_new_sub_path (cr);
	cairo_arc (cr, x + w - radius, y + radius, radius, -M_PI / 2, 0);
	cairo_arc (cr, x + w - radius, y + h - radius, radius, 0, M_PI / 2);
	cairo_arc (cr, x + radius, y + h - radius, radius, M_PI / 2, M_PI);
	cairo_arc (cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
	cairo_close_path (cr);
}

void verticalGradient (cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom)
{
	cairo_pattern_t* gradient = cairo_pattern_create_linear (0, y0, 0, y1);
	cairo_pattern_add_color_stop_rgb (gradient, 0, top.r, top.g, top.b);
	cairo_pattern_add_color_stop_rgb (gradient, 1, bottom.r, bottom.g, bottom.b);
	cairo_set_source (cr, gradient);
	cairo_pattern_destroy (gradient);
}

void text (cairo_t* cr, const char* s, double x, double y, double size, Rgb color, bool bold = false,
           double alpha = 1.0)
{
	cairo_select_font_face (cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
	                        bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
	cairo_set_font_size (cr, size);
	cairo_move_to (cr, x, y);
	setColor (cr, color, alpha);
	cairo_show_text (cr, s);
}

// A bar of sound cut into sixteen slices. Position k shows slice source[k], backwards where
// reversed[k]: the bar as recorded, or a break made from it.
void drawSlicedBar (cairo_t* cr, double x, double y, double w, double h, const int* source,
                    const bool* reversedAt)
{
	const Rgb ink {0.16, 0.20, 0.26};
	const Rgb accent {0.0, 0.55, 0.85};
	const int slices = 16;
	const double sliceWidth = w / slices;
	for (int position = 0; position < slices; ++position)
	{
		const int k = source[position];
		const bool reversed = reversedAt[position];
		const bool lit = k % 4 == 1;
		const double left = x + position * sliceWidth;
		roundedRect (cr, left + 1.5, y, sliceWidth - 3, h, 3);
		setColor (cr, lit ? accent : ink, lit ? 0.12 : 0.05);
		cairo_fill (cr);
		// A decaying hit per slice, drawn from its end when the slice plays backwards.
		const double centre = y + h / 2;
		cairo_move_to (cr, left + 3, centre);
		for (int i = 0; i <= 40; ++i)
		{
			const double phase = i / 40.0;
			const double t = reversed ? 1 - phase : phase;
			const double envelope = std::exp (-4.5 * t) * (0.35 + 0.6 * std::fabs (std::sin (k * 1.7)));
			const double wave = std::sin (t * (18 + 3 * (k % 3)) * M_PI) * envelope;
			cairo_line_to (cr, left + 3 + phase * (sliceWidth - 6), centre - wave * h * 0.42);
		}
		cairo_set_line_width (cr, 1.4);
		setColor (cr, lit ? accent : ink, 0.75);
		cairo_stroke (cr);
	}
}

void drawBackground (cairo_t* cr)
{
	const Rgb ink {0.16, 0.20, 0.26};
	// A warm light panel, darker towards the bottom.
	verticalGradient (cr, 0, kHeight, {0.93, 0.92, 0.89}, {0.82, 0.80, 0.76});
	cairo_paint (cr);

	// Title block.
	text (cr, "CHOPWRIGHT", 24, 58, 34, ink, true);
	text (cr, "tempo-synchronised break", 26, 82, 13, ink, false, 0.65);
	cairo_set_line_width (cr, 2);
	setColor (cr, ink, 0.8);
	cairo_move_to (cr, 24, 98);
	cairo_line_to (cr, 546, 98);
	cairo_stroke (cr);

	// The last bar, and the break made from it.
	const int inOrder[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
	const bool forwards[16] = {};
	const int rearranged[16] = {0, 1, 5, 5, 2, 9, 6, 6, 12, 3, 9, 10, 1, 13, 14, 7};
	const bool someBackwards[16] = {false, false, false, true,  false, false, false, false,
	                                false, false, true,  false, false, false, false, true};
	text (cr, "LAST BAR", 24, 136, 11, ink, true, 0.7);
	drawSlicedBar (cr, 24, 146, 372, 150, inOrder, forwards);
	text (cr, "BREAK", 24, 344, 11, ink, true, 0.7);
	drawSlicedBar (cr, 24, 354, 372, 150, rearranged, someBackwards);
	text (cr, "slices of one beat, half or a quarter beat, gated and crossfaded", 24, 530, 11, ink, false,
	      0.6);

	// The level display's recess.
	roundedRect (cr, kScopeLeft - kScopeMargin, kScopeTop - kScopeMargin,
	             kScopeRight - kScopeLeft + 2 * kScopeMargin, kScopeBottom - kScopeTop + 2 * kScopeMargin, 6);
	setColor (cr, {0.10, 0.12, 0.15});
	cairo_fill_preserve (cr);
	cairo_set_line_width (cr, 1);
	setColor (cr, {1, 1, 1}, 0.6);
	cairo_stroke (cr);
	text (cr, "OUTPUT", kScopeLeft, kScopeTop - 14, 11, ink, true, 0.7);

	// The controls strip: lighter, with an engraved line above it.
	verticalGradient (cr, kControlsTop, kHeight, {0.97, 0.96, 0.94}, {0.91, 0.90, 0.87});
	cairo_rectangle (cr, 0, kControlsTop, kWidth, kHeight - kControlsTop);
	cairo_fill (cr);
	cairo_set_line_width (cr, 1);
	setColor (cr, ink, 0.35);
	cairo_move_to (cr, 0, kControlsTop - 0.5);
	cairo_line_to (cr, kWidth, kControlsTop - 0.5);
	cairo_stroke (cr);
	setColor (cr, {1, 1, 1}, 0.8);
	cairo_move_to (cr, 0, kControlsTop + 0.5);
	cairo_line_to (cr, kWidth, kControlsTop + 0.5);
	cairo_stroke (cr);

	// Captions above the controls: break, slice size, gate.
	text (cr, "BREAK", 18, kControlsTop - 7, 9, ink, true, 0.55);
	text (cr, "SLICE", 100, kControlsTop - 7, 9, ink, true, 0.55);
	text (cr, "GATE SIZE", 256, kControlsTop - 7, 9, ink, true, 0.55);
	text (cr, "Quillmarsh", 470, 660, 10, ink, false, 0.5);
}

// The round push button: a rim, a body and, when lit, a blue glowing centre.
void drawButton (cairo_t* cr, double size, bool lit)
{
	const double c = size / 2;
	const double unit = size / kButton;
	cairo_arc (cr, c, c, c - 0.5 * unit, 0, 2 * M_PI);
	verticalGradient (cr, 0, size, {0.55, 0.55, 0.55}, {0.25, 0.25, 0.27});
	cairo_fill (cr);
	cairo_arc (cr, c, c, c - 2.5 * unit, 0, 2 * M_PI);
	if (lit)
	{
		cairo_pattern_t* glow = cairo_pattern_create_radial (c, c - unit, unit, c, c, c - 2.5 * unit);
		cairo_pattern_add_color_stop_rgb (glow, 0, 0.75, 0.93, 1.0);
		cairo_pattern_add_color_stop_rgb (glow, 0.5, 0.0, 0.62, 1.0);
		cairo_pattern_add_color_stop_rgb (glow, 1, 0.0, 0.36, 0.70);
		cairo_set_source (cr, glow);
		cairo_pattern_destroy (glow);
	}
	else
	{
		verticalGradient (cr, 0, size, {0.92, 0.92, 0.90}, {0.68, 0.68, 0.66});
	}
	cairo_fill (cr);
	// A highlight on the upper half.
	cairo_arc (cr, c, c - 1.5 * unit, c - 5 * unit, M_PI, 2 * M_PI);
	cairo_close_path (cr);
	setColor (cr, {1, 1, 1}, lit ? 0.35 : 0.5);
	cairo_fill (cr);
}

bool writePicture (const std::string& path, int width, int height, void (*draw) (cairo_t*, double, bool),
                   double size, bool lit)
{
	cairo_surface_t* surface = cairo_image_surface_create (CAIRO_FORMAT_ARGB32, width, height);
	cairo_t* cr = cairo_create (surface);
	draw (cr, size, lit);
	cairo_destroy (cr);
	const bool ok = cairo_surface_write_to_png (surface, path.c_str ()) == CAIRO_STATUS_SUCCESS;
	cairo_surface_destroy (surface);
	if (!ok)
		std::fprintf (stderr, "chopwright-make-art: cannot write %s\n", path.c_str ());
	return ok;
}

} // namespace

int main (int argc, char** argv)
{
	if (argc != 2)
	{
		std::fprintf (stderr, "usage: chopwright-make-art FOLDER\n");
		return 2;
	}
	const std::string folder = argv[1];
	bool ok = writePicture (
	    folder + "/background.png", static_cast<int> (kWidth), static_cast<int> (kHeight),
	    [] (cairo_t* cr, double, bool) { drawBackground (cr); }, 0, false);
	const struct
	{
		const char* suffix;
		double scale;
	} scales[] = {{"", 1.0}, {"_1.5x", 1.5}, {"_2x", 2.0}};
	for (const auto& s : scales)
		for (bool lit : {false, true})
		{
			const int pixels = static_cast<int> (kButton * s.scale);
			const std::string name = std::string (lit ? "push_blue" : "push_off") + s.suffix + ".png";
			ok = writePicture (folder + "/" + name, pixels, pixels, drawButton, pixels, lit) && ok;
		}
	return ok ? 0 : 1;
}
