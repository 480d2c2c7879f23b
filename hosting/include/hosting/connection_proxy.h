#pragma once

#include "pluginterfaces/base/smartpointer.h"
#include "pluginterfaces/vst/ivstmessage.h"

#include <atomic>

namespace hosting {

// Host-side go-between for the component and controller: each side is connected to a proxy
// rather than to the other side directly, and the proxy forwards notify() to the other side.
// Reference counted; create with Steinberg::owned(new ConnectionProxy(side)).
class ConnectionProxy : public Steinberg::Vst::IConnectionPoint
{
public:
	explicit ConnectionProxy (Steinberg::Vst::IConnectionPoint* source);
	virtual ~ConnectionProxy () = default;

	// connect(destination) connects the source to this proxy and remembers the destination.
	Steinberg::tresult PLUGIN_API connect (Steinberg::Vst::IConnectionPoint* destination) override;
	Steinberg::tresult PLUGIN_API disconnect (Steinberg::Vst::IConnectionPoint* destination) override;
	Steinberg::tresult PLUGIN_API notify (Steinberg::Vst::IMessage* message) override;

	// Disconnects from whatever destination is connected (host teardown).
	void close ();
	bool isConnected () const { return destination_ != nullptr; }
	int forwardedMessages () const { return forwarded_.load (); }

	Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;
	Steinberg::uint32 PLUGIN_API addRef () override;
	Steinberg::uint32 PLUGIN_API release () override;

private:
	Steinberg::IPtr<Steinberg::Vst::IConnectionPoint> source_;
	Steinberg::IPtr<Steinberg::Vst::IConnectionPoint> destination_;
	std::atomic<int> forwarded_ {0};
	std::atomic<Steinberg::uint32> references_ {1};
};

} // namespace hosting
