#include "sdkext/vstguirunloop.h"

#include "base/source/fobject.h"
#include "base/source/timer.h"
#include "pluginterfaces/gui/iplugview.h"
#include "sdkext/runloops.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace Steinberg {
namespace SdkExt {
namespace {

//------------------------------------------------------------------------
// A view library timer as an SDK Timer.
struct TimerEntry : ITimerCallback
{
	explicit TimerEntry (VSTGUI::X11::ITimerHandler* handler) : handler (handler) {}
	~TimerEntry () override
	{
		if (timer)
			timer->release ();
	}
	// The handler may unregister itself, deleting this entry: nothing is touched after the call.
	void onTimer (Timer*) override { handler->onTimer (); }

	VSTGUI::X11::ITimerHandler* const handler;
	Timer* timer {nullptr};
};

//------------------------------------------------------------------------
// A view library file descriptor as the host's event handler. Counted: a host may hold it a
// little longer than we do; once disconnected it no longer calls through.
class EventHandler : public FObject, public Linux::IEventHandler, public RunLoopClient
{
public:
	EventHandler (int fd, VSTGUI::X11::IEventHandler* handler) : fd (fd), handler (handler) {}

	VSTGUI::X11::IEventHandler* getHandler () const { return handler; }
	void disconnect () { handler = nullptr; }

	void PLUGIN_API onFDIsSet (Linux::FileDescriptor) override
	{
		IPtr<EventHandler> keepAlive (this); // the handler may unregister itself
		if (handler)
			handler->onEvent ();
	}

	bool registerOn (Linux::IRunLoop* runLoop) override
	{
		return runLoop->registerEventHandler (this, fd) == kResultOk;
	}
	void unregisterFrom (Linux::IRunLoop* runLoop) override { runLoop->unregisterEventHandler (this); }

	OBJ_METHODS (EventHandler, FObject)
	DEF_INTERFACES_1 (Linux::IEventHandler, FObject)
	REFCOUNT_METHODS (FObject)

private:
	const int fd;
	VSTGUI::X11::IEventHandler* handler;
};

//------------------------------------------------------------------------
// Used on the UI thread, as the view library is.
class HostRunLoop final : public VSTGUI::X11::IRunLoop, public VSTGUI::NonAtomicReferenceCounted
{
public:
	~HostRunLoop () noexcept override
	{
		for (auto& entry : events)
			remove (*entry);
	}

	bool registerEventHandler (int fd, VSTGUI::X11::IEventHandler* handler) override
	{
		if (!handler || findEvent (handler) != events.end ())
			return false;
		auto entry = owned (new EventHandler (fd, handler));
		if (!addRunLoopClient (*entry))
		{
			remove (*entry);
			return false;
		}
		events.push_back (entry);
		return true;
	}

	bool unregisterEventHandler (VSTGUI::X11::IEventHandler* handler) override
	{
		auto it = findEvent (handler);
		if (it == events.end ())
			return false;
		remove (**it);
		events.erase (it);
		return true;
	}

	bool registerTimer (uint64_t interval, VSTGUI::X11::ITimerHandler* handler) override
	{
		if (!handler || interval > UINT32_MAX || findTimer (handler) != timers.end ())
			return false;
		auto entry = std::make_unique<TimerEntry> (handler);
		entry->timer = Timer::create (entry.get (), static_cast<uint32> (interval));
		if (!entry->timer)
			return false;
		timers.push_back (std::move (entry));
		return true;
	}

	bool unregisterTimer (VSTGUI::X11::ITimerHandler* handler) override
	{
		auto it = findTimer (handler);
		if (it == timers.end ())
			return false;
		timers.erase (it); // stops and releases the SDK Timer
		return true;
	}

private:
	static void remove (EventHandler& entry)
	{
		removeRunLoopClient (entry);
		entry.disconnect ();
	}

	std::vector<IPtr<EventHandler>>::iterator findEvent (VSTGUI::X11::IEventHandler* handler)
	{
		return std::find_if (events.begin (), events.end (),
		                     [handler] (const auto& e) { return e->getHandler () == handler; });
	}

	std::vector<std::unique_ptr<TimerEntry>>::iterator findTimer (VSTGUI::X11::ITimerHandler* handler)
	{
		return std::find_if (timers.begin (), timers.end (),
		                     [handler] (const auto& t) { return t->handler == handler; });
	}

	std::vector<IPtr<EventHandler>> events;
	std::vector<std::unique_ptr<TimerEntry>> timers;
};

} // namespace

VSTGUI::SharedPointer<VSTGUI::X11::IRunLoop> createVSTGUIRunLoop ()
{
	return VSTGUI::owned<VSTGUI::X11::IRunLoop> (new HostRunLoop);
}

} // namespace SdkExt
} // namespace Steinberg
