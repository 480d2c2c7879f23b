#include "hosting/connection_proxy.h"

using namespace Steinberg;

namespace hosting {

ConnectionProxy::ConnectionProxy (Vst::IConnectionPoint* source) : source_ (source) {}

tresult PLUGIN_API ConnectionProxy::connect (Vst::IConnectionPoint* destination)
{
	if (!destination)
		return kInvalidArgument;
	if (destination_)
		return kResultFalse;
	destination_ = destination;
	const tresult result = source_->connect (this);
	if (result != kResultOk)
		destination_ = nullptr;
	return result;
}

tresult PLUGIN_API ConnectionProxy::disconnect (Vst::IConnectionPoint* destination)
{
	if (!destination || destination != destination_)
		return kInvalidArgument;
	const tresult result = source_->disconnect (this);
	destination_ = nullptr;
	return result;
}

void ConnectionProxy::close ()
{
	if (destination_)
		disconnect (destination_);
}

tresult PLUGIN_API ConnectionProxy::notify (Vst::IMessage* message)
{
	if (!destination_)
		return kResultFalse;
	++forwarded_;
	return destination_->notify (message);
}

tresult PLUGIN_API ConnectionProxy::queryInterface (const TUID iid, void** obj)
{
	QUERY_INTERFACE (iid, obj, FUnknown::iid, Vst::IConnectionPoint)
	QUERY_INTERFACE (iid, obj, Vst::IConnectionPoint::iid, Vst::IConnectionPoint)
	*obj = nullptr;
	return kNoInterface;
}

uint32 PLUGIN_API ConnectionProxy::addRef () { return ++references_; }

uint32 PLUGIN_API ConnectionProxy::release ()
{
	const uint32 left = --references_;
	if (left == 0)
		delete this;
	return left;
}

} // namespace hosting
