#include "hosting/host_context.h"

#include "pluginterfaces/vst/ivstmessage.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Steinberg;
using hosting::HostContext;
using hosting::RunLoop;

namespace {

// Counts its calls and runs an optional action inside the callback.
struct CountingTimer : Linux::ITimerHandler
{
	int calls = 0;
	std::vector<RunLoop::TimerInterval> times;
	RunLoop* loop = nullptr;
	std::function<void ()> action;

	void PLUGIN_API onTimer () override
	{
		++calls;
		if (loop)
			times.push_back (loop->now ());
		if (action)
			action ();
	}
	tresult PLUGIN_API queryInterface (const TUID, void** obj) override
	{
		*obj = nullptr;
		return kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return 1; }
	uint32 PLUGIN_API release () override { return 1; }
};

struct CountingEvents : Linux::IEventHandler
{
	std::vector<int> fds;
	void PLUGIN_API onFDIsSet (Linux::FileDescriptor fd) override { fds.push_back (fd); }
	tresult PLUGIN_API queryInterface (const TUID, void** obj) override
	{
		*obj = nullptr;
		return kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return 1; }
	uint32 PLUGIN_API release () override { return 1; }
};

} // namespace

TEST (RunLoop, FiresEachTimerOncePerElapsedInterval)
{
	RunLoop loop;
	CountingTimer fast, slow;
	fast.loop = slow.loop = &loop;
	ASSERT_EQ (loop.registerTimer (&fast, 10), kResultOk);
	ASSERT_EQ (loop.registerTimer (&slow, 25), kResultOk);
	loop.advance (9);
	EXPECT_EQ (fast.calls, 0);
	loop.advance (1);
	EXPECT_EQ (fast.calls, 1);
	loop.advance (45); // now 55
	EXPECT_EQ (fast.calls, 5);
	EXPECT_EQ (slow.calls, 2);
	EXPECT_EQ (fast.times, (std::vector<RunLoop::TimerInterval> {10, 20, 30, 40, 50}));
	EXPECT_EQ (slow.times, (std::vector<RunLoop::TimerInterval> {25, 50}));
	EXPECT_EQ (loop.now (), 55u);
}

TEST (RunLoop, StopsFiringAfterUnregisterEvenInsideACallback)
{
	RunLoop loop;
	CountingTimer timer, other;
	timer.action = [&] {
		if (timer.calls == 2)
			loop.unregisterTimer (&timer);
	};
	ASSERT_EQ (loop.registerTimer (&timer, 10), kResultOk);
	ASSERT_EQ (loop.registerTimer (&other, 10), kResultOk);
	loop.advance (100);
	EXPECT_EQ (timer.calls, 2);
	EXPECT_EQ (other.calls, 10);
	EXPECT_EQ (loop.timerCount (), 1u);
	EXPECT_FALSE (loop.hasTimer (&timer));
	EXPECT_EQ (loop.unregisterTimer (&timer), kInvalidArgument) << "already gone";
	EXPECT_EQ (loop.unregisterTimer (&other), kResultOk);
	EXPECT_EQ (loop.timerCount (), 0u);
}

TEST (RunLoop, TimerRegisteredInACallbackStartsFromThatMoment)
{
	RunLoop loop;
	CountingTimer first, late;
	first.action = [&] {
		if (first.calls == 1)
			loop.registerTimer (&late, 30);
	};
	late.loop = &loop;
	loop.registerTimer (&first, 20);
	loop.advance (100); // late registered at 20: fires at 50 and 80
	EXPECT_EQ (first.calls, 5);
	EXPECT_EQ (late.times, (std::vector<RunLoop::TimerInterval> {50, 80}));
}

TEST (RunLoop, RefusesBadAndUnwantedRegistrations)
{
	RunLoop loop;
	CountingTimer timer;
	EXPECT_EQ (loop.registerTimer (nullptr, 10), kInvalidArgument);
	EXPECT_EQ (loop.registerTimer (&timer, 0), kInvalidArgument);
	EXPECT_EQ (loop.registerTimer (&timer, 10), kResultOk);
	EXPECT_EQ (loop.registerTimer (&timer, 10), kInvalidArgument) << "registered twice";
	loop.unregisterTimer (&timer);

	loop.refuseTimers (true);
	EXPECT_NE (loop.registerTimer (&timer, 10), kResultOk);
	EXPECT_EQ (loop.timerCount (), 0u);
	loop.advance (1000);
	EXPECT_EQ (timer.calls, 0);
}

