// The editor's controls under the mouse and in offscreen renders at zoom 1 and 2. The drawing
// tests also write a picture of each control into pictures/ in the build folder, for review.
#include "editor/controls/button.h"
#include "editor/controls/slider2.h"
#include "editor/controls/switch.h"

#include "vstgui/vstgui.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <tuple>

namespace VSTGUI {
void PrintTo (const CColor& c, std::ostream* os)
{
	*os << +c.red << "," << +c.green << "," << +c.blue << "," << +c.alpha;
}
} // namespace VSTGUI

using namespace VSTGUI;
using Log = std::vector<std::string>;

namespace {

constexpr CColor kPaper (230, 230, 230, 255), kBlack (0, 0, 0, 255), kGrey (127, 127, 127, 255);
constexpr CColor kOffEdge (60, 60, 60, 255), kOffFace (120, 120, 120, 255);
constexpr CColor kEdge (0, 90, 160, 255), kBlue (0, 174, 239, 255);

// Logs what a control tells its listener, in order.
struct Recorder : IControlListener
{
	void valueChanged (CControl* control) override
	{
		char s[32];
		std::snprintf (s, sizeof (s), "value %g", control->getValue ());
		log.push_back (s);
	}
	void controlBeginEdit (CControl*) override { log.push_back ("begin"); }
	void controlEndEdit (CControl*) override { log.push_back ("end"); }
	Log take () { return std::exchange (log, {}); }
	Log log;
};

// The editor's frame, never opened; counts the repaints its views ask for.
struct Frame : CFrame
{
	Frame () : CFrame (CRect (0, 0, 570, 666), nullptr) { setBackgroundColor (kPaper); }
	void invalidRect (const CRect& rect) override { ++repaints, CFrame::invalidRect (rect); }
	int repaints {0};
};

// A 22-point square picture: `face` inside a border of `edge`, 2 points wide.
SharedPointer<CBitmap> picture (const CColor& edge, const CColor& face)
{
	return renderBitmapOffscreen (CPoint (22, 22), 1., [&] (CDrawContext& context) {
		context.setFillColor (edge);
		context.drawRect (CRect (0, 0, 22, 22), kDrawFilled);
		context.setFillColor (face);
		context.drawRect (CRect (2, 2, 20, 20), kDrawFilled);
	});
}

// Mouse events at y = 630, inside the row of all three controls.
CMouseEventResult down (CView* v, CCoord x, int32_t b = kLButton)
{
	CPoint p (x, 630);
	return v->onMouseDown (p, b);
}
CMouseEventResult moved (CView* v, CCoord x, int32_t b = kLButton)
{
	CPoint p (x, 630);
	return v->onMouseMoved (p, b);
}
CMouseEventResult up (CView* v)
{
	CPoint p (0, 630);
	return v->onMouseUp (p, kLButton);
}

struct ControlsTest : testing::Test
{
	~ControlsTest () override { frame->forget (); }

	template <typename T>
	T* add (T* view)
	{
		return frame->addView (view), view;
	}
	// The editor's three controls, the button in toggle mode.
	Button* button ()
	{
		auto b = add (new Button (CRect (24, 620, 46, 642), &recorder, 0));
		b->setOffBitmap (picture (kOffEdge, kOffFace));
		b->setOnBitmap (picture (kEdge, kBlue));
		b->toggle = true;
		return b;
	}
	Switch* slice ()
	{
		return add (new Switch (CRect (100, 620, 166, 642), &recorder, 1, picture (kEdge, kBlue), 3));
	}
	Slider2* slider () { return add (new Slider2 (CRect (256, 620, 546, 640), &recorder, 2)); }

	// Renders `area` (frame points) at `zoom`.
	SharedPointer<CBitmap> render (const CRect& area, double zoom)
	{
		frame->setZoom (zoom);
		CRect pixels (area.left * zoom, area.top * zoom, area.right * zoom, area.bottom * zoom);
		auto bitmap = renderBitmapOffscreen (pixels.getSize (), 1., [&] (CDrawContext& context) {
			CDrawContext::Transform t (context, CGraphicsTransform ().translate (-pixels.left, -pixels.top));
			frame->platformDrawRect (&context, pixels);
		});
		frame->setZoom (1.);
		return bitmap;
	}
	// The colour at the centre of the frame's point (x, y) in a render of `area` (by default the point).
	CColor colour (CCoord x, CCoord y, CRect area = {}, double zoom = 1.)
	{
		if (area.isEmpty ())
			area = CRect (x, y, x + 1, y + 1);
		auto access = owned (CBitmapPixelAccess::create (render (area, zoom)));
		CColor c (0, 0, 0, 0);
		if (access->setPosition (uint32_t ((x - area.left + .5) * zoom),
		                         uint32_t ((y - area.top + .5) * zoom)))
			access->getColor (c);
		return c;
	}
	// Checks points of `area` at zoom 1 and 2, and writes the zoom-2 render as pictures/`name`.
	void expectPixels (const CRect& area, std::initializer_list<std::tuple<CCoord, CCoord, CColor>> points,
	                   const std::string& name)
	{
		for (double zoom : {1., 2.})
			for (auto [x, y, c] : points)
				EXPECT_EQ (colour (x, y, area, zoom), c) << "(" << x << ", " << y << ") at zoom " << zoom;
		std::filesystem::create_directories (CONTROLS_PICTURE_DIR);
		EXPECT_TRUE (saveBitmapPNG (render (area, 2.), CONTROLS_PICTURE_DIR "/" + name));
	}

