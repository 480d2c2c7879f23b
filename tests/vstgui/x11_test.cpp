// A real window under Xvfb: a small host embeds an editor's frame in its own window, runs its
// run loop, clicks with XTest and watches the click reach the control and the window repaint.
#include "pollrunloop.h"
#include "xvfb_server.h"

#include "base/source/timer.h"
#include "hosting/host_context.h"
#include "hosting/plugin_instance.h"
#include "public.sdk/source/main/moduleinit.h"
#include "public.sdk/source/vst/vstguieditor.h"
#include "vstgui/lib/platform/linux/x11frame.h"

#include <gtest/gtest.h>
// After gtest: Xlib defines None and Bool as macros.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace Steinberg;
using namespace VSTGUI;

namespace {

// Grey while 0, red once clicked; records what it was given.
struct ClickControl : CControl
{
	explicit ClickControl (const CRect& r) : CControl (r, nullptr, 3) {}
	void draw (CDrawContext* context) override
	{
		context->setFillColor (value > 0.5f ? kRedCColor : kGreyCColor);
		context->drawRect (size, kDrawFilled);
		setDirty (false);
	}
	CMouseEventResult onMouseDown (CPoint& where, const CButtonState& buttons) override
	{
		downs.push_back (buttons ());
		lastDown = where;
		if (!buttons.isLeftButton ())
			return kMouseEventHandled;
		beginEdit ();
		value = 1.f;
		invalid ();
		return kMouseEventHandled;
	}
	CMouseEventResult onMouseUp (CPoint&, const CButtonState&) override
	{
		++ups;
		endEdit ();
		return kMouseEventHandled;
	}
	std::vector<int32_t> downs;
	CPoint lastDown;
	int ups = 0;
};

class TestEditor : public Vst::VSTGUIEditor
{
public:
	using VSTGUIEditor::VSTGUIEditor;
	bool PLUGIN_API open (void* parent, const PlatformType& platformType) override
	{
		frame = new CFrame (CRect (0, 0, 200, 100), this);
		frame->setBackgroundColor (kWhiteCColor);
		control = new ClickControl (CRect (50, 25, 150, 75));
		frame->addView (control);
		if (frame->open (parent, platformType))
			return true;
		close ();
		return false;
	}
	void PLUGIN_API close () override
	{
		frame->close ();
		frame = nullptr;
		control = nullptr;
	}
	ClickControl* control = nullptr;
};

// The host: a top-level window of its own connection, the editor embedded in it.
class X11WindowTest : public XvfbTest
{
protected:
	void SetUp () override
	{
		XvfbTest::SetUp ();
		if (HasFatalFailure ())
			return;
		ASSERT_TRUE (ModuleLifetime::enter (nullptr)); // as a host does first: sets the view library up
		entered = true;
		display = XOpenDisplay (nullptr);
		ASSERT_NE (display, nullptr);
		int event, errorBase, major, minor;
		ASSERT_TRUE (XTestQueryExtension (display, &event, &errorBase, &major, &minor));
		hostWindow = XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 240, 160, 0, 0, 0);
		// As an embedding host does: the children's create, map and resize events tell when the
		// server has applied what the plug-in asked for on its own connection.
		XSelectInput (display, hostWindow, SubstructureNotifyMask);
		XMapWindow (display, hostWindow);
		XSync (display, False);

		controller->setComponentHandler (&handler);
		editor = new TestEditor (controller, nullptr);
		editor->setFrame (&plugFrame);
		ASSERT_EQ (editor->attached (reinterpret_cast<void*> (hostWindow), kPlatformTypeX11EmbedWindowID),
		           kResultTrue);
		ASSERT_NE (editor->getFrame (), nullptr);
		child = editor->getFrame ()->getPlatformFrame ()->getWindow ();
		// Reading an unmapped window's pixels is a BadMatch.
		ASSERT_TRUE (waitForWindow (200, 100)) << "the plug-in's window was never mapped";
	}

	void TearDown () override
	{
		if (editor)
		{
			if (editor->getFrame ())
				editor->removed ();
			editor->release ();
		}
		controller->release ();
		if (display)
			XCloseDisplay (display);
		if (entered)
			ModuleLifetime::exit ();
	}

