#include "base/source/timer.h"
#include "sdkext/runloops.h"

#include "test_objects.h"

#include <gtest/gtest.h>

#include <thread>

namespace SdkTest {
namespace {

struct CountingCallback : ITimerCallback
{
	void onTimer (Timer* timer) override
	{
		++calls;
		lastTimer = timer;
	}
	std::atomic<int> calls {0};
	std::atomic<Timer*> lastTimer {nullptr};
};

// Every test starts and ends with no run loop offered (the registry is module-wide).
class TimerTest : public ::testing::Test
{
protected:
	void TearDown () override
	{
		for (auto* loop : {&loopA, &loopB, &loopC})
		{
			SdkExt::withdrawRunLoop (loop);
			EXPECT_EQ (loop->timerCount (), 0u);
			EXPECT_EQ (loop->refCount (), 1u);
		}
	}

	Timer* makeTimer (uint32 ms = 10) { return Timer::create (&callback, ms); }

	CountingCallback callback;
	FakeRunLoop loopA, loopB, loopC;
};

TEST_F (TimerTest, RefusesNullCallbackAndZeroInterval)
{
	EXPECT_EQ (Timer::create (nullptr, 10), nullptr);
	EXPECT_EQ (Timer::create (&callback, 0), nullptr);
}

TEST_F (TimerTest, WithoutRunLoopTimerIsValidButInert)
{
	Timer* timer = makeTimer ();
	ASSERT_NE (timer, nullptr);
	EXPECT_EQ (timer->getRefCount (), 1);
	timer->stop ();
	timer->release ();
	EXPECT_EQ (callback.calls.load (), 0);
}

TEST_F (TimerTest, TimerCreatedBeforeOfferStartsOnOfferedRunLoop)
{
	Timer* timer = makeTimer (10);
	EXPECT_TRUE (SdkExt::offerRunLoop (&loopA));
	ASSERT_EQ (loopA.timerCount (), 1u);
	EXPECT_EQ (loopA.intervalOfOnlyTimer (), 10u);

	loopA.fire ();
	EXPECT_EQ (callback.calls.load (), 1);
	EXPECT_EQ (callback.lastTimer.load (), timer);
	timer->release ();
	EXPECT_EQ (loopA.timerCount (), 0u);
}

TEST_F (TimerTest, TimerCreatedAfterOfferRegistersAtOnce)
{
	ASSERT_TRUE (SdkExt::offerRunLoop (&loopA));
	Timer* timer = makeTimer (25);
	EXPECT_EQ (loopA.intervalOfOnlyTimer (), 25u);
	loopA.fire ();
	loopA.fire ();
	EXPECT_EQ (callback.calls.load (), 2);
	timer->release ();
}

TEST_F (TimerTest, OffersOfOneProviderAreCounted)
{
	ASSERT_TRUE (SdkExt::offerRunLoop (&loopA));
	ASSERT_TRUE (SdkExt::offerRunLoop (&loopA)); // a second instance with the same host context
	EXPECT_GT (loopA.refCount (), 1u);
	Timer* timer = makeTimer ();
	EXPECT_EQ (loopA.registerCallCount (), 1);

	SdkExt::withdrawRunLoop (&loopA); // the first instance goes: the run loop stays
	EXPECT_EQ (loopA.timerCount (), 1u);
	SdkExt::withdrawRunLoop (&loopA); // the last offer withdrawn forgets it
	EXPECT_EQ (loopA.refCount (), 1u);
	EXPECT_EQ (loopA.timerCount (), 0u);
	timer->release ();
}

TEST_F (TimerTest, ProvidersWithoutRunLoopAreIgnored)
{
	PlainObject plain;
	EXPECT_FALSE (SdkExt::offerRunLoop (nullptr));
	EXPECT_FALSE (SdkExt::offerRunLoop (&plain));
	EXPECT_EQ (plain.refCount (), 1u);
	SdkExt::withdrawRunLoop (&plain); // never offered: no effect
	SdkExt::withdrawRunLoop (nullptr);

	Timer* timer = makeTimer ();
	ASSERT_TRUE (SdkExt::offerRunLoop (&loopA));
	EXPECT_EQ (loopA.timerCount (), 1u);
	timer->release ();
}

TEST_F (TimerTest, RefusingRunLoopLeavesTimerInertWithoutHarm)
{
	FakeRunLoop refusing (true);
	ASSERT_TRUE (SdkExt::offerRunLoop (&refusing));
	Timer* timer = makeTimer ();
	EXPECT_EQ (refusing.registerCallCount (), 1);
	EXPECT_EQ (refusing.timerCount (), 0u);
	refusing.fire ();
	EXPECT_EQ (callback.calls.load (), 0);

	// A later, accepting run loop takes the timer once the refusing one leaves.
	ASSERT_TRUE (SdkExt::offerRunLoop (&loopA));
	EXPECT_EQ (loopA.timerCount (), 0u);
	SdkExt::withdrawRunLoop (&refusing);
	EXPECT_EQ (loopA.timerCount (), 1u);
	loopA.fire ();
	EXPECT_EQ (callback.calls.load (), 1);

	timer->release ();
	EXPECT_EQ (refusing.refCount (), 1u);
}

TEST_F (TimerTest, WithdrawMovesTimersToNextOfferedRunLoop)
{
	ASSERT_TRUE (SdkExt::offerRunLoop (&loopA));
	ASSERT_TRUE (SdkExt::offerRunLoop (&loopB));
	Timer* first = makeTimer (10);
	Timer* second = makeTimer (20);
	EXPECT_EQ (loopA.timerCount (), 2u);
	EXPECT_EQ (loopB.timerCount (), 0u); // only the first offered run loop drives timers

	SdkExt::withdrawRunLoop (&loopB); // not the current one: nothing moves
	EXPECT_EQ (loopA.timerCount (), 2u);
	ASSERT_TRUE (SdkExt::offerRunLoop (&loopB));

	SdkExt::withdrawRunLoop (&loopA);
	EXPECT_EQ (loopA.timerCount (), 0u);
	EXPECT_EQ (loopB.timerCount (), 2u);
	loopB.fire ();
	EXPECT_EQ (callback.calls.load (), 2);

	SdkExt::withdrawRunLoop (&loopB); // none left: timers go inert...
	EXPECT_EQ (loopB.timerCount (), 0u);
	ASSERT_TRUE (SdkExt::offerRunLoop (&loopC)); // ...until another run loop arrives
	EXPECT_EQ (loopC.timerCount (), 2u);

	first->release ();
	second->release ();
	EXPECT_EQ (loopC.timerCount (), 0u);
}

TEST_F (TimerTest, StopUnregistersAndSilencesLateHostCalls)
{
	ASSERT_TRUE (SdkExt::offerRunLoop (&loopA));
	Timer* timer = makeTimer ();
	auto retained = loopA.retainHandlers ();
	ASSERT_EQ (retained.size (), 1u);

	timer->stop ();
	EXPECT_EQ (loopA.timerCount (), 0u);
	retained[0]->onTimer (); // a host calling a handler it still holds
	EXPECT_EQ (callback.calls.load (), 0);

	timer->stop (); // idempotent
	SdkExt::withdrawRunLoop (&loopA);
	ASSERT_TRUE (SdkExt::offerRunLoop (&loopA)); // a stopped timer does not come back
	EXPECT_EQ (loopA.timerCount (), 0u);
	timer->release ();
}

TEST_F (TimerTest, ReleaseWhileRegisteredUnregistersAndHandlerOutlivesTimer)
{
	ASSERT_TRUE (SdkExt::offerRunLoop (&loopA));
	Timer* timer = makeTimer ();
	auto retained = loopA.retainHandlers ();
	timer->release (); // destroyed while registered
	EXPECT_EQ (loopA.timerCount (), 0u);
	retained[0]->onTimer (); // must not reach the destroyed timer (ASan checks)
	EXPECT_EQ (callback.calls.load (), 0);
}

TEST_F (TimerTest, CallbackMayReleaseItsOwnTimer)
{
	struct SelfReleasing : ITimerCallback
	{
		void onTimer (Timer* timer) override
		{
			++calls;
			timer->release ();
		}
		int calls {0};
	} selfReleasing;

	ASSERT_TRUE (SdkExt::offerRunLoop (&loopA));
	ASSERT_NE (Timer::create (&selfReleasing, 5), nullptr);
	loopA.fire ();
	EXPECT_EQ (selfReleasing.calls, 1);
	EXPECT_EQ (loopA.timerCount (), 0u);
	loopA.fire ();
	EXPECT_EQ (selfReleasing.calls, 1);
}

TEST_F (TimerTest, ConcurrentTimersAndRunLoopChangesStayConsistent)
{
	std::atomic<bool> running {true};
	std::thread host ([&] {
		while (running)
		{
			SdkExt::offerRunLoop (&loopA);
			loopA.fire ();
			SdkExt::offerRunLoop (&loopB);
			SdkExt::withdrawRunLoop (&loopA);
			loopB.fire ();
			SdkExt::withdrawRunLoop (&loopB);
		}
	});
	auto churn = [&] {
		for (int i = 0; i < 300; ++i)
		{
			Timer* timer = makeTimer ();
			loopA.fire ();
			timer->release ();
		}
	};
	std::thread plugin (churn);
	churn ();
	plugin.join ();
	running = false;
	host.join ();
	EXPECT_EQ (loopA.timerCount (), 0u);
	EXPECT_EQ (loopB.timerCount (), 0u);
}

} // namespace
} // namespace SdkTest
