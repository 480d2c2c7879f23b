// Offscreen renders checked pixel by pixel.
#include "vstgui/vstgui.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

using namespace VSTGUI;

namespace {

CColor pixel (CBitmap* bitmap, uint32_t x, uint32_t y)
{
	auto access = owned (CBitmapPixelAccess::create (bitmap));
	CColor c (0, 0, 0, 0);
	if (access && access->setPosition (x, y))
		access->getColor (c);
	return c;
}

SharedPointer<CBitmap> render (CCoord w, CCoord h, const std::function<void (CDrawContext&)>& f,
                               double scale = 1.)
{
	return renderBitmapOffscreen (CPoint (w, h), scale, f);
}

constexpr CColor kClear (0, 0, 0, 0);

// Draws a bitmap over its whole rectangle.
struct BitmapView : CView
{
	BitmapView (const CRect& r, CBitmap* b) : CView (r), bitmap (b) {}
	void draw (CDrawContext* context) override
	{
		context->drawBitmap (bitmap, size, CPoint (0, 0), alpha);
		setDirty (false);
	}
	SharedPointer<CBitmap> bitmap;
	float alpha = 1.f;
};

} // namespace

TEST (DrawingTest, FilledRectangleCoversExactlyItsPixels)
{
	auto b = render (20, 20, [] (CDrawContext& c) {
		c.setFillColor (CColor (200, 100, 50, 255));
		c.drawRect (CRect (5, 5, 15, 10), kDrawFilled);
	});
	EXPECT_EQ (pixel (b, 5, 5), CColor (200, 100, 50, 255));
	EXPECT_EQ (pixel (b, 14, 9), CColor (200, 100, 50, 255));
	EXPECT_EQ (pixel (b, 15, 9), kClear);
	EXPECT_EQ (pixel (b, 14, 10), kClear);
	EXPECT_EQ (pixel (b, 4, 5), kClear);
}

TEST (DrawingTest, ScaleFactorDoublesThePixels)
{
	auto b = render (
	    20, 20,
	    [] (CDrawContext& c) {
		    EXPECT_EQ (c.getScaleFactor (), 2.);
		    c.setFillColor (kRedCColor);
		    c.drawRect (CRect (5, 5, 10, 10), kDrawFilled);
	    },
	    2.);
	ASSERT_EQ (b->getWidth (), 20);
	EXPECT_EQ (pixel (b, 10, 10), kRedCColor);
	EXPECT_EQ (pixel (b, 19, 19), kRedCColor);
	EXPECT_EQ (pixel (b, 20, 20), kClear);
	EXPECT_EQ (pixel (b, 9, 10), kClear);
}

TEST (DrawingTest, StrokedRectangleFramesInside)
{
	auto b = render (20, 20, [] (CDrawContext& c) {
		c.setFrameColor (kBlueCColor);
		c.setLineWidth (1);
		c.drawRect (CRect (2, 2, 12, 12), kDrawStroked);
	});
	EXPECT_EQ (pixel (b, 2, 6), kBlueCColor);
	EXPECT_EQ (pixel (b, 11, 6), kBlueCColor);
	EXPECT_EQ (pixel (b, 6, 11), kBlueCColor);
	EXPECT_EQ (pixel (b, 6, 6), kClear);
	EXPECT_EQ (pixel (b, 12, 6), kClear);
}

TEST (DrawingTest, OnePointLineAtYCoversRowY)
{
	auto b = render (30, 30, [] (CDrawContext& c) {
		c.setFrameColor (kGreenCColor);
		c.setLineWidth (1);
		c.drawLine (CPoint (0, 10), CPoint (30, 10));
		c.drawLine (CPoint (20, 0), CPoint (20, 30));
		c.setLineWidth (7); // wide lines are centred on y
		c.drawLine (CPoint (0, 25), CPoint (10, 25));
	});
	EXPECT_EQ (pixel (b, 5, 10), kGreenCColor);
	EXPECT_EQ (pixel (b, 5, 9), kClear);
	EXPECT_EQ (pixel (b, 5, 11), kClear);
	EXPECT_EQ (pixel (b, 20, 5), kGreenCColor);
	EXPECT_EQ (pixel (b, 19, 5), kClear);
	EXPECT_EQ (pixel (b, 21, 5), kClear);
	EXPECT_EQ (pixel (b, 5, 22), kGreenCColor);
	EXPECT_EQ (pixel (b, 5, 28), kGreenCColor);
	EXPECT_EQ (pixel (b, 5, 21), kClear);
	EXPECT_EQ (pixel (b, 5, 29), kClear);
}

