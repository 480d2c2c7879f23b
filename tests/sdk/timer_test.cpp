#include "base/source/timer.h"

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
			withdrawRunLoop (loop);
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
	EXPECT_TRUE (offerRunLoop (&loopA));
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
	ASSERT_TRUE (offerRunLoop (&loopA));
	Timer* timer = makeTimer (25);
	EXPECT_EQ (loopA.intervalOfOnlyTimer (), 25u);
	loopA.fire ();
	loopA.fire ();
	EXPECT_EQ (callback.calls.load (), 2);
	timer->release ();
}

TEST_F (TimerTest, OffersOfOneProviderAreCounted)
{
	ASSERT_TRUE (offerRunLoop (&loopA));
	ASSERT_TRUE (offerRunLoop (&loopA)); // a second instance with the same host context
	EXPECT_GT (loopA.refCount (), 1u);
	Timer* timer = makeTimer ();
	EXPECT_EQ (loopA.registerCallCount (), 1);

	withdrawRunLoop (&loopA); // the first instance goes: the run loop stays
	EXPECT_EQ (loopA.timerCount (), 1u);
	withdrawRunLoop (&loopA); // the last offer withdrawn forgets it
	EXPECT_EQ (loopA.refCount (), 1u);
	EXPECT_EQ (loopA.timerCount (), 0u);
	timer->release ();
}

TEST_F (TimerTest, ProvidersWithoutRunLoopAreIgnored)
{
	PlainObject plain;
	EXPECT_FALSE (offerRunLoop (nullptr));
	EXPECT_FALSE (offerRunLoop (&plain));
	EXPECT_EQ (plain.refCount (), 1u);
	withdrawRunLoop (&plain);   // never offered: no effect
	withdrawRunLoop (nullptr);

	Timer* timer = makeTimer ();
	ASSERT_TRUE (offerRunLoop (&loopA));
	EXPECT_EQ (loopA.timerCount (), 1u);
	timer->release ();
}

TEST_F (TimerTest, RefusingRunLoopLeavesTimerInertWithoutHarm)
{
	FakeRunLoop refusing (true);
	ASSERT_TRUE (offerRunLoop (&refusing));
	Timer* timer = makeTimer ();
	EXPECT_EQ (refusing.registerCallCount (), 1);
	EXPECT_EQ (refusing.timerCount (), 0u);
	refusing.fire ();
	EXPECT_EQ (callback.calls.load (), 0);

	// A later, accepting run loop takes the timer once the refusing one leaves.
	ASSERT_TRUE (offerRunLoop (&loopA));
	EXPECT_EQ (loopA.timerCount (), 0u);
	withdrawRunLoop (&refusing);
	EXPECT_EQ (loopA.timerCount (), 1u);
	loopA.fire ();
	EXPECT_EQ (callback.calls.load (), 1);

	timer->release ();
	EXPECT_EQ (refusing.refCount (), 1u);
}

TEST_F (TimerTest, WithdrawMovesTimersToNextOfferedRunLoop)
{
	ASSERT_TRUE (offerRunLoop (&loopA));
	ASSERT_TRUE (offerRunLoop (&loopB));
	Timer* first = makeTimer (10);
	Timer* second = makeTimer (20);
	EXPECT_EQ (loopA.timerCount (), 2u);
	EXPECT_EQ (loopB.timerCount (), 0u); // only the first offered run loop drives timers

	withdrawRunLoop (&loopB); // not the current one: nothing moves
	EXPECT_EQ (loopA.timerCount (), 2u);
	ASSERT_TRUE (offerRunLoop (&loopB));

	withdrawRunLoop (&loopA);
	EXPECT_EQ (loopA.timerCount (), 0u);
	EXPECT_EQ (loopB.timerCount (), 2u);
	loopB.fire ();
	EXPECT_EQ (callback.calls.load (), 2);

	withdrawRunLoop (&loopB); // none left: timers go inert...
	EXPECT_EQ (loopB.timerCount (), 0u);
	ASSERT_TRUE (offerRunLoop (&loopC)); // ...until another run loop arrives
	EXPECT_EQ (loopC.timerCount (), 2u);

	first->release ();
	second->release ();
	EXPECT_EQ (loopC.timerCount (), 0u);
}

TEST_F (TimerTest, StopUnregistersAndSilencesLateHostCalls)
{
	ASSERT_TRUE (offerRunLoop (&loopA));
	Timer* timer = makeTimer ();
	auto retained = loopA.retainHandlers ();
	ASSERT_EQ (retained.size (), 1u);

	timer->stop ();
	EXPECT_EQ (loopA.timerCount (), 0u);
	retained[0]->onTimer (); // a host calling a handler it still holds
	EXPECT_EQ (callback.calls.load (), 0);

	timer->stop (); // idempotent
	withdrawRunLoop (&loopA);
	ASSERT_TRUE (offerRunLoop (&loopA)); // a stopped timer does not come back
	EXPECT_EQ (loopA.timerCount (), 0u);
	timer->release ();
}

TEST_F (TimerTest, ReleaseWhileRegisteredUnregistersAndHandlerOutlivesTimer)
{
	ASSERT_TRUE (offerRunLoop (&loopA));
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

	ASSERT_TRUE (offerRunLoop (&loopA));
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
			offerRunLoop (&loopA);
			loopA.fire ();
			offerRunLoop (&loopB);
			withdrawRunLoop (&loopA);
			loopB.fire ();
			withdrawRunLoop (&loopB);
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
