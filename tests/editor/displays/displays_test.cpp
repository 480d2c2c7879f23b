// The displays in a frame of their own that is never opened, rendered offscreen.
#include "editor/displays/oscilloscope.h"
#include "editor/displays/simpledisplay.h"

#include "vstgui/vstgui.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <filesystem>

using namespace VSTGUI;

namespace {

CColor pixel (CBitmap* b, int x, int y)
{
	auto access = owned (CBitmapPixelAccess::create (b));
	CColor c (0, 0, 0, 0);
	if (access && access->setPosition (x, y))
		access->getColor (c);
	return c;
}

// Over the panel, bars (in either colour) are the only opaque pixels with little red: the first
// column and the length of the bar in a pixel row.
std::pair<int, int> bar (CBitmap* b, int y)
{
	int first = -1, length = 0;
	for (int x = 0; x < b->getWidth (); ++x)
		if (auto c = pixel (b, x, y); c.alpha == 255 && c.red < 90)
		{
			first = first < 0 ? x : first;
			++length;
		}
	return {first, length};
}

// One 88-byte block per minimum (the rest positive), then a zero byte that closes the last one.
void feed (Oscilloscope* scope, const std::vector<int8_t>& minima)
{
	std::vector<int8_t> bytes;
	for (auto m : minima)
		for (int i = 0; i < Oscilloscope::blockSize; ++i)
			bytes.push_back (i == 40 ? m : 20);
	bytes.push_back (0);
	scope->addAudioData (bytes.data (), static_cast<int32> (bytes.size ()));
}

// Records the rectangles its views invalidate.
struct TestFrame : CFrame
{
	TestFrame () : CFrame (CRect (0, 0, 160, 360), nullptr) {}
	void invalidRect (const CRect& rect) override
	{
		invalidated.push_back (rect);
		CFrame::invalidRect (rect);
	}
	SharedPointer<CBitmap> render (double zoom)
	{
		setZoom (zoom);
		return renderFrameOffscreen (this);
	}
	std::vector<CRect> invalidated;
};

// The editor's sizes: the scope 136 by 350 points, the readout 100 by 20, here at left 10, top 5.
const CRect kScope (10, 5, 146, 355), kReadout (10, 5, 110, 25);
constexpr int L = 10, T = 5;

class DisplaysTest : public ::testing::Test
{
protected:
	void TearDown () override { frame->close (); }
	template <typename View>
	View* add (View* view)
	{
		frame->addView (view); // the frame takes the reference
		return view;
	}
	static void savePicture (CBitmap* b, const char* name)
	{
		std::filesystem::create_directories (PICTURES_DIR);
		EXPECT_TRUE (saveBitmapPNG (b, std::string (PICTURES_DIR) + "/" + name));
	}

	TestFrame* frame = new TestFrame;
};

} // namespace

TEST_F (DisplaysTest, BlocksOf88BytesFoldIntoTheirMinimumAcrossMessages)
{
	// Fed in turns, each keeps its own block and history.
	auto a = add (new Oscilloscope (kScope)), b = add (new Oscilloscope (kScope));
	std::vector<int8_t> bytes (88, 7), first (50, 1), second (39, 1);
	bytes[5] = -100, first[49] = -20, second[10] = -60;
	second[38] = -128; // the 89th byte opens the next block
	const int8_t closing = -128;
	a->addAudioData (bytes.data (), 88);
	b->addAudioData (first.data (), 50);
	a->addAudioData (bytes.data (), 0);
	a->addAudioData (bytes.data (), -1);
	a->addAudioData (nullptr, 5);
	EXPECT_EQ (a->getRowCount () + b->getRowCount (), 0);
	a->addAudioData (&closing, 1);
	b->addAudioData (second.data (), 39);
	ASSERT_EQ (a->getRowCount (), 1);
	ASSERT_EQ (b->getRowCount (), 1);
	EXPECT_EQ (a->getRow (0), -100 / 128.f);
	EXPECT_EQ (b->getRow (0), -60 / 128.f);
	feed (b, {1, 1});
	ASSERT_EQ (b->getRowCount (), 3);
	EXPECT_EQ (b->getRow (1), -1.f);
	EXPECT_EQ (b->getRow (2), 0.f); // no byte below zero
}

