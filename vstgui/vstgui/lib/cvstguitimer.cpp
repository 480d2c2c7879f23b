#include "cvstguitimer.h"
#include "platform/linux/x11platform.h"

namespace VSTGUI {

IdStringPtr CVSTGUITimer::kMsgTimer = "timer fired";

CVSTGUITimer::CVSTGUITimer (CBaseObject* timerObject, uint32_t fireTime, bool doStart)
    : fireTime (fireTime), timerObject (timerObject)
{
	if (doStart)
		start ();
}

CVSTGUITimer::CVSTGUITimer (const CallbackFunc& callback, uint32_t fireTime, bool doStart)
    : fireTime (fireTime), callbackFunc (callback)
{
	if (doStart)
		start ();
}

CVSTGUITimer::~CVSTGUITimer () noexcept { stop (); }

bool CVSTGUITimer::start ()
{
	if (platformTimer || fireTime == 0)
		return false;
	platformTimer = std::make_unique<X11::Timer> (fireTime, [this] () { fire (); });
	return true;
}

bool CVSTGUITimer::stop ()
{
	if (!platformTimer)
		return false;
	platformTimer.reset ();
	return true;
}

bool CVSTGUITimer::setFireTime (uint32_t newFireTime)
{
	if (newFireTime == fireTime)
		return true;
	fireTime = newFireTime;
	if (platformTimer)
	{
		stop ();
		start ();
	}
	return true;
}

void CVSTGUITimer::fire ()
{
	SharedPointer<CVSTGUITimer> keep (this); // the target may release us
	if (timerObject)
		timerObject->notify (this, kMsgTimer);
	else if (callbackFunc)
		callbackFunc (this);
}

} // namespace VSTGUI
