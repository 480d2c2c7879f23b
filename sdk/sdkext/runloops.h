// The module's host run loops (Steinberg::Linux::IRunLoop). Our layer: the SDK has no such thing.
//
// Linux has no global event loop: run loops reach the module by offers (a host context, an
// editor's IPlugFrame). The first offered one still present serves every registration of the
// module (the SDK Timers, the view library's timers and X connections); when it is withdrawn they
// move to the next one, or wait until another is offered. Offers of the same provider are
// counted. No private threads; thread-safe.
#pragma once

#include "pluginterfaces/base/funknown.h"

namespace Steinberg {
namespace Linux {
class IRunLoop;
}
namespace SdkExt {

// Offers `provider`'s run loop if it answers Linux::IRunLoop (a counted reference is kept until
// withdrawn). Returns whether it did.
bool offerRunLoop (FUnknown* provider);

// Withdraws one offer of `provider` (same pointer as offered); the run loop is forgotten with
// the last one. Unknown providers are ignored.
void withdrawRunLoop (FUnknown* provider);

// Something the module keeps registered on its current run loop.
class RunLoopClient
{
public:
	virtual ~RunLoopClient () = default;

	// Registers with / unregisters from a host run loop; false when the run loop refuses, which
	// leaves the client inert until the next run loop takes over. Called with the registry locked,
	// so they must not call back into it.
	virtual bool registerOn (Linux::IRunLoop* runLoop) = 0;
	virtual void unregisterFrom (Linux::IRunLoop* runLoop) = 0;

private:
	friend class RunLoopRegistry;
	Linux::IRunLoop* registeredOn {nullptr}; // guarded by the registry
};

// Adds the client and registers it on the current run loop, if any; returns whether it is
// registered now. Remove it (removeRunLoopClient) before it goes.
bool addRunLoopClient (RunLoopClient& client);

// Unregisters and forgets the client; unknown clients are ignored.
void removeRunLoopClient (RunLoopClient& client);

} // namespace SdkExt
} // namespace Steinberg
