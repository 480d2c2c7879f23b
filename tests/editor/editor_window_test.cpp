// The editor in a real window under Xvfb, as a host drives it: a test host loads the built bundle,
// opens the controller's view through IPlugView in an X11 window of its own, serves it from its own
// run loop, which it offers only through the plug frame, plays audio, and clicks with XTest.
#include "vstgui/pollrunloop.h"
#include "vstgui/xvfb_server.h"

#include "hosting/block_processor.h"
#include "hosting/host_context.h"
#include "hosting/module.h"
#include "hosting/plugin_instance.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

#include <cairo/cairo.h>
#include <gtest/gtest.h>
// After gtest: Xlib defines None and Bool as macros.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

// After gtest: X11 defines names gtest uses.
#include "common/x11_window.h"

#include <atomic>
#include <cmath>
#include <memory>
#include <string>
#include <thread>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr ParamID kBreak = 0, kSliceSize = 1, kGateSize = 2;
constexpr int32 kBlock = 480; // 10 ms at 48 kHz

// The host's audio: a four-step pattern of decaying noise hits, through the plug-in with the
// transport playing.
class Player
{
public:
	explicit Player (hosting::PluginInstance& plugin) : blocks (plugin) { transport.sampleRate = 48000.; }

	void play ()
	{
		for (int32 i = 0; i < kBlock; ++i, ++frame)
		{
			const int64 step = frame / 6000; // quarter beats at 120 BPM
			const double level = (step % 4 == 0   ? 0.9
			                      : step % 2 == 0 ? 0.6
			                                      : 0.3) *
			                     std::exp (-(frame % 6000) / 1500.);
			noise = noise * 1664525u + 1013904223u;
			const double sample = level * ((noise >> 8) / 8388608. - 1.);
			blocks.input ().set (0, i, sample);
			blocks.input ().set (1, i, sample);
		}
		blocks.process (kBlock, transport, frame - kBlock);
	}
	hosting::BlockProcessor blocks;

private:
	hosting::Transport transport;
	int64 frame = 0;
	uint32 noise = 1;
};

// The host's audio thread: plays blocks back to back until it goes.
class AudioThread
{
public:
	explicit AudioThread (Player& player)
	    : thread ([this, &player] {
		      while (!stop)
		      {
			      player.play ();
			      std::this_thread::yield ();
		      }
	      })
	{}
	~AudioThread ()
	{
		stop = true;
		thread.join ();
	}

private:
	std::atomic<bool> stop {false};
	std::thread thread;
};

// Calls a function from the host's run loop.
class LoopTimer : public Linux::ITimerHandler
{
public:
	explicit LoopTimer (std::function<void ()> f) : f (std::move (f)) {}
	void PLUGIN_API onTimer () override { f (); }
	tresult PLUGIN_API queryInterface (const TUID, void** obj) override
	{
		*obj = nullptr;
		return kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return 1; }
	uint32 PLUGIN_API release () override { return 1; }

private:
	std::function<void ()> f;
};

using x11test::Rgb;

const Rgb kScopePanel {138, 209, 247};
// The oscilloscope's panel between its grid lines, in points.
constexpr double kPanelX = 420.5, kPanelY = 428.2;

class EditorWindowTest : public XvfbTest
{
protected:
	static void SetUpTestSuite () { SetUpTestSuiteWithScreen ("1600x1400x24"); }

	void SetUp () override
	{
		XvfbTest::SetUp ();
		if (HasFatalFailure ())
			return;
		module = hosting::Module::load (CHOPWRIGHT_BUNDLE);
		plugin =
		    std::make_unique<hosting::PluginInstance> (module, &host); // no run loop but the plug frame's
		plugin->activate ({48000., kBlock, 2, false});
		player = std::make_unique<Player> (*plugin);
		display = XOpenDisplay (nullptr);
		ASSERT_NE (display, nullptr);
		hostWindow = x11test::openHostWindow (display, 1200, 1340);
		ASSERT_NE (hostWindow, 0u) << "no XTest on the display";
	}

	void TearDown () override
	{
		if (view && attached)
			view->removed ();
		view = nullptr;
		player.reset ();
		plugin.reset ();
		if (display)
			XCloseDisplay (display);
		module.reset ();
	}

	IEditController* controller () const { return plugin->controller (); }

	// Creates the view unless the test did.
	void attach ()
	{
		if (!view)
			view = owned (controller ()->createView ("editor"));
		ASSERT_TRUE (view);
		ASSERT_EQ (view->setFrame (&plugFrame), kResultTrue);
		ASSERT_EQ (view->attached (reinterpret_cast<void*> (hostWindow), kPlatformTypeX11EmbedWindowID),
		           kResultTrue);
		attached = true;
	}
	void remove ()
	{
		EXPECT_EQ (view->removed (), kResultOk);
		attached = false;
	}