	Recorder recorder;
	Frame* frame {new Frame};
};

using ButtonTest = ControlsTest;
using SwitchTest = ControlsTest;
using SliderTest = ControlsTest;

} // namespace

TEST_F (ButtonTest, ClicksToggleLatchOrSendTheDefaultAndEachEndsItsEdit)
{
	auto b = button ();
	EXPECT_EQ (down (b, 30), kMouseEventHandled);
	EXPECT_EQ (up (b), kMouseEventHandled);
	down (b, 30);
	EXPECT_EQ (colour (35, 631), kBlue); // lit while held
	up (b);
	EXPECT_EQ (colour (35, 631), kOffFace);
	down (b, 30, kLButton | kControl); // Control+click on Linux, Command-click on macOS
	up (b);
	EXPECT_EQ (colour (35, 631), kBlue); // its release flips `on` too
	EXPECT_EQ (down (b, 30, kLButton | kShift), kMouseEventHandled);
	EXPECT_EQ (up (b), kMouseEventNotHandled); // latched: the button stays on, the gesture ends
	EXPECT_EQ (down (b, 30, kRButton), kMouseEventNotHandled);
	EXPECT_EQ (down (b, 30, kRButton | kControl), kMouseEventNotHandled); // a macOS Control-click
	EXPECT_EQ (colour (35, 631), kBlue);
	EXPECT_EQ (recorder.take (),
	           Log ({"value 1", "begin", "end", "value 0", "begin", "end", "value 0.5", "begin", "end",
	                 "value 0", "value 1", "begin", "end"})); // each value before its begin
	down (b, 30);
	down (b, 30, kLButton | kRButton); // a second button while one is held: one gesture
	up (b);
	down (b, 30, kMButton);
	b->onMouseCancel ();
	b->toggle = false;
	down (b, 30);
	up (b);
	EXPECT_EQ (recorder.take (),
	           Log ({"value 0", "begin", "end", "begin", "end", "value 1", "begin", "value 0", "end"}));
}

TEST_F (ButtonTest, SetValueMovesThePictureWithoutNotifying)
{
	auto b = button ();
	colour (35, 631);
	auto repaints = frame->repaints;
	b->setValue (0.f);
	EXPECT_EQ (frame->repaints, repaints);
	EXPECT_FALSE (b->isDirty ());
	b->setValue (0.3f);
	EXPECT_EQ (colour (35, 631), kBlue);
	b->setValue (NAN);
	EXPECT_EQ (b->getValue (), 0.3f);
	b->toggle = false;
	b->setValue (0.2f);
	EXPECT_EQ (colour (35, 631), kOffFace);
	EXPECT_TRUE (recorder.log.empty ());
}

TEST_F (ButtonTest, DrawsItsPictureOverItsRectangle)
{
	button ();
	auto lit = add (new Button (CRect (52, 620, 74, 642), nullptr, 0));
	lit->setOnBitmap (picture (kEdge, kBlue));
	lit->setValue (1.f);
	add (new Button (CRect (80, 620, 102, 642), nullptr, 0)); // no pictures: draws nothing
	expectPixels (CRect (20, 616, 106, 646),
	              {{24, 620, kOffEdge},
	               {45, 641, kOffEdge},
	               {35, 631, kOffFace},
	               {23, 630, kPaper},
	               {46, 630, kPaper},
	               {35, 642, kPaper},
	               {63, 631, kBlue},
	               {91, 631, kPaper}},
	              "button.png");
	lit->setOnBitmap (picture (kEdge, kBlack)); // replaces the shown one, which is released
	EXPECT_EQ (colour (63, 631), kBlack);
}

TEST_F (SwitchTest, PressAndDragSelectThePositionUnderTheMouse)
{
	auto s = slice ();
	EXPECT_EQ (down (s, 166), kMouseEventHandled); // the right edge: the last position
	down (s, 150);                                 // reported already
	EXPECT_EQ (down (s, 125, kRButton), kMouseEventHandled);
	down (s, 100, kLButton | kShift);
	for (CCoord x : {110, 125, 140, 150, 400, 50}) // 50: left of the view
		EXPECT_EQ (moved (s, x), kMouseEventHandled);
	EXPECT_EQ (moved (s, 125, 0), kMouseEventNotHandled);
	EXPECT_EQ (recorder.take (), Log ({"value 1", "value 0", "value 0.5", "value 1", "value 0"}));
}