TEST (DrawingTest, LinearGradientRunsFromFirstToLastStopAndPadsBeyond)
{
	auto b = render (10, 100, [] (CDrawContext& c) {
		auto path = owned (c.createGraphicsPath ());
		path->addRect (CRect (0, 0, 10, 100));
		auto gradient =
		    owned (path->createGradient (0., 0.5, CColor (255, 0, 0, 255), CColor (0, 0, 255, 255)));
		c.fillLinearGradient (path, *gradient, CPoint (0, 0), CPoint (0, 100));
	});
	auto top = pixel (b, 5, 0), middle = pixel (b, 5, 25), below = pixel (b, 5, 75),
	     bottom = pixel (b, 5, 99);
	EXPECT_GE (top.red, 250);
	EXPECT_LE (top.blue, 5);
	EXPECT_NEAR (middle.red, 127, 4);
	EXPECT_NEAR (middle.blue, 127, 4);
	EXPECT_EQ (below, CColor (0, 0, 255, 255));
	EXPECT_EQ (bottom, CColor (0, 0, 255, 255));
}

TEST (DrawingTest, GradientAlphaFadesToTransparent)
{
	auto b = render (10, 80, [] (CDrawContext& c) {
		auto path = owned (c.createGraphicsPath ());
		path->addRect (CRect (0, 0, 10, 80));
		auto gradient = owned (path->createGradient (0., 0.125, CColor (0, 0, 0, 51), CColor (0, 0, 0, 0)));
		c.fillLinearGradient (path, *gradient, CPoint (0, 0), CPoint (0, 80));
	});
	EXPECT_NEAR (pixel (b, 3, 0).alpha, 51, 4); // sampled at the pixel centre
	EXPECT_NEAR (pixel (b, 3, 5).alpha, 26, 3);
	EXPECT_EQ (pixel (b, 3, 10).alpha, 0);
	EXPECT_EQ (pixel (b, 3, 79).alpha, 0);
}

TEST (DrawingTest, RoundRectPathIsAntiAliasedOnlyWhenAsked)
{
	auto draw = [] (CDrawMode mode) {
		return render (40, 40, [mode] (CDrawContext& c) {
			c.setDrawMode (mode);
			c.setFillColor (kBlackCColor);
			auto path = owned (c.createGraphicsPath ());
			path->addRoundRect (CRect (4, 4, 36, 36), 8);
			c.drawGraphicsPath (path, CDrawContext::kPathFilled);
		});
	};
	auto smooth = draw (kAntiAliasing);
	auto hard = draw (kAliasing);
	EXPECT_EQ (pixel (smooth, 20, 20).alpha, 255);
	EXPECT_EQ (pixel (smooth, 4, 4).alpha, 0); // the corner is cut off
	EXPECT_EQ (pixel (smooth, 20, 4).alpha, 255);
	int partial = 0;
	for (uint32_t y = 4; y < 12; ++y)
		for (uint32_t x = 4; x < 12; ++x)
		{
			auto a = pixel (smooth, x, y).alpha;
			partial += a > 0 && a < 255;
			auto h = pixel (hard, x, y).alpha;
			EXPECT_TRUE (h == 0 || h == 255) << x << "," << y;
		}
	EXPECT_GT (partial, 4);
}

