#pragma once

#include "pluginterfaces/gui/iplugview.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <string>
#include <vector>

namespace hosting {

// Linux::IRunLoop for tests: single-threaded, time only moves when advance() is called.
// Handlers are not retained: a plug-in keeps them alive until it unregisters them, so a
// registration left behind after teardown shows up in timerCount() instead of crashing.
class RunLoop : public Steinberg::Linux::IRunLoop
{
public:
	using TimerInterval = Steinberg::Linux::TimerInterval;
	using FileDescriptor = Steinberg::Linux::FileDescriptor;

	// With refuse = true, registerTimer fails like a host without timer support.
	void refuseTimers (bool refuse) { refuseTimers_ = refuse; }

	// Moves the clock forward; every timer fires once per interval that elapses, in time order.
	void advance (TimerInterval milliseconds);
	// Calls the event handlers registered for fd, as if it had become readable.
	void signal (FileDescriptor fd);

	TimerInterval now () const { return now_; }
	size_t timerCount () const;
	size_t eventHandlerCount () const { return eventHandlers_.size (); }
	bool hasTimer (Steinberg::Linux::ITimerHandler* handler) const;

	Steinberg::tresult PLUGIN_API registerEventHandler (Steinberg::Linux::IEventHandler* handler,
	                                                    FileDescriptor fd) override;
	Steinberg::tresult PLUGIN_API unregisterEventHandler (Steinberg::Linux::IEventHandler* handler) override;
	Steinberg::tresult PLUGIN_API registerTimer (Steinberg::Linux::ITimerHandler* handler,
	                                             TimerInterval milliseconds) override;
	Steinberg::tresult PLUGIN_API unregisterTimer (Steinberg::Linux::ITimerHandler* handler) override;

	Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;
	// Owned by the host (usually on the stack): no reference counting.
	Steinberg::uint32 PLUGIN_API addRef () override { return 1; }
	Steinberg::uint32 PLUGIN_API release () override { return 1; }

private:
	struct Timer
	{
		Steinberg::Linux::ITimerHandler* handler;
		TimerInterval interval;
		TimerInterval due;
		bool active;
	};
	struct EventHandler
	{
		Steinberg::Linux::IEventHandler* handler;
		FileDescriptor fd;
	};

	std::vector<Timer> timers_;
	std::vector<EventHandler> eventHandlers_;
	TimerInterval now_ = 0;
	bool refuseTimers_ = false;
	int firing_ = 0; // timers are only erased outside of callbacks
};

// The host context handed to initialize(): IHostApplication (with IMessage/IAttributeList
// creation from the SDK's HostApplication), optionally also answering Linux::IRunLoop.
class HostContext : public Steinberg::Vst::HostApplication
{
public:
	explicit HostContext (Steinberg::Linux::IRunLoop* runLoop = nullptr,
	                      std::string name = "Chopwright host");

	void setRunLoop (Steinberg::Linux::IRunLoop* runLoop) { runLoop_ = runLoop; }
	Steinberg::Linux::IRunLoop* runLoop () const { return runLoop_; }

	Steinberg::tresult PLUGIN_API getName (Steinberg::Vst::String128 name) override;
	Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;

private:
	Steinberg::Linux::IRunLoop* runLoop_;
	std::string name_;
};

// IPlugFrame for editor tests: records resize requests and offers the run loop, which is
// where Linux plug-in views look for it.
class PlugFrame : public Steinberg::IPlugFrame
{
public:
	explicit PlugFrame (Steinberg::Linux::IRunLoop* runLoop = nullptr) : runLoop_ (runLoop) {}

	const std::vector<Steinberg::ViewRect>& resizeRequests () const { return resizeRequests_; }

	Steinberg::tresult PLUGIN_API resizeView (Steinberg::IPlugView* view,
	                                          Steinberg::ViewRect* newSize) override;
	Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;
	Steinberg::uint32 PLUGIN_API addRef () override { return 1; }
	Steinberg::uint32 PLUGIN_API release () override { return 1; }

private:
	Steinberg::Linux::IRunLoop* runLoop_;
	std::vector<Steinberg::ViewRect> resizeRequests_;
};

} // namespace hosting
