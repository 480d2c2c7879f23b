// VSTGUIEditor without a window: one reference count, and the view library it sets up with the
// module, running on the module's host run loops.
#include "hosting/host_context.h"
#include "public.sdk/source/main/moduleinit.h"
#include "public.sdk/source/vst/vstguieditor.h"
#include "sdkext/modulepath.h"
#include "sdkext/runloops.h"

#include <gtest/gtest.h>

using namespace Steinberg;
using namespace VSTGUI;

namespace {

struct Editor : Vst::VSTGUIEditor
{
	using VSTGUIEditor::VSTGUIEditor;
	bool PLUGIN_API open (void*, const PlatformType&) override { return false; }
	void PLUGIN_API close () override {}
};

struct Handler : X11::ITimerHandler, X11::IEventHandler
{
	int timers = 0, events = 0;
	void onTimer () override { ++timers; }
	void onEvent () override { ++events; }
};

} // namespace

TEST (VSTGUIEditorTest, ASharedPointerToTheEditorKeepsTheHostsReference)
{
	auto controller = new Vst::EditController;
	auto editor = new Editor (controller);
	{
		SharedPointer<CBaseObject> shared (editor);
		EXPECT_EQ (editor->getRefCount (), 2);
	}
	EXPECT_EQ (editor->getRefCount (), 1); // still the host's
	editor->release ();
	controller->release ();
}

TEST (VSTGUIEditorTest, TheModuleSetsTheViewLibraryUpOnItsHostRunLoops)
{
	ASSERT_TRUE (ModuleLifetime::enter (nullptr));
	EXPECT_EQ (X11::getResourcePath (), SdkExt::getModuleResourcesPath ());
	auto runLoop = X11::RunLoop::get ();
	ASSERT_NE (runLoop, nullptr);

	Handler handler;
	hosting::RunLoop first, second;
	EXPECT_FALSE (runLoop->registerEventHandler (7, &handler)); // a window needs a run loop now
	EXPECT_TRUE (runLoop->registerTimer (10, &handler));        // a timer waits for one
	ASSERT_TRUE (SdkExt::offerRunLoop (&first));
	EXPECT_TRUE (runLoop->registerEventHandler (7, &handler));
	first.advance (10);
	first.signal (7);
	EXPECT_EQ (handler.timers, 1);
	EXPECT_EQ (handler.events, 1);

	ASSERT_TRUE (SdkExt::offerRunLoop (&second));
	SdkExt::withdrawRunLoop (&first); // both move to the next run loop
	EXPECT_EQ (first.timerCount () + first.eventHandlerCount (), 0u);
	second.advance (10);
	second.signal (7);
	EXPECT_EQ (handler.timers, 2);
	EXPECT_EQ (handler.events, 2);

	EXPECT_TRUE (runLoop->unregisterTimer (&handler));
	EXPECT_TRUE (runLoop->unregisterEventHandler (&handler));
	EXPECT_EQ (second.timerCount () + second.eventHandlerCount (), 0u);
	SdkExt::withdrawRunLoop (&second);
	runLoop = nullptr;
	ModuleLifetime::exit ();
	EXPECT_EQ (X11::RunLoop::get (), nullptr);
	EXPECT_EQ (X11::getResourcePath (), "");
}