	// A pixel of the plug-in's window, read by the host's own connection.
	CColor windowPixel (int x, int y)
	{
		auto image = XGetImage (display, child, x, y, 1, 1, AllPlanes, ZPixmap);
		if (!image)
			return {};
		auto p = XGetPixel (image, 0, 0);
		XDestroyImage (image);
		return CColor ((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF, 255);
	}
	// Polls until the pixel has the colour; an X error ends the wait (and fails the test).
	bool waitForPixel (int x, int y, CColor color)
	{
		return loop.runUntil ([&] { return xErrors () > 0 || windowPixel (x, y) == color; }, 3000) &&
		       xErrors () == 0;
	}
	// Runs the plug-in's loop until the host's connection has seen the plug-in's window mapped at
	// this size in pixels: the plug-in asks on its own connection, and until the server has done
	// it, reading the window's pixels fails (unmapped) or shows the old size.
	bool waitForWindow (int width, int height)
	{
		return loop.runUntil (
		    [&] {
			    while (XPending (display))
			    {
				    XEvent e;
				    XNextEvent (display, &e);
				    if (e.type == CreateNotify && e.xcreatewindow.window == child)
					    childSize = CPoint (e.xcreatewindow.width, e.xcreatewindow.height);
				    else if (e.type == ConfigureNotify && e.xconfigure.window == child)
					    childSize = CPoint (e.xconfigure.width, e.xconfigure.height);
				    else if (e.type == MapNotify && e.xmap.window == child)
					    childMapped = true;
			    }
			    return childMapped && childSize == CPoint (width, height);
		    },
		    3000);
	}
	void click (int x, int y, unsigned button, KeySym modifier = NoSymbol)
	{
		KeyCode key = modifier != NoSymbol ? XKeysymToKeycode (display, modifier) : 0;
		XTestFakeMotionEvent (display, DefaultScreen (display), x, y, CurrentTime);
		if (key)
			XTestFakeKeyEvent (display, key, True, CurrentTime);
		XTestFakeButtonEvent (display, button, True, CurrentTime);
		XTestFakeButtonEvent (display, button, False, CurrentTime);
		if (key)
			XTestFakeKeyEvent (display, key, False, CurrentTime);
		XFlush (display);
	}

	bool entered = false;
	Display* display = nullptr;
	Window hostWindow = 0, child = 0;
	bool childMapped = false;
	CPoint childSize;
	PollRunLoop loop;
	hosting::PlugFrame plugFrame {&loop};
	hosting::ComponentHandler handler;
	Vst::EditController* controller = new Vst::EditController;
	TestEditor* editor = nullptr;
};

} // namespace

TEST_F (X11WindowTest, ClickReachesTheControlAndTheWindowRepaints)
{
	ASSERT_TRUE (waitForPixel (10, 10, kWhiteCColor)) << "the frame was never drawn";
	ASSERT_TRUE (waitForPixel (100, 50, kGreyCColor));
	EXPECT_GT (loop.handlerCount (), 0u); // the X connection is served by the host's loop

	click (100, 50, Button1);
	ASSERT_TRUE (loop.runUntil ([&] { return editor->control->ups == 1; }, 3000));
	ASSERT_EQ (editor->control->downs.size (), 1u);
	EXPECT_EQ (editor->control->downs[0], kLButton);
	EXPECT_EQ (editor->control->lastDown, CPoint (100, 50));
	EXPECT_EQ (editor->control->getValue (), 1.f);
	EXPECT_TRUE (waitForPixel (100, 50, kRedCColor)) << "the window did not repaint";

	auto edits = handler.edits ();
	ASSERT_EQ (edits.size (), 2u); // the control's edit reached the controller's handler
	EXPECT_EQ (edits[0].kind, hosting::ComponentHandler::Kind::Begin);
	EXPECT_EQ (edits[0].id, 3u);
	EXPECT_EQ (edits[1].kind, hosting::ComponentHandler::Kind::End);
}

TEST_F (X11WindowTest, ButtonsAndModifiersMapLikeVstgui)
{
	ASSERT_TRUE (waitForPixel (100, 50, kGreyCColor));
	click (60, 30, Button3);
	click (60, 30, Button1, XK_Control_L);
	click (60, 30, Button1, XK_Shift_L);
	click (60, 30, Button2, XK_Alt_L);
	ASSERT_TRUE (loop.runUntil ([&] { return editor->control->ups == 4; }, 3000));
	auto& downs = editor->control->downs;
	ASSERT_EQ (downs.size (), 4u);
	EXPECT_EQ (downs[0] & ~kDoubleClick, kRButton);
	EXPECT_EQ (downs[1] & ~kDoubleClick, kLButton | kControl); // stays a left click
	EXPECT_EQ (downs[2] & ~kDoubleClick, kLButton | kShift);
	EXPECT_EQ (downs[3] & ~kDoubleClick, kMButton | kAlt);
}

TEST_F (X11WindowTest, ZoomAndContentScaleResizeTheWindow)
{
	editor->getFrame ()->setZoom (1.5);
	EXPECT_EQ (editor->getFrame ()->getWidth (), 300);
	ASSERT_TRUE (waitForWindow (300, 150));
	ASSERT_TRUE (waitForPixel (150, 75, kGreyCColor)); // the control's centre, zoomed
	EXPECT_EQ (editor->setContentScaleFactor (0.5f), kResultTrue);
	ASSERT_FALSE (plugFrame.resizeRequests ().empty ()); // the host is asked for 150 x 75 pixels
	EXPECT_EQ (plugFrame.resizeRequests ().back ().getWidth (), 150);
	EXPECT_EQ (plugFrame.resizeRequests ().back ().getHeight (), 75);
	ASSERT_TRUE (waitForWindow (150, 75));
	EXPECT_TRUE (waitForPixel (75, 37, kGreyCColor));
}

TEST_F (X11WindowTest, RemovedLeavesNothingOnTheRunLoop)
{
	// The editor also offers the run loop to the module's other timers while attached.
	struct Count : Steinberg::ITimerCallback
	{
		int calls = 0;
		void onTimer (Steinberg::Timer*) override { ++calls; }
	} count;
	auto moduleTimer = Steinberg::Timer::create (&count, 5);
	auto before = loop.timerCount ();
	EXPECT_TRUE (loop.runUntil ([&] { return count.calls > 0; }, 2000));
	EXPECT_EQ (editor->removed (), kResultOk);
	EXPECT_EQ (editor->getFrame (), nullptr);
	EXPECT_EQ (loop.handlerCount (), 0u);
	EXPECT_EQ (loop.timerCount (), 0u);
	EXPECT_GT (before, 2u); // idle, window redraw, module timer
	moduleTimer->release ();
}