	// Runs the host's loop until it has seen the plug-in's window mapped at this size in pixels.
	bool waitForWindow (int width, int height)
	{
		return loop.runUntil (
		    [&] {
			    child.followPending (display);
			    return child.shows (width, height);
		    },
		    5000);
	}

	// A pixel of the host's window, where the plug-in's window lies at 0, 0.
	Rgb pixel (int x, int y) { return x11test::pixel (display, hostWindow, x, y); }
	bool waitFor (const std::function<bool ()>& done)
	{
		return loop.runUntil ([&] { return xErrors () > 0 || done (); }, 5000) && xErrors () == 0;
	}
	bool waitForPixel (int x, int y, Rgb colour)
	{
		return waitFor ([&] { return pixel (x, y) == colour; });
	}
	// Bars of the waveform under the oscilloscope's centre line between two heights (points).
	int barPixels (int top, int bottom)
	{
		int count = 0;
		for (int y = top; y < bottom; ++y)
		{
			const Rgb c = pixel (480, y);
			count += c.r < 80 && c.b > 200; // the bars' blue over the panel's light blue
		}
		return count;
	}
	void click (int x, int y) { x11test::click (display, x, y); }
	bool hasEdit (ParamID id, double value)
	{
		for (auto& e : plugin->componentHandler ().edits ())
			if (e.kind == hosting::ComponentHandler::Kind::Perform && e.id == id && e.value == value)
				return true;
		return false;
	}
	// The host's window as a PNG file.
	bool savePNG (const std::string& path, int width, int height)
	{
		auto image = XGetImage (display, hostWindow, 0, 0, width, height, AllPlanes, ZPixmap);
		if (!image)
			return false;
		auto surface = cairo_image_surface_create (CAIRO_FORMAT_RGB24, width, height);
		auto data = cairo_image_surface_get_data (surface);
		const int stride = cairo_image_surface_get_stride (surface);
		for (int y = 0; y < height; ++y)
			for (int x = 0; x < width; ++x)
				reinterpret_cast<uint32_t*> (data + y * stride)[x] = XGetPixel (image, x, y) & 0xFFFFFF;
		cairo_surface_mark_dirty (surface);
		XDestroyImage (image);
		const bool ok = cairo_surface_write_to_png (surface, path.c_str ()) == CAIRO_STATUS_SUCCESS;
		cairo_surface_destroy (surface);
		return ok;
	}

	std::shared_ptr<hosting::Module> module;
	hosting::HostContext host;
	std::unique_ptr<hosting::PluginInstance> plugin;
	std::unique_ptr<Player> player;
	PollRunLoop loop;
	hosting::PlugFrame plugFrame {&loop};
	IPtr<IPlugView> view;
	bool attached = false;
	Display* display = nullptr;
	Window hostWindow = 0;
	x11test::EmbeddedWindow child;
};

} // namespace

TEST_F (EditorWindowTest, ClicksReachTheHostAndTheWindowRepaints)
{
	ASSERT_NO_FATAL_FAILURE (attach ());
	ASSERT_TRUE (waitForWindow (570, 666)) << "the plug-in's window was never mapped";
	ASSERT_TRUE (waitForPixel (kPanelX, kPanelY, kScopePanel)) << "the window was never drawn";

	const Rgb released = pixel (35, 631);
	click (35, 631); // Break
	ASSERT_TRUE (waitFor ([&] { return hasEdit (kBreak, 1.); })) << "the edit never reached the host";
	EXPECT_EQ (controller ()->getParamNormalized (kBreak), 1.);
	EXPECT_TRUE (waitFor ([&] { return !(pixel (35, 631) == released); }))
	    << "the button was not redrawn lit";

	click (400, 630); // the slider's groove, away from its handle at 0
	const double gate = static_cast<float> (144. / 289.);
	ASSERT_TRUE (waitFor ([&] { return hasEdit (kGateSize, gate); }));
	EXPECT_EQ (controller ()->getParamNormalized (kGateSize), gate);
	EXPECT_TRUE (waitForPixel (400, 630, {0, 174, 239})) << "the handle was not redrawn where clicked";
}