TEST (DrawingTest, StringIsCentredInItsRectangle)
{
	auto b = render (100, 20, [] (CDrawContext& c) {
		c.setFont (kNormalFont);
		c.setFontColor (kBlackCColor);
		c.drawString ("GATE", CRect (0, 0, 100, 20), kCenterText);
	});
	int minX = 100, maxX = -1, minY = 20, maxY = -1;
	for (uint32_t y = 0; y < 20; ++y)
		for (uint32_t x = 0; x < 100; ++x)
			if (pixel (b, x, y).alpha > 128)
			{
				minX = std::min<int> (minX, x), maxX = std::max<int> (maxX, x);
				minY = std::min<int> (minY, y), maxY = std::max<int> (maxY, y);
			}
	ASSERT_GE (maxX, 0) << "no text drawn: is a font installed?";
	EXPECT_NEAR ((minX + maxX) / 2., 50, 2.);
	EXPECT_NEAR ((minY + maxY) / 2., 10, 2.);
	EXPECT_GT (maxX - minX, 20);
}

TEST (DrawingTest, TextLabelFillsItsBackUnlessTransparent)
{
	auto frame = new CFrame (CRect (0, 0, 40, 20), nullptr);
	auto opaque = new CTextLabel (CRect (0, 0, 20, 20), "");
	opaque->setBackColor (CColor (10, 20, 30, 255));
	opaque->setStyle (kNoFrame);
	auto clear = new CTextLabel (CRect (20, 0, 40, 20), "");
	clear->setTransparency (true);
	frame->addView (opaque);
	frame->addView (clear);
	auto b = renderFrameOffscreen (frame);
	EXPECT_EQ (pixel (b, 0, 0), CColor (10, 20, 30, 255));
	EXPECT_EQ (pixel (b, 10, 10), CColor (10, 20, 30, 255));
	EXPECT_EQ (pixel (b, 30, 10), kClear);
	frame->close ();
}

// Bitmaps of one image in three resolutions, each a different colour, as PNG resources.
class BitmapTest : public ::testing::Test
{
protected:
	static void SetUpTestSuite ()
	{
		folder = std::filesystem::temp_directory_path () / ("vstgui_test_" + std::to_string (::getpid ()));
		std::filesystem::create_directories (folder);
		auto write = [] (const char* name, double scale, CColor color) {
			auto b = render (
			    10, 8,
			    [&] (CDrawContext& c) {
				    c.setFillColor (color);
				    c.drawRect (CRect (0, 0, 10, 8), kDrawFilled);
			    },
			    scale);
			ASSERT_TRUE (saveBitmapPNG (b, (folder / name).string ()));
		};
		write ("img.png", 1., kRedCColor);
		write ("img_1.5x.png", 1.5, kGreenCColor);
		write ("img_2x.png", 2., kBlueCColor);
		X11::setResourcePath (folder.string ());
	}
	static void TearDownTestSuite ()
	{
		X11::setResourcePath ("");
		std::filesystem::remove_all (folder);
	}

	// As the editor's images do it: the scale factor from the pixel width.
	static bool addScaled (CBitmap* bitmap, const char* name)
	{
		auto other = makeOwned<CBitmap> (name);
		auto p = other->getPlatformBitmap ();
		if (!p)
			return false;
		p->setScaleFactor (p->getSize ().x / bitmap->getWidth ());
		return bitmap->addBitmap (p);
	}

	static inline std::filesystem::path folder;
};

TEST_F (BitmapTest, LoadsFromTheResourceFolder)
{
	auto bitmap = makeOwned<CBitmap> ("img.png");
	ASSERT_NE (bitmap->getPlatformBitmap (), nullptr);
	EXPECT_EQ (bitmap->getWidth (), 10);
	EXPECT_EQ (bitmap->getHeight (), 8);
	EXPECT_EQ (bitmap->getPlatformBitmap ()->getScaleFactor (), 1.);
	auto missing = makeOwned<CBitmap> ("nothere.png");
	EXPECT_EQ (missing->getPlatformBitmap (), nullptr);
	EXPECT_EQ (missing->getWidth (), 0);
	EXPECT_FALSE (addScaled (bitmap, "nothere.png"));
}

