#include "sdkext/runloops.h"

#include "pluginterfaces/gui/iplugview.h"
#include "public.sdk/source/main/moduleinit.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace Steinberg {
namespace SdkExt {

//------------------------------------------------------------------------
// The offered run loops (in offering order; the first serves) and the clients. Host
// register/unregister calls happen under the mutex; host callbacks into clients never do.
class RunLoopRegistry
{
public:
	bool addClient (RunLoopClient& client)
	{
		std::lock_guard<std::mutex> lock (mutex);
		clients.push_back (&client);
		attach (client, currentRunLoop ());
		return client.registeredOn != nullptr;
	}

	void removeClient (RunLoopClient& client)
	{
		std::lock_guard<std::mutex> lock (mutex);
		auto it = std::find (clients.begin (), clients.end (), &client);
		if (it == clients.end ())
			return;
		clients.erase (it);
		detach (client);
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
			moveClientsTo (offers.front ().runLoop);
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
				moveClientsTo (currentRunLoop ());
		}
		removed.release (); // after unlocking: the host object may go with it
	}

	// At the module's last exit: no host object may be kept beyond ModuleExit.
	void withdrawAll ()
	{
		std::vector<Offer> removed;
		{
			std::lock_guard<std::mutex> lock (mutex);
			for (auto* client : clients)
				detach (*client);
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

	Linux::IRunLoop* currentRunLoop () const { return offers.empty () ? nullptr : offers.front ().runLoop; }

	// Clients already on `runLoop` stay; the others leave their run loop and try this one.
	void moveClientsTo (Linux::IRunLoop* runLoop)
	{
		for (auto* client : clients)
		{
			if (client->registeredOn == runLoop && runLoop)
				continue;
			detach (*client);
			attach (*client, runLoop);
		}
	}

	static void attach (RunLoopClient& client, Linux::IRunLoop* runLoop)
	{
		if (runLoop && client.registerOn (runLoop))
			client.registeredOn = runLoop;
	}

	static void detach (RunLoopClient& client)
	{
		if (client.registeredOn)
			client.unregisterFrom (client.registeredOn);
		client.registeredOn = nullptr;
	}

	std::mutex mutex;
	std::vector<Offer> offers;
	std::vector<RunLoopClient*> clients;
};

namespace {

// Freed only when the library is unloaded or the process ends, like the module's entry state:
// ModuleExit may come from a host's exit handlers after this library's static objects are gone.
RunLoopRegistry* registryInstance = nullptr;

RunLoopRegistry& registry ()
{
	static RunLoopRegistry* const instance = registryInstance = new RunLoopRegistry;
	return *instance;
}

__attribute__ ((destructor)) void freeRunLoopRegistry () { delete registryInstance; }

ModuleTerminator forgetRunLoopsAtExit ([] { registry ().withdrawAll (); });

} // namespace

bool offerRunLoop (FUnknown* provider) { return registry ().offer (provider); }

void withdrawRunLoop (FUnknown* provider) { registry ().withdraw (provider); }

bool addRunLoopClient (RunLoopClient& client) { return registry ().addClient (client); }

void removeRunLoopClient (RunLoopClient& client) { registry ().removeClient (client); }

} // namespace SdkExt
} // namespace Steinberg