TEST_F (EditorWindowTest, TheWaveformMovesOnThePlugFramesRunLoop)
{
	// The host's audio, from its own loop: 10 ms every 10 ms.
	LoopTimer audio ([this] { player->play (); });
	loop.registerTimer (&audio, 10);
	loop.runFor (50);
	EXPECT_EQ (loop.timerCount (), 1u) << "without an editor nothing of the plug-in runs on the loop";
	EXPECT_EQ (plugin->messagesToController (), 0);

	// Two bars ahead, with Break on: the window opens on slices of the last bar.
	player->blocks.changes ().addPoint (kBreak, 0, 1.);
	player->blocks.changes ().addPoint (kSliceSize, 0, 0.5);
	player->blocks.changes ().addPoint (kGateSize, 0, 0.75);
	for (int i = 0; i < 400; ++i)
		player->play ();
	controller ()->setParamNormalized (kBreak, 1.);
	controller ()->setParamNormalized (kSliceSize, 0.5);
	controller ()->setParamNormalized (kGateSize, 0.75);
	ASSERT_NO_FATAL_FAILURE (attach ());
	ASSERT_TRUE (waitForWindow (570, 666));
	// The processor's level messages arrive, and the bars fill the oscilloscope from the top.
	EXPECT_TRUE (waitFor ([&] { return barPixels (256, 431) > 20; })) << "no waveform";
	EXPECT_GT (plugin->messagesToController (), 0);
	EXPECT_TRUE (waitFor ([&] { return barPixels (546, 606) > 0; }))
	    << "the waveform did not reach the bottom";
	EXPECT_TRUE (savePNG (std::string (EDITOR_PICTURE_DIR) + "/editor_window.png", 570, 666));

	remove ();
	EXPECT_EQ (loop.timerCount (), 1u) << "the processor's timer left with the editor";
	loop.unregisterTimer (&audio);
}

TEST_F (EditorWindowTest, SurvivesResizingRescalingAndReopeningWhileAudioRuns)
{
	AudioThread audio (*player);

	// Sized before it is attached, as hosts may: the window opens zoomed.
	view = owned (controller ()->createView ("editor"));
	ViewRect zoomed (0, 0, 855, 999);
	EXPECT_EQ (view->onSize (&zoomed), kResultTrue);
	ASSERT_NO_FATAL_FAILURE (attach ());
	ASSERT_TRUE (waitForWindow (855, 999));
	EXPECT_TRUE (waitForPixel (kPanelX * 1.5, kPanelY * 1.5, kScopePanel));
	ViewRect normal (0, 0, 570, 666);
	EXPECT_EQ (view->onSize (&normal), kResultTrue);
	ASSERT_TRUE (waitForWindow (570, 666));

	// Twice the pixels per point: the host is asked for the new size.
	FUnknownPtr<IPlugViewContentScaleSupport> scaling (view);
	ASSERT_TRUE (scaling);
	EXPECT_EQ (scaling->setContentScaleFactor (2.f), kResultTrue);
	ASSERT_FALSE (plugFrame.resizeRequests ().empty ());
	EXPECT_EQ (plugFrame.resizeRequests ().back ().getWidth (), 1140);
	EXPECT_EQ (plugFrame.resizeRequests ().back ().getHeight (), 1332);
	ASSERT_TRUE (waitForWindow (1140, 1332));
	EXPECT_TRUE (waitForPixel (kPanelX * 2, kPanelY * 2, kScopePanel));
	remove ();
	view = nullptr;

	// The scale given before the view is attached, and the size it then tells given back.
	view = owned (controller ()->createView ("editor"));
	ASSERT_EQ (FUnknownPtr<IPlugViewContentScaleSupport> (view)->setContentScaleFactor (2.f), kResultTrue);
	ViewRect size;
	ASSERT_EQ (view->getSize (&size), kResultTrue);
	EXPECT_EQ (size.getWidth (), 1140);
	EXPECT_EQ (view->onSize (&size), kResultTrue);
	ASSERT_NO_FATAL_FAILURE (attach ());
	ASSERT_TRUE (waitForWindow (1140, 1332));
	EXPECT_TRUE (waitForPixel (kPanelX * 2, kPanelY * 2, kScopePanel));
	remove ();
	view = nullptr;

	// Open and close again and again while automation and level messages come in.
	for (int round = 0; round < 10; ++round)
	{
		ASSERT_NO_FATAL_FAILURE (attach ());
		ASSERT_TRUE (waitForWindow (570, 666)) << "round " << round;
		controller ()->setParamNormalized (kBreak, round % 2);
		controller ()->setParamNormalized (kGateSize, round / 10.);
		loop.runFor (20);
		remove ();
		controller ()->setParamNormalized (kBreak, 1. - round % 2);
		view = nullptr;
	}
	// A view released while still attached takes its window and timers with it.
	ASSERT_NO_FATAL_FAILURE (attach ());
	ASSERT_TRUE (waitForWindow (570, 666));
	view = nullptr;
	attached = false;
	EXPECT_EQ (loop.timerCount (), 0u);
	EXPECT_EQ (loop.handlerCount (), 0u);
	controller ()->setParamNormalized (kBreak, 1.);
	EXPECT_EQ (xErrors (), 0);
}
