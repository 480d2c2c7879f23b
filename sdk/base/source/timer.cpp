#include "base/source/timer.h"

#include "pluginterfaces/gui/iplugview.h"
#include "sdkext/runloops.h"

#include <atomic>
#include <mutex>

namespace Steinberg {
namespace {

//------------------------------------------------------------------------
// The object a host run loop holds and calls. It is separate from the Timer so that the owner's
// release () ends the callbacks even while the host still holds a reference to the handler.
class TimerHandler : public Linux::ITimerHandler
{
public:
	TimerHandler (ITimerCallback* callback, Timer* timer) : callback (callback), timer (timer) {}

	void PLUGIN_API onTimer () override
	{
		IPtr<TimerHandler> keepAlive (this); // the callback may release the timer, and with it us
		std::lock_guard<std::recursive_mutex> lock (callbackMutex);
		if (callback)
			callback->onTimer (timer);
	}

	// No callback starts after this returns; waits for one running on another thread
	// (recursive mutex: a callback may stop its own timer).
	void disconnect ()
	{
		std::lock_guard<std::recursive_mutex> lock (callbackMutex);
		callback = nullptr;
	}

	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override
	{
		if (FUnknownPrivate::iidEqual (iid, Linux::ITimerHandler::iid) ||
		    FUnknownPrivate::iidEqual (iid, FUnknown::iid))
		{
			addRef ();
			*obj = static_cast<Linux::ITimerHandler*> (this);
			return kResultOk;
		}
		*obj = nullptr;
		return kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return ++refCount; }
	uint32 PLUGIN_API release () override
	{
		const uint32 remaining = --refCount;
		if (remaining == 0)
			delete this;
		return remaining;
	}

private:
	virtual ~TimerHandler () = default;

	std::atomic<uint32> refCount {1};
	std::recursive_mutex callbackMutex;
	ITimerCallback* callback;
	Timer* timer;
};

//------------------------------------------------------------------------
// Kept on the module's current run loop by our layer's registry.
class RunLoopTimer final : public Timer, public SdkExt::RunLoopClient
{
public:
	RunLoopTimer (ITimerCallback* callback, uint32 interval)
	    : handler (owned (new TimerHandler (callback, this))), interval (interval)
	{}
	~RunLoopTimer () override { stop (); }

	void stop () override
	{
		handler->disconnect ();
		SdkExt::removeRunLoopClient (*this);
	}

	bool registerOn (Linux::IRunLoop* runLoop) override
	{
		return runLoop->registerTimer (handler, interval) == kResultOk;
	}
	void unregisterFrom (Linux::IRunLoop* runLoop) override { runLoop->unregisterTimer (handler); }

private:
	const IPtr<TimerHandler> handler;
	const uint32 interval;
};

} // namespace

//------------------------------------------------------------------------
Timer* Timer::create (ITimerCallback* callback, uint32 milliseconds)
{
	if (!callback || milliseconds == 0)
		return nullptr;
	auto* timer = new RunLoopTimer (callback, milliseconds);
	SdkExt::addRunLoopClient (*timer);
	return timer;
}

} // namespace Steinberg
