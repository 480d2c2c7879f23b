// The run loop that a host's idle calls drive: timers fire once due, readable descriptors are
// served, and a handler may unregister itself while it is called.
#include "sdkext/idlerunloop.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <thread>

using namespace Steinberg;

namespace {

struct CountingTimer : Linux::ITimerHandler
{
	int fired {0};
	void PLUGIN_API onTimer () SMTG_OVERRIDE { ++fired; }
	tresult PLUGIN_API queryInterface (const TUID, void**) SMTG_OVERRIDE { return kNoInterface; }
	uint32 PLUGIN_API addRef () SMTG_OVERRIDE { return 1; }
	uint32 PLUGIN_API release () SMTG_OVERRIDE { return 1; }
};

// Reads what is waiting and unregisters itself, as a closing connection does.
struct ReadingHandler : Linux::IEventHandler
{
	explicit ReadingHandler (SdkExt::IdleRunLoop& loop) : loop (loop) {}
	SdkExt::IdleRunLoop& loop;
	int calls {0};
	void PLUGIN_API onFDIsSet (Linux::FileDescriptor fd) SMTG_OVERRIDE
	{
		char byte = 0;
		EXPECT_EQ (read (fd, &byte, 1), 1);
		++calls;
		loop.unregisterEventHandler (this);
	}
	tresult PLUGIN_API queryInterface (const TUID, void**) SMTG_OVERRIDE { return kNoInterface; }
	uint32 PLUGIN_API addRef () SMTG_OVERRIDE { return 1; }
	uint32 PLUGIN_API release () SMTG_OVERRIDE { return 1; }
};

} // namespace

TEST (IdleRunLoop, FiresTimersThatAreDue)
{
	SdkExt::IdleRunLoop loop;
	CountingTimer due, later;
	ASSERT_EQ (loop.registerTimer (&due, 1), kResultOk);
	ASSERT_EQ (loop.registerTimer (&later, 3600 * 1000), kResultOk);
	EXPECT_EQ (loop.registerTimer (&due, 0), kInvalidArgument);
	std::this_thread::sleep_for (std::chrono::milliseconds (5));
	loop.idle ();
	EXPECT_EQ (due.fired, 1);
	EXPECT_EQ (later.fired, 0);
	EXPECT_EQ (loop.unregisterTimer (&due), kResultOk);
	EXPECT_EQ (loop.unregisterTimer (&later), kResultOk);
	EXPECT_EQ (loop.unregisterTimer (&due), kInvalidArgument);
	std::this_thread::sleep_for (std::chrono::milliseconds (5));
	loop.idle ();
	EXPECT_EQ (due.fired, 1);
}

TEST (IdleRunLoop, ServesReadableFileDescriptors)
{
	SdkExt::IdleRunLoop loop;
	int fds[2];
	ASSERT_EQ (pipe (fds), 0);
	ReadingHandler handler (loop);
	ASSERT_EQ (loop.registerEventHandler (&handler, fds[0]), kResultOk);
	loop.idle ();
	EXPECT_EQ (handler.calls, 0);
	ASSERT_EQ (write (fds[1], "x", 1), 1);
	loop.idle ();
	EXPECT_EQ (handler.calls, 1);
	ASSERT_EQ (write (fds[1], "x", 1), 1);
	loop.idle (); // unregistered by its own call
	EXPECT_EQ (handler.calls, 1);
	close (fds[0]);
	close (fds[1]);
}