TEST_F (BitmapTest, AddBitmapChecksSizeAndScale)
{
	auto bitmap = makeOwned<CBitmap> ("img.png");
	EXPECT_TRUE (addScaled (bitmap, "img_2x.png"));
	EXPECT_TRUE (addScaled (bitmap, "img_1.5x.png"));
	EXPECT_FALSE (addScaled (bitmap, "img_2x.png"));                      // scale 2 is there already
	auto wrong = makeOwned<CBitmap> ("img_2x.png")->getPlatformBitmap (); // keeps its own reference
	wrong->setScaleFactor (3.);
	EXPECT_FALSE (bitmap->addBitmap (wrong));
	EXPECT_EQ (bitmap->getNumBitmaps (), 3u);
	EXPECT_EQ (bitmap->getWidth (), 10); // still the scale-1 size
	EXPECT_EQ (bitmap->getBestPlatformBitmapForScaleFactor (1.25)->getScaleFactor (), 1.5); // tie: larger
	EXPECT_EQ (bitmap->getBestPlatformBitmapForScaleFactor (3.)->getScaleFactor (), 2.);
}

TEST_F (BitmapTest, ZoomAndContentScaleChooseTheResolution)
{
	auto bitmap = makeOwned<CBitmap> ("img.png");
	ASSERT_TRUE (addScaled (bitmap, "img_2x.png"));
	ASSERT_TRUE (addScaled (bitmap, "img_1.5x.png"));
	auto frame = new CFrame (CRect (0, 0, 10, 8), nullptr);
	frame->addView (new BitmapView (CRect (0, 0, 10, 8), bitmap));
	struct Case
	{
		double zoom, scale;
		CColor color;
	};
	for (auto c : {Case {1., 1., kRedCColor}, Case {1.5, 1., kGreenCColor}, Case {2., 1., kBlueCColor},
	               Case {1., 2., kBlueCColor}, Case {1., 1.5, kGreenCColor}})
	{
		frame->setZoom (c.zoom);
		auto b = renderFrameOffscreen (frame, c.scale);
		auto w = static_cast<uint32_t> (10 * c.zoom * c.scale),
		     h = static_cast<uint32_t> (8 * c.zoom * c.scale);
		SCOPED_TRACE (testing::Message () << "zoom " << c.zoom << " scale " << c.scale);
		EXPECT_EQ (pixel (b, 0, 0), c.color);
		EXPECT_EQ (pixel (b, w / 2, h / 2), c.color);
		EXPECT_EQ (pixel (b, w - 1, h - 1), c.color);
	}
	frame->close ();
}

TEST_F (BitmapTest, FrameBackgroundAndBitmapAlpha)
{
	auto frame = new CFrame (CRect (0, 0, 20, 8), nullptr);
	frame->setBackground (owned (new CBitmap ("img.png")));
	auto view = new BitmapView (CRect (10, 0, 20, 8), owned (new CBitmap ("img_2x.png")));
	view->alpha = 0.5f;
	frame->addView (view);
	auto b = renderFrameOffscreen (frame);
	EXPECT_EQ (pixel (b, 5, 4), kRedCColor);
	auto half = pixel (b, 12, 2); // over nothing: the background is 10 points wide
	EXPECT_NEAR (half.alpha, 128, 2);
	EXPECT_EQ (half.blue, 255); // un-premultiplied: blue
	frame->close ();
}

TEST_F (BitmapTest, FrameRendersToAPngFile)
{
	auto frame = new CFrame (CRect (0, 0, 10, 8), nullptr);
	frame->setBackground (owned (new CBitmap ("img.png")));
	frame->setZoom (2.);
	auto path = (folder / "frame.png").string ();
	ASSERT_TRUE (saveBitmapPNG (renderFrameOffscreen (frame), path));
	auto loaded = makeOwned<CBitmap> (path.c_str ());
	EXPECT_EQ (loaded->getWidth (), 20);
	EXPECT_EQ (loaded->getHeight (), 16);
	EXPECT_EQ (pixel (loaded, 19, 15), kRedCColor);
	frame->close ();
}
