#pragma once

#include "base/source/fobject.h"
#include "pluginterfaces/vst/ivstmessage.h"

// A message with no attribute list, and optionally no id, as a careless host may send one.
class BareMessage : public Steinberg::FObject, public Steinberg::Vst::IMessage
{
public:
	explicit BareMessage (Steinberg::FIDString id) : id (id) {}

	Steinberg::FIDString PLUGIN_API getMessageID () override { return id; }
	void PLUGIN_API setMessageID (Steinberg::FIDString newId) override { id = newId; }
	Steinberg::Vst::IAttributeList* PLUGIN_API getAttributes () override { return nullptr; }

	OBJ_METHODS (BareMessage, FObject)
	REFCOUNT_METHODS (FObject)
	DEFINE_INTERFACES
		DEF_INTERFACE (Steinberg::Vst::IMessage)
	END_DEFINE_INTERFACES (FObject)

private:
	Steinberg::FIDString id;
};