TEST_F (DisplaysTest, TimerRedrawsEvery20msThePanelGridShadingGuidesAndBarsAtZoomOneAndTwo)
{
	auto scope = add (new Oscilloscope (kScope));
	auto timer = scope->getRedrawTimer ();
	EXPECT_TRUE (timer->isRunning ());
	EXPECT_EQ (timer->getFireTime (), 20u);
	auto other = makeOwned<CVSTGUITimer> (scope, 20);
	frame->invalidated.clear ();
	EXPECT_EQ (scope->notify (other, CVSTGUITimer::kMsgTimer), kMessageUnknown);
	EXPECT_EQ (scope->notify (timer, "other"), kMessageUnknown);
	EXPECT_TRUE (frame->invalidated.empty ());
	EXPECT_EQ (scope->notify (timer, CVSTGUITimer::kMsgTimer), kMessageUnknown);
	EXPECT_EQ (frame->invalidated, std::vector<CRect> {kScope});
	auto empty = frame->render (1); // no data: the panel without bars
	for (int y = 0; y < 360; ++y)
		EXPECT_EQ (bar (empty, y).second, 0) << y;

	feed (scope, {-128, 0, -32}); // full width, none, |-0.25| × 175 = 43 points each way
	for (int z : {1, 2})
	{
		SCOPED_TRACE (z);
		auto b = frame->render (z);
		EXPECT_EQ (bar (b, z * T), std::make_pair (z * L, z * 136));
		EXPECT_EQ (bar (b, z * (T + 10)).second, 0);
		for (int y : {T + 17, T + 23}) // 7 thick; on pixel centres, half a point right of their points
			EXPECT_EQ (bar (b, z * y), std::make_pair (int (z * (L + 25.5)), z * 86));
		for (int y : {T + 4, T + 16, T + 24})
			EXPECT_EQ (bar (b, z * y).second, 0);
		EXPECT_EQ (pixel (b, z * (L + 3), z * (T + 100)), CColor (138, 209, 247, 255));
		auto grid = pixel (b, z * (L + 68), z * (T + 100)); // white at alpha 64 over the panel
		EXPECT_NEAR (grid.red, 167, 2);
		EXPECT_NEAR (grid.green, 221, 2);
		for (int y : {T + 4, T + 349}) // the shading, 51 of 255 dark at the edges
			EXPECT_NEAR (pixel (b, z * (L + 3), z * y).red, 112, 3);
		for (int y : {T + 87, T + 175, T + 261})
			EXPECT_EQ (pixel (b, z * (L + 3), z * y), CColor (127, 127, 127, 255));
	}
	savePicture (frame->render (2), "oscilloscope_default_colours.png");
}

TEST_F (DisplaysTest, ThirtyFiveRowsScrollUpWithAlphaRisingFromOldToNew)
{
	auto scope = add (new Oscilloscope (kScope));
	scope->waveColor = CColor (0, 170, 255, 254);
	scope->guideColor = CColor (255, 255, 255, 0);
	std::vector<int8_t> minima;
	for (int i = 0; i < 35; ++i) // all different, none full width
		minima.push_back (static_cast<int8_t> (-5 - i * 7 % 44));
	feed (scope, minima);
	SharedPointer<CBitmap> before[] = {nullptr, frame->render (1), frame->render (2)}; // by zoom
	feed (scope, {-128});
	ASSERT_EQ (scope->getRowCount (), 35);
	EXPECT_EQ (scope->getRow (0), -12 / 128.f);
	for (int z : {1, 2})
	{
		auto after = frame->render (z);
		for (int i = 0; i < 34; ++i)
			EXPECT_EQ (bar (after, z * (T + 10 * i)), bar (before[z], z * (T + 10 * (i + 1)))) << i;
		EXPECT_EQ (bar (after, z * (T + 340)).second, z * 136);
	}
	savePicture (frame->render (2), "oscilloscope.png");

	// Over a transparent background bitmap (no panel) the bars show their own alpha.
	scope->setBackground (owned (new CBitmap (136, 350)));
	auto three = add (new Oscilloscope (CRect (0, 0, 10, 30)));
	three->setBackground (owned (new CBitmap (10, 30)));
	feed (three, {-128, -128, -128});
	auto b = frame->render (1);
	for (int i = 0; i < 35; ++i)
		EXPECT_EQ (pixel (b, L + 68, T + 10 * i).alpha, int (155 + 100 * i / 35.f)) << i;
	for (int i = 0; i < 3; ++i)
		EXPECT_EQ (pixel (b, 3, 10 * i).alpha, 155 + 100 * i / 3) << i;
}