TEST (RunLoop, SignalsEventHandlersOfThatDescriptor)
{
	RunLoop loop;
	CountingEvents a, b;
	EXPECT_EQ (loop.registerEventHandler (&a, 5), kResultOk);
	EXPECT_EQ (loop.registerEventHandler (&b, 6), kResultOk);
	EXPECT_EQ (loop.registerEventHandler (&a, 5), kInvalidArgument);
	EXPECT_EQ (loop.registerEventHandler (nullptr, 5), kInvalidArgument);
	EXPECT_EQ (loop.registerEventHandler (&a, -1), kInvalidArgument);
	loop.signal (5);
	EXPECT_EQ (a.fds, std::vector<int> {5});
	EXPECT_TRUE (b.fds.empty ());
	EXPECT_EQ (loop.unregisterEventHandler (&a), kResultOk);
	EXPECT_EQ (loop.unregisterEventHandler (&a), kInvalidArgument);
	loop.signal (5);
	EXPECT_EQ (a.fds.size (), 1u);
	EXPECT_EQ (loop.eventHandlerCount (), 1u);
}

TEST (HostContext, AnswersRunLoopOnlyWhenGivenOne)
{
	RunLoop loop;
	HostContext with (&loop);
	HostContext without;
	void* object = nullptr;
	EXPECT_EQ (with.queryInterface (Linux::IRunLoop::iid, &object), kResultOk);
	EXPECT_EQ (object, static_cast<Linux::IRunLoop*> (&loop));
	EXPECT_NE (without.queryInterface (Linux::IRunLoop::iid, &object), kResultOk);
	EXPECT_EQ (object, nullptr);
	EXPECT_EQ (with.queryInterface (Vst::IHostApplication::iid, &object), kResultOk);
	EXPECT_EQ (object, static_cast<Vst::IHostApplication*> (&with));

	FUnknownPtr<Linux::IRunLoop> viaSmartPointer (static_cast<Vst::IHostApplication*> (&with));
	EXPECT_EQ (viaSmartPointer.getInterface (), &loop);
}

TEST (HostContext, CreatesMessagesAndReportsItsName)
{
	HostContext host (nullptr, "Probe Host \xC3\xA9");
	Vst::String128 name {};
	ASSERT_EQ (host.getName (name), kResultOk);
	EXPECT_EQ (std::u16string (reinterpret_cast<const char16_t*> (name)), u"Probe Host \u00e9");

	TUID messageClass;
	Vst::IMessage::iid.toTUID (messageClass);
	TUID messageInterface;
	Vst::IMessage::iid.toTUID (messageInterface);
	void* object = nullptr;
	ASSERT_EQ (host.createInstance (messageClass, messageInterface, &object), kResultTrue);
	IPtr<Vst::IMessage> message = owned (static_cast<Vst::IMessage*> (object));
	message->setMessageID ("x");
	EXPECT_STREQ (message->getMessageID (), "x");
	ASSERT_NE (message->getAttributes (), nullptr);
	EXPECT_EQ (message->getAttributes ()->setInt ("n", 3), kResultOk);
}

TEST (PlugFrame, OffersTheRunLoopAndRecordsResizes)
{
	RunLoop loop;
	hosting::PlugFrame frame (&loop);
	void* object = nullptr;
	EXPECT_EQ (frame.queryInterface (Linux::IRunLoop::iid, &object), kResultOk);
	EXPECT_EQ (object, static_cast<Linux::IRunLoop*> (&loop));
	EXPECT_EQ (frame.queryInterface (IPlugFrame::iid, &object), kResultOk);
	ViewRect rect (0, 0, 10, 10);
	EXPECT_EQ (frame.resizeView (nullptr, &rect), kInvalidArgument);
	EXPECT_TRUE (frame.resizeRequests ().empty ());
}
