// A Linux::IEventHandler and ITimerHandler that forwards to a function until it is detached.
// Reference counted, since a host may keep it a little longer than we do.
#pragma once

#include "pluginterfaces/gui/iplugview.h"

#include <atomic>
#include <functional>

namespace VSTGUI {
namespace X11 {

class Handler : public Steinberg::Linux::IEventHandler, public Steinberg::Linux::ITimerHandler
{
public:
	explicit Handler (std::function<void ()> callback) : callback (std::move (callback)) {}

	// No calls after this; then release () our reference.
	void detach () { callback = nullptr; }

	void PLUGIN_API onFDIsSet (Steinberg::Linux::FileDescriptor) override { call (); }
	void PLUGIN_API onTimer () override { call (); }

	Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override
	{
		using namespace Steinberg;
		if (FUnknownPrivate::iidEqual (iid, FUnknown::iid) ||
		    FUnknownPrivate::iidEqual (iid, Linux::IEventHandler::iid))
			*obj = static_cast<Linux::IEventHandler*> (this);
		else if (FUnknownPrivate::iidEqual (iid, Linux::ITimerHandler::iid))
			*obj = static_cast<Linux::ITimerHandler*> (this);
		else
		{
			*obj = nullptr;
			return kNoInterface;
		}
		addRef ();
		return kResultOk;
	}
	Steinberg::uint32 PLUGIN_API addRef () override { return ++refCount; }
	Steinberg::uint32 PLUGIN_API release () override
	{
		auto n = --refCount;
		if (n == 0)
			delete this;
		return n;
	}

private:
	virtual ~Handler () = default;
	// The callback may detach or drop us while it runs.
	void call ()
	{
		addRef ();
		if (auto cb = callback)
			cb ();
		release ();
	}

	std::function<void ()> callback;
	std::atomic<Steinberg::uint32> refCount {1};
};

} // namespace X11
} // namespace VSTGUI