TEST_F (DisplaysTest, HistoryFitsTheViewOddRectanglesDrawNothingAndLateBytesAreNeverRead)
{
	auto low = add (new Oscilloscope (CRect (0, 0, 50, 9.9)));
	auto one = add (new Oscilloscope (CRect (0, 0, 50, 19)));
	auto huge = add (new Oscilloscope (CRect (0, 0, 50, 1e9)));
	auto shrinking = add (new Oscilloscope (kScope));
	std::vector<int8_t> minima;
	for (int i = 0; i < 40; ++i)
		minima.push_back (static_cast<int8_t> (-i));
	for (auto scope : {low, one, huge, shrinking})
		feed (scope, minima);
	EXPECT_EQ (low->getRowCount (), 0);
	EXPECT_EQ (one->getRowCount (), 1);
	EXPECT_EQ (one->getRow (0), -39 / 128.f);
	for (int i = 0; i < 40; ++i)
		feed (huge, minima);
	EXPECT_EQ (huge->getRowCount (), 1600);
	shrinking->setViewSize (CRect (10, 5, 146, 105)); // 10 rows: the newest 9 stay
	feed (shrinking, {-128});
	ASSERT_EQ (shrinking->getRowCount (), 10);
	EXPECT_EQ (shrinking->getRow (0), -31 / 128.f);
	EXPECT_EQ (shrinking->getRow (9), -1.f);

	// An inverted or far too large rectangle draws nothing.
	for (auto r : {CRect (20, 20, 2, 2), CRect (0, 0, 1e300, 20)})
	{
		auto scope = makeOwned<Oscilloscope> (r);
		auto b = renderBitmapOffscreen (CPoint (20, 20), 1, [&] (CDrawContext& c) { scope->draw (&c); });
		EXPECT_EQ (pixel (b, 10, 10).alpha, 0);
	}

	// A feed kept beyond the view drops the bytes unread: reading this page would crash.
	auto kept = shrinking->getFeed ();
	frame->removeView (shrinking);
	EXPECT_FALSE (kept->isConnected ());
	auto page = mmap (nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
	ASSERT_NE (page, MAP_FAILED);
	kept->addAudioData (static_cast<const int8_t*> (page), 4096);
	munmap (page, 4096);
}

TEST_F (DisplaysTest, SimpleDisplayCentresItsTextInTheFontColourAloneFromTheNextIdlePass)
{
	frame->setViewSize (CRect (0, 0, 120, 30));
	auto display = add (new SimpleDisplay (kReadout));
	// The drawn pixels: their bounds, and how many are not black.
	auto ink = [&] (double zoom, int& notBlack) {
		auto b = frame->render (zoom);
		CRect bounds;
		notBlack = 0;
		for (int y = 0; y < b->getHeight (); ++y)
			for (int x = 0; x < b->getWidth (); ++x)
				if (auto c = pixel (b, x, y); c.alpha)
				{
					bounds.unite (CRect (x, y, x + 1, y + 1));
					notBlack += c.red || c.green || c.blue;
				}
		return bounds;
	};
	int notBlack = 0;
	display->setText (nullptr);
	EXPECT_TRUE (ink (1, notBlack).isEmpty ());
	frame->invalidated.clear ();
	display->setText ("50%");
	EXPECT_TRUE (frame->invalidated.empty ());
	frame->idle ();
	EXPECT_EQ (frame->invalidated, std::vector<CRect> {kReadout});
	EXPECT_FALSE (ink (1, notBlack).isEmpty ());
	EXPECT_GT (notBlack, 0); // white by default

	display->fontColor = CColor (0, 0, 0, 255);
	for (int z : {1, 2})
	{
		SCOPED_TRACE (z);
		auto bounds = ink (z, notBlack);
		EXPECT_EQ (notBlack, 0);
		EXPECT_NEAR (bounds.getCenter ().x, z * 60., z * 1.5);
		EXPECT_NEAR (bounds.getCenter ().y, z * 15., z * 2.);
		EXPECT_GT (bounds.getWidth (), z * 15.);
	}
	frame->setBackgroundColor (CColor (230, 230, 230, 255));
	savePicture (frame->render (2), "simpledisplay.png");
}
