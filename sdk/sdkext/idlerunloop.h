// A Linux::IRunLoop for hosts that offer none but call the plug-in regularly on their
// user-interface thread (a VST 2 host's effEditIdle, an LV2 host's UI idle): each idle () serves
// the readable file descriptors (the editor's X connection) and fires the due timers. Never
// blocks. Used on that one thread only. Our layer: the SDK has no such thing.
#pragma once

#include "pluginterfaces/gui/iplugview.h"

#include <poll.h>

#include <chrono>
#include <vector>

namespace Steinberg {
namespace SdkExt {

class IdleRunLoop : public Linux::IRunLoop
{
public:
	void idle ();

	tresult PLUGIN_API registerEventHandler (Linux::IEventHandler* handler,
	                                         Linux::FileDescriptor fd) SMTG_OVERRIDE;
	tresult PLUGIN_API unregisterEventHandler (Linux::IEventHandler* handler) SMTG_OVERRIDE;
	tresult PLUGIN_API registerTimer (Linux::ITimerHandler* handler,
	                                  Linux::TimerInterval milliseconds) SMTG_OVERRIDE;
	tresult PLUGIN_API unregisterTimer (Linux::ITimerHandler* handler) SMTG_OVERRIDE;

	// Owned by whoever idles it, and outlives its registrations: no counting.
	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) SMTG_OVERRIDE;
	uint32 PLUGIN_API addRef () SMTG_OVERRIDE { return 1; }
	uint32 PLUGIN_API release () SMTG_OVERRIDE { return 1; }

private:
	using Clock = std::chrono::steady_clock;
	struct Timer
	{
		Linux::ITimerHandler* handler; // null once unregistered, dropped after the current idle
		std::chrono::milliseconds interval;
		Clock::time_point due;
	};
	struct Watch
	{
		Linux::IEventHandler* handler; // null once unregistered
		Linux::FileDescriptor fd;
	};
	void dropUnregistered ();

	std::vector<Timer> timers;
	std::vector<Watch> watches;
	std::vector<pollfd> polled;
	bool idling {false};
};

} // namespace SdkExt
} // namespace Steinberg
