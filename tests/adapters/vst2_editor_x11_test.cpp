// The bundle's editor through the VST 2 editor opcodes, in a real X11 window under Xvfb: the
// host embeds it in a window of its own, drives it with effEditIdle only, clicks Break, and
// the edit comes back as automation.
#include "vst2_test_host.h"

#include "vstgui/xvfb_server.h"

#include <gtest/gtest.h>
// After gtest: Xlib defines None and Bool as macros.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

// After gtest: X11 defines names gtest uses.
#include "common/x11_window.h"

#include <dlfcn.h>

#include <chrono>
#include <functional>
#include <thread>

// Painting the editor's images on the window leaves one 32-byte block inside cairo's X11
// backend for the process (seen under LeakSanitizer, nothing of ours holds it).
extern "C" const char* __lsan_default_suppressions () { return "leak:libcairo.so\n"; }

using Vst2Main = vst2::Effect* (*)(vst2::Callback);
using H = Vst2TestHost;

namespace {

class Vst2EditorWindow : public XvfbTest
{
protected:
	static void SetUpTestSuite () { SetUpTestSuiteWithScreen ("640x720x24"); } // room for 570 x 666

	void SetUp () override
	{
		XvfbTest::SetUp ();
		if (HasFatalFailure ())
			return;
		// Never unloaded: fontconfig, loaded with the view library, keeps its caches for the
		// process, and the leak checker can only match them (tests/lsan.supp) while mapped.
		library = dlopen (CHOPWRIGHT_LIBRARY, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
		ASSERT_NE (library, nullptr) << dlerror ();
		auto entry = reinterpret_cast<Vst2Main> (dlsym (library, "VSTPluginMain"));
		ASSERT_NE (entry, nullptr);
		effect = entry (H::callback);
		ASSERT_NE (effect, nullptr);

		display = XOpenDisplay (nullptr);
		ASSERT_NE (display, nullptr);
		hostWindow = x11test::openHostWindow (display, 570, 666);
		ASSERT_NE (hostWindow, 0u) << "no XTest on the display";
	}

	void TearDown () override
	{
		if (effect)
			H::dispatch (effect, vst2::effClose);
		if (display)
			XCloseDisplay (display);
		if (library)
			dlclose (library);
	}

	// Idles the effect as a host does until `done`, for at most three seconds.
	bool idleUntil (const std::function<bool ()>& done)
	{
		const auto end = std::chrono::steady_clock::now () + std::chrono::seconds (3);
		while (!done ())
		{
			if (std::chrono::steady_clock::now () > end || xErrors () > 0)
				return false;
			H::dispatch (effect, vst2::effEditIdle);
			std::this_thread::sleep_for (std::chrono::milliseconds (5));
		}
		return true;
	}

	// Whether a child of the host window has been mapped (or destroyed) since the last call.
	bool childEvent (int type)
	{
		bool seen = false;
		while (XPending (display))
		{
			XEvent e;
			XNextEvent (display, &e);
			seen = seen || e.type == type;
		}
		return seen;
	}

	void click (int x, int y)
	{
		int rootX = 0, rootY = 0;
		Window child = 0;
		XTranslateCoordinates (display, hostWindow, DefaultRootWindow (display), x, y, &rootX, &rootY,
		                       &child);
		XTestFakeMotionEvent (display, DefaultScreen (display), rootX, rootY, CurrentTime);

		XTestFakeButtonEvent (display, Button1, True, CurrentTime);
		XTestFakeButtonEvent (display, Button1, False, CurrentTime);
		XFlush (display);
	}

	bool hostGotAutomation (int32_t index, float value) const
	{
		for (const auto& call : host.calls)
			if (call.opcode == vst2::audioMasterAutomate && call.index == index && call.opt == value)
				return true;
		return false;
	}

	Vst2TestHost host;
	void* library {nullptr};
	vst2::Effect* effect {nullptr};
	Display* display {nullptr};
	Window hostWindow {0};
};

} // namespace

TEST_F (Vst2EditorWindow, OpensInTheHostsWindowAndItsEditsReachTheHost)
{
	vst2::Rect* rect = nullptr;
	ASSERT_EQ (H::dispatch (effect, vst2::effEditGetRect, 0, 0, &rect), 1);
	ASSERT_NE (rect, nullptr);
	EXPECT_EQ (rect->right - rect->left, 570);
	EXPECT_EQ (rect->bottom - rect->top, 666);

	ASSERT_EQ (H::dispatch (effect, vst2::effEditOpen, 0, 0, reinterpret_cast<void*> (hostWindow)), 1);
	ASSERT_TRUE (idleUntil ([&] { return childEvent (MapNotify); }))
	    << "the editor's window was never mapped";

	// The Break button's rectangle starts at 24, 620.
	EXPECT_EQ (effect->getParameter (effect, 0), 0.0f);
	click (30, 626);
	ASSERT_TRUE (idleUntil ([&] { return hostGotAutomation (0, 1.0f); })) << "no automation of Break";
	EXPECT_EQ (effect->getParameter (effect, 0), 1.0f);

	EXPECT_EQ (H::dispatch (effect, vst2::effEditClose), 1);
	XSync (display, False);
	EXPECT_TRUE (idleUntil ([&] { return childEvent (DestroyNotify); })) << "the editor's window stayed";
	EXPECT_EQ (xErrors (), 0);
}
