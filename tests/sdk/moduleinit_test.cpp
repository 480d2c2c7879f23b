#include "public.sdk/source/main/moduleinit.h"

#include "base/source/timer.h"
#include "sdkext/runloops.h"
#include "test_objects.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// Exported by vst3sdk_main, linked into this test program.
extern "C" bool ModuleEntry (void* sharedLibraryHandle);
extern "C" bool ModuleExit ();

namespace SdkTest {
namespace {

std::mutex logMutex;
std::vector<std::string> calls;

void record (const char* what)
{
	std::lock_guard<std::mutex> lock (logMutex);
	calls.push_back (what);
}

std::vector<std::string> takeCalls ()
{
	std::lock_guard<std::mutex> lock (logMutex);
	return std::exchange (calls, {});
}

// Registered out of order on purpose; equal priorities keep registration order.
ModuleInitializer initLate ([] { record ("init 300"); }, 300);
ModuleInitializer initDefaultA ([] { record ("init 100 a"); });
ModuleInitializer initEarly ([] { record ("init 5"); }, 5);
ModuleInitializer initDefaultB ([] { record ("init 100 b"); }, DefaultModuleInitPriority);
ModuleTerminator exitLate ([] { record ("exit 900"); }, 900);
ModuleTerminator exitEarly ([] { record ("exit 1"); }, 1);
ModuleInitializer initSeesHandle (
    [] { record (getPlatformModuleHandle () ? "init handle set" : "init handle null"); }, 400);

const std::vector<std::string> initOrder {"init 5", "init 100 a", "init 100 b", "init 300"};

class ModuleEntryTest : public ::testing::Test
{
protected:
	// The module must not be entered between tests.
	void SetUp () override
	{
		ASSERT_FALSE (ModuleExit ());
		takeCalls ();
	}
	void TearDown () override { EXPECT_FALSE (ModuleExit ()); }

	int handleTarget = 0;
	void* handle = &handleTarget;
};

TEST_F (ModuleEntryTest, FirstEntryRunsInitializersOnceInPriorityOrder)
{
	EXPECT_EQ (getPlatformModuleHandle (), nullptr);
	ASSERT_TRUE (ModuleEntry (handle));
	auto expected = initOrder;
	expected.push_back ("init handle set"); // the handle is stored before initialisers run
	EXPECT_EQ (takeCalls (), expected);
	EXPECT_EQ (getPlatformModuleHandle (), handle);

	int otherTarget = 0;
	ASSERT_TRUE (ModuleEntry (&otherTarget)); // later entries change nothing
	EXPECT_TRUE (takeCalls ().empty ());
	EXPECT_EQ (getPlatformModuleHandle (), handle);

	ASSERT_TRUE (ModuleExit ());
	EXPECT_TRUE (takeCalls ().empty ()); // not the last exit
	EXPECT_EQ (getPlatformModuleHandle (), handle);

	ASSERT_TRUE (ModuleExit ());
	EXPECT_EQ (takeCalls (), (std::vector<std::string> {"exit 1", "exit 900"}));
	EXPECT_EQ (getPlatformModuleHandle (), nullptr);
}

TEST_F (ModuleEntryTest, ExitWithoutEntryFailsAndChangesNothing)
{
	EXPECT_FALSE (ModuleExit ());
	EXPECT_TRUE (takeCalls ().empty ());
	// The count did not go below zero: one entry and one exit still form a full cycle.
	ASSERT_TRUE (ModuleEntry (handle));
	EXPECT_EQ (takeCalls ().size (), initOrder.size () + 1);
	ASSERT_TRUE (ModuleExit ());
	EXPECT_EQ (takeCalls ().size (), 2u);
}

TEST_F (ModuleEntryTest, NullHandleIsAcceptedAndReentryInitialisesAgain)
{
	ASSERT_TRUE (ModuleEntry (nullptr));
	EXPECT_EQ (takeCalls ().back (), "init handle null");
	ASSERT_TRUE (ModuleExit ());
	takeCalls ();

	ASSERT_TRUE (ModuleEntry (handle));
	EXPECT_EQ (takeCalls ().size (), initOrder.size () + 1);
	ASSERT_TRUE (ModuleExit ());
}

TEST_F (ModuleEntryTest, ConcurrentEntriesAndExitsRunEachListOnce)
{
	constexpr int threadCount = 8;
	auto inParallel = [] (auto&& work) {
		std::vector<std::thread> threads;
		for (int i = 0; i < threadCount; ++i)
			threads.emplace_back (work);
		for (auto& thread : threads)
			thread.join ();
	};
	std::atomic<int> failures {0};
	inParallel ([&] { failures += ModuleEntry (handle) ? 0 : 1; });
	EXPECT_EQ (takeCalls ().size (), initOrder.size () + 1);
	inParallel ([&] { failures += ModuleExit () ? 0 : 1; });
	EXPECT_EQ (takeCalls ().size (), 2u);
	EXPECT_EQ (failures, 0);
}

// The run loop registry (sdkext/runloops.cpp, inside the static vst3sdk_ext) registers its own
// terminator: it must survive static linking and let go of every host run loop at the last exit.
TEST_F (ModuleEntryTest, LastExitReleasesRunLoopsHeldByTimers)
{
	struct : ITimerCallback
	{
		void onTimer (Timer*) override {}
	} callback;
	FakeRunLoop runLoop;
	ASSERT_TRUE (ModuleEntry (handle));
	Timer* timer = Timer::create (&callback, 10);
	ASSERT_TRUE (SdkExt::offerRunLoop (&runLoop));
	EXPECT_EQ (runLoop.timerCount (), 1u);

	ASSERT_TRUE (ModuleExit ());
	EXPECT_EQ (runLoop.timerCount (), 0u);
	EXPECT_EQ (runLoop.refCount (), 1u);
	timer->release ();
}

} // namespace
} // namespace SdkTest
