// Host-side stand-ins for the sdk tests: reference-counted objects the test owns (release never
// deletes, so the test can check the count returns to its start value).
#pragma once

#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/gui/iplugview.h"

#include <atomic>
#include <map>
#include <mutex>
#include <vector>

namespace SdkTest {

using namespace Steinberg;

// Counts references; answers only FUnknown unless a subclass adds interfaces.
template <typename Interface>
class Counted : public Interface
{
public:
	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override
	{
		if (FUnknownPrivate::iidEqual (iid, FUnknown::iid) || FUnknownPrivate::iidEqual (iid, Interface::iid))
		{
			addRef ();
			*obj = static_cast<Interface*> (this);
			return kResultOk;
		}
		*obj = nullptr;
		return kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return ++refs; }
	uint32 PLUGIN_API release () override { return --refs; }
	uint32 refCount () const { return refs; }

private:
	std::atomic<uint32> refs {1};
};

using PlainObject = Counted<FUnknown>;

// A host run loop: remembers registered timer handlers (holding a reference, as hosts do)
// and fires them on demand. Thread-safe.
class FakeRunLoop : public Counted<Linux::IRunLoop>
{
public:
	explicit FakeRunLoop (bool refuseTimers = false) : refuseTimers (refuseTimers) {}

	tresult PLUGIN_API registerEventHandler (Linux::IEventHandler*, Linux::FileDescriptor) override
	{
		return kNotImplemented;
	}
	tresult PLUGIN_API unregisterEventHandler (Linux::IEventHandler*) override { return kNotImplemented; }

	tresult PLUGIN_API registerTimer (Linux::ITimerHandler* handler,
	                                  Linux::TimerInterval milliseconds) override
	{
		std::lock_guard<std::mutex> lock (mutex);
		++registerCalls;
		if (refuseTimers || !handler || timers.count (handler))
			return kResultFalse;
		handler->addRef ();
		timers[handler] = milliseconds;
		return kResultTrue;
	}

	tresult PLUGIN_API unregisterTimer (Linux::ITimerHandler* handler) override
	{
		std::lock_guard<std::mutex> lock (mutex);
		auto it = timers.find (handler);
		if (it == timers.end ())
			return kInvalidArgument;
		timers.erase (it);
		handler->release ();
		return kResultTrue;
	}

	// Calls every registered handler once, outside the lock, as a host's event loop would.
	void fire ()
	{
		std::vector<Linux::ITimerHandler*> due;
		{
			std::lock_guard<std::mutex> lock (mutex);
			for (auto& entry : timers)
			{
				entry.first->addRef ();
				due.push_back (entry.first);
			}
		}
		for (auto* handler : due)
		{
			handler->onTimer ();
			handler->release ();
		}
	}

	size_t timerCount ()
	{
		std::lock_guard<std::mutex> lock (mutex);
		return timers.size ();
	}
	Linux::TimerInterval intervalOfOnlyTimer ()
	{
		std::lock_guard<std::mutex> lock (mutex);
		return timers.size () == 1 ? timers.begin ()->second : 0;
	}
	int registerCallCount ()
	{
		std::lock_guard<std::mutex> lock (mutex);
		return registerCalls;
	}

	// Keeps a reference to every registered handler, like a host that releases late.
	std::vector<IPtr<Linux::ITimerHandler>> retainHandlers ()
	{
		std::lock_guard<std::mutex> lock (mutex);
		std::vector<IPtr<Linux::ITimerHandler>> kept;
		for (auto& entry : timers)
			kept.emplace_back (entry.first);
		return kept;
	}

private:
	const bool refuseTimers;
	std::mutex mutex;
	std::map<Linux::ITimerHandler*, Linux::TimerInterval> timers;
	int registerCalls {0};
};

} // namespace SdkTest