TEST_F (SwitchTest, SetValueSelectsWithoutNotifyingAndTheMouseReportsAgain)
{
	auto s = slice ();
	for (auto [v, index] :
	     {std::pair (0.5f, 1), std::pair (1.f, 2), std::pair (0.49f, 0), std::pair (0.99f, 1),
	      std::pair (NAN, 1), std::pair (1.5f, 2), std::pair (-1.f, 0)})
	{
		s->setValue (v);
		EXPECT_EQ (colour (111 + 22 * index, 631), kBlue) << v;
	}
	down (s, 150);
	s->setValue (0.f);
	down (s, 150); // the control and the parameter agree again
	EXPECT_EQ (recorder.take (), Log ({"value 1", "value 1"}));
}

TEST_F (SwitchTest, DrawsTheBlackBoxAndThePictureInTheSelectedPosition)
{
	slice ()->setValue (0.5f);
	auto bare = add (new Switch (CRect (200, 620, 266, 642), &recorder, 1, nullptr, 3));
	auto single = add (new Switch (CRect (300, 620, 366, 642), &recorder, 1, picture (kEdge, kBlue), 1));
	down (bare, 250);   // always position 0
	down (single, 360); // counts as two positions
	EXPECT_EQ (recorder.take (), Log ({"value 0", "value 1"}));
	EXPECT_EQ (colour (250, 630), kBlack);
	expectPixels (CRect (96, 616, 170, 646),
	              {{106, 626, kBlack},
	               {158, 634, kBlack},
	               {105, 630, kPaper},
	               {106, 625, kPaper},
	               {159, 630, kPaper},
	               {150, 635, kPaper},
	               {121, 630, kBlack},
	               {122, 620, kEdge},
	               {143, 641, kEdge},
	               {133, 631, kBlue},
	               {144, 630, kBlack}},
	              "switch.png");
}

TEST_F (SliderTest, ClickOnTheGrooveJumpsThereInsideOneEdit)
{
	auto s = slider ();
	EXPECT_EQ (down (s, 400), kMouseEventHandled);
	EXPECT_EQ (s->getValue (), float (144. / 289.));
	EXPECT_EQ (up (s), kMouseEventHandled);
	down (s, 300, kLButton | kShift); // as a plain click
	up (s);
	down (s, 500, kLButton | kControl); // the default, wherever
	up (s);
	down (s, 300, kLButton | kControl); // the default already: no edit
	up (s);
	EXPECT_EQ (down (s, 300, kRButton), kMouseEventHandled);
	EXPECT_EQ (recorder.take (), Log ({"begin", "value 0.49827", "end", "begin", "value 0.152249", "end",
	                                   "begin", "value 0.5", "end"}));
}

TEST_F (SliderTest, DragFromTheHandleMovesItWithoutAnEdit)
{
	auto s = slider ();
	s->setValue (0.5f);
	colour (400, 630); // draws the handle at 397.5 .. 403.5
	down (s, 400);
	EXPECT_EQ (moved (s, 410), kMouseEventNotImplemented);
	for (CCoord x : {410, 420, 600, 100}) // one step out to the right, or left: ignored
		moved (s, x);
	moved (s, 300, 0);
	up (s);
	EXPECT_EQ (recorder.take (), Log ({"value 0.532872", "value 0.567474"}));
}

TEST_F (SliderTest, StoresValuesUnlimitedButFinite)
{
	auto s = slider ();
	down (s, 545.5); // the last column
	EXPECT_EQ (recorder.take (), Log ({"begin", "value 1.00173"}));
	colour (400, 630);
	auto repaints = frame->repaints;
	s->setValue (s->getValue ());
	EXPECT_EQ (frame->repaints, repaints);
	EXPECT_FALSE (s->isDirty ());
	for (float v : {1.2f, NAN, INFINITY})
		s->setValue (v);
	EXPECT_EQ (s->getValue (), 1.2f);

	for (CCoord width : {0, 1}) // no travel
	{
		auto flat = add (new Slider2 (CRect (300, 600, 300 + width, 640), &recorder, 2));
		down (flat, 305);
		moved (flat, 305);
		EXPECT_EQ (flat->getValue (), 0.f);
	}
	EXPECT_TRUE (recorder.log.empty ());
}

TEST_F (SliderTest, DrawsTheGrooveAndTheHandleAtBothEnds)
{
	slider ();
	add (new Slider2 (CRect (256, 580, 546, 600), nullptr, 2))->setValue (1.f);
	// The groove at x = 400: a grey rim 6 points in from the top and bottom, black inside. At 0 the
	// handle covers 256 .. 262, at 1 it covers 539 .. 545; its shadow is one point right and down.
	expectPixels (CRect (250, 576, 552, 644),
	              {{400, 625, kPaper}, {400, 626, kGrey},  {400, 627, kGrey},  {400, 628, kBlack},
	               {400, 631, kBlack}, {400, 632, kGrey},  {400, 633, kGrey},  {400, 634, kPaper},
	               {256, 621, kBlue},  {261, 638, kBlue},  {256, 620, kPaper}, {262, 630, kBlack},
	               {257, 639, kBlack}, {256, 639, kPaper}, {539, 581, kBlue},  {544, 598, kBlue},
	               {545, 590, kBlack}, {545, 599, kBlack}, {546, 590, kPaper}, {539, 580, kPaper}},
	              "slider.png");
}
