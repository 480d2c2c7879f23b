#pragma once

#include "vstguibase.h"

#include <functional>
#include <memory>

namespace VSTGUI {

namespace X11 {
class Timer;
}

// Calls its target's notify (this, kMsgTimer), or a function, every fireTime milliseconds while
// running, on the library's run loop (X11::RunLoop) of the moment it starts; started while there
// is none, it runs but never fires.
class CVSTGUITimer : public CBaseObject
{
public:
	using CallbackFunc = std::function<void (CVSTGUITimer*)>;

	CVSTGUITimer (CBaseObject* timerObject, uint32_t fireTime = 100, bool doStart = false);
	CVSTGUITimer (const CallbackFunc& callback, uint32_t fireTime = 100, bool doStart = true);
	~CVSTGUITimer () noexcept override;

	virtual bool start ();
	virtual bool stop ();
	bool isRunning () const { return platformTimer != nullptr; }
	// Restarts a running timer with the new period.
	virtual bool setFireTime (uint32_t newFireTime);
	uint32_t getFireTime () const { return fireTime; }

	// The message a target receives.
	static IdStringPtr kMsgTimer;

	// Called by the platform timer.
	void fire ();

private:
	uint32_t fireTime;
	CBaseObject* timerObject {nullptr};
	CallbackFunc callbackFunc;
	std::unique_ptr<X11::Timer> platformTimer;
};

} // namespace VSTGUI
