#include "base/source/timer.h"

#include "public.sdk/source/main/moduleinit.h"
#include "pluginterfaces/gui/iplugview.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

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
class RunLoopTimer final : public Timer
{
public:
	RunLoopTimer (ITimerCallback* callback, uint32 interval)
	: handler (owned (new TimerHandler (callback, this))), interval (interval)
	{
	}
	~RunLoopTimer () override { stop (); }
	void stop () override;

	const IPtr<TimerHandler> handler;
	const uint32 interval;
	Linux::IRunLoop* registeredOn {nullptr}; // guarded by the registry mutex
};

//------------------------------------------------------------------------
// The module's run loops (in offering order; the first drives all timers) and live timers.
// Host registerTimer/unregisterTimer calls happen under the mutex; onTimer never does.
class RunLoopRegistry
{
public:
	void addTimer (RunLoopTimer& timer)
	{
		std::lock_guard<std::mutex> lock (mutex);
		timers.push_back (&timer);
		attach (timer, currentRunLoop ());
	}

	void removeTimer (RunLoopTimer& timer)
	{
		std::lock_guard<std::mutex> lock (mutex);
		auto it = std::find (timers.begin (), timers.end (), &timer);
		if (it == timers.end ())
			return;
		timers.erase (it);
		detach (timer);
	}

	bool offer (FUnknown* provider)
	{
		if (!provider)
			return false;
		FUnknownPtr<Linux::IRunLoop> runLoop (provider);
		if (!runLoop)
			return false;

		std::lock_guard<std::mutex> lock (mutex);
		auto known = findOffer (provider);
		if (known != offers.end ())
		{
			++known->count; // several instances may share one host context
			return true;
		}
		provider->addRef ();
		offers.push_back ({provider, runLoop.take (), 1});
		if (offers.size () == 1)
			moveTimersTo (offers.front ().runLoop);
		return true;
	}

	void withdraw (FUnknown* provider)
	{
		Offer removed {};
		{
			std::lock_guard<std::mutex> lock (mutex);
			auto it = findOffer (provider);
			if (it == offers.end () || --it->count > 0)
				return;
			const bool wasCurrent = it == offers.begin ();
			removed = *it;
			offers.erase (it);
			if (wasCurrent)
				moveTimersTo (currentRunLoop ());
		}
		removed.release (); // after unlocking: the host object may go with it
	}

	// At the module's last exit: no host object may be kept beyond ModuleExit.
	void withdrawAll ()
	{
		std::vector<Offer> removed;
		{
			std::lock_guard<std::mutex> lock (mutex);
			for (auto* timer : timers)
				detach (*timer);
			removed.swap (offers);
		}
		for (auto& offer : removed)
			offer.release ();
	}

private:
	// Counted references, released by hand only: unloading the library destroys the registry
	// without calling into host objects.
	struct Offer
	{
		FUnknown* provider;
		Linux::IRunLoop* runLoop;
		int count; // offers not yet withdrawn
		void release ()
		{
			runLoop->release ();
			provider->release ();
		}
	};

	std::vector<Offer>::iterator findOffer (FUnknown* provider)
	{
		return std::find_if (offers.begin (), offers.end (),
		                     [provider] (const Offer& o) { return o.provider == provider; });
	}

	Linux::IRunLoop* currentRunLoop () const
	{
		return offers.empty () ? nullptr : offers.front ().runLoop;
	}

	// Timers already on `runLoop` stay; the others leave their loop and try this one again.
	void moveTimersTo (Linux::IRunLoop* runLoop)
	{
		for (auto* timer : timers)
		{
			if (timer->registeredOn == runLoop && runLoop)
				continue;
			detach (*timer);
			attach (*timer, runLoop);
		}
	}

	// A refused registration leaves the timer inert on this run loop.
	static void attach (RunLoopTimer& timer, Linux::IRunLoop* runLoop)
	{
		if (runLoop && runLoop->registerTimer (timer.handler, timer.interval) == kResultOk)
			timer.registeredOn = runLoop;
	}

	static void detach (RunLoopTimer& timer)
	{
		if (timer.registeredOn)
			timer.registeredOn->unregisterTimer (timer.handler);
		timer.registeredOn = nullptr;
	}

	std::mutex mutex;
	std::vector<Offer> offers;
	std::vector<RunLoopTimer*> timers;
};

RunLoopRegistry& registry ()
{
	static RunLoopRegistry instance;
	return instance;
}

ModuleTerminator forgetRunLoopsAtExit ([] { registry ().withdrawAll (); });

void RunLoopTimer::stop ()
{
	handler->disconnect ();
	registry ().removeTimer (*this);
}

} // namespace

//------------------------------------------------------------------------
Timer* Timer::create (ITimerCallback* callback, uint32 milliseconds)
{
	if (!callback || milliseconds == 0)
		return nullptr;
	auto* timer = new RunLoopTimer (callback, milliseconds);
	registry ().addTimer (*timer);
	return timer;
}

bool offerRunLoop (FUnknown* provider) { return registry ().offer (provider); }

void withdrawRunLoop (FUnknown* provider) { registry ().withdraw (provider); }

} // namespace Steinberg
