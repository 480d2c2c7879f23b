// IConnectionPoint::notify on both sides with whatever a host or a foreign plug-in might
// forward: null messages, null or odd ids, null attribute lists, attributes of any kind under
// the names the plug-in reads, binary data of 0, 16,383, 16,384, 16,385 or 70,000 bytes or
// none, strings without a terminator. No message changes a stored value.
#include "host.h"
#include "scripts.h"

#include "parameterids.h"

#include "pluginterfaces/vst/ivstmessage.h"

#include <algorithm>
#include <map>
#include <string>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

using fuzz::AttributeKind;

struct Attribute
{
	AttributeKind kind = AttributeKind::integer;
	int64 integer = 0;
	double floating = 0.0;
	std::vector<char> bytes; // string (UTF-16 code units) or binary data, exactly its size
	bool nullData = false;
};

// Answers like the SDK's host attribute list: a string is copied up to the caller's buffer
// size, terminated only if the stored string fits with its terminator.
class AttributeList : public IAttributeList
{
public:
	std::map<std::string, Attribute> attributes;

	tresult PLUGIN_API setInt (AttrID, int64) override { return kResultFalse; }
	tresult PLUGIN_API setFloat (AttrID, double) override { return kResultFalse; }
	tresult PLUGIN_API setString (AttrID, const TChar*) override { return kResultFalse; }
	tresult PLUGIN_API setBinary (AttrID, const void*, uint32) override { return kResultFalse; }

	tresult PLUGIN_API getInt (AttrID id, int64& value) override
	{
		const Attribute* a = find (id, AttributeKind::integer);
		if (!a)
			return kResultFalse;
		value = a->integer;
		return kResultTrue;
	}
	tresult PLUGIN_API getFloat (AttrID id, double& value) override
	{
		const Attribute* a = find (id, AttributeKind::floating);
		if (!a)
			return kResultFalse;
		value = a->floating;
		return kResultTrue;
	}
	tresult PLUGIN_API getString (AttrID id, TChar* string, uint32 sizeInBytes) override
	{
		const Attribute* a = find (id, AttributeKind::string);
		if (!a || !string)
			return kResultFalse;
		const size_t count = std::min<size_t> (a->bytes.size (), sizeInBytes);
		if (count > 0)
			std::memcpy (string, a->bytes.data (), count);
		return kResultTrue;
	}
	tresult PLUGIN_API getBinary (AttrID id, const void*& data, uint32& sizeInBytes) override
	{
		const Attribute* a = find (id, AttributeKind::binary);
		if (!a)
			return kResultFalse;
		data = a->nullData ? nullptr : a->bytes.data ();
		sizeInBytes = static_cast<uint32> (a->bytes.size ());
		return kResultTrue;
	}

	// Owned by the message on the stack: no reference counting.
	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override
	{
		QUERY_INTERFACE (iid, obj, FUnknown::iid, IAttributeList)
		QUERY_INTERFACE (iid, obj, IAttributeList::iid, IAttributeList)
		*obj = nullptr;
		return kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return 1; }
	uint32 PLUGIN_API release () override { return 1; }

private:
	const Attribute* find (AttrID id, AttributeKind kind) const
	{
		if (!id)
			return nullptr;
		auto it = attributes.find (id);
		return it != attributes.end () && it->second.kind == kind ? &it->second : nullptr;
	}
};

class Message : public IMessage
{
public:
	bool hasId = false;
	std::string id;
	bool hasList = false;
	AttributeList list;

	FIDString PLUGIN_API getMessageID () override { return hasId ? id.c_str () : nullptr; }
	void PLUGIN_API setMessageID (FIDString) override {}
	IAttributeList* PLUGIN_API getAttributes () override { return hasList ? &list : nullptr; }

	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override
	{
		QUERY_INTERFACE (iid, obj, FUnknown::iid, IMessage)
		QUERY_INTERFACE (iid, obj, IMessage::iid, IMessage)
		*obj = nullptr;
		return kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return 1; }
	uint32 PLUGIN_API release () override { return 1; }
};

// A name the plug-in reads, or up to `limit` raw bytes.
std::string nameFor (fuzz::Reader& in, uint8_t selector, const char* const* known, uint8_t knownCount,
                     uint8_t limit)
{
	if (selector < knownCount)
		return known[selector];
	const std::vector<char> raw = in.bytes (selector % limit);
	return std::string (raw.begin (), std::find (raw.begin (), raw.end (), '\0'));
}

Attribute attributeFor (fuzz::Reader& in)
{
	Attribute a;
	a.kind = static_cast<AttributeKind> (in.byte () % static_cast<uint8_t> (AttributeKind::count));
	switch (a.kind)
	{
		case AttributeKind::integer:
			a.integer = in.raw<int64> ();
			break;
		case AttributeKind::floating:
			a.floating = in.value ();
			break;
		case AttributeKind::string:
		case AttributeKind::binary:
		{
			const uint32 size = in.dataSize ();
			const uint8_t flags = in.byte ();
			const char fill = static_cast<char> (in.byte ());
			const bool string = a.kind == AttributeKind::string;
			a.bytes.assign (string ? size * sizeof (TChar) : size, fill);
			if (string && !(flags & 2) && size > 0)
				a.bytes[a.bytes.size () - 1] = a.bytes[a.bytes.size () - 2] = 0; // terminated
			a.nullData = (flags & 1) != 0;
			break;
		}
		case AttributeKind::count:
			break;
	}
	return a;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
	static const char* const kIds[] = {"", "TextMessage", "BinaryMessage"};
	static const char* const kNames[] = {"Text", "AudioData"};

	fuzz::Session session;
	FUnknownPtr<IConnectionPoint> processor (session.plugin.component ());
	FUnknownPtr<IConnectionPoint> controller (session.plugin.controller ());
	FUZZ_CHECK (processor && controller);
	const std::vector<char> state = fuzz::stateOf (session.plugin.component ());
	auto values = [&] {
		std::vector<ParamValue> out;
		for (ParamID p = 0; p < kNumParams; ++p)
			out.push_back (session.plugin.controller ()->getParamNormalized (p));
		return out;
	};
	const std::vector<ParamValue> before = values ();

	fuzz::Reader in (data, size);
	while (!in.done ())
	{
		const uint8_t side = in.byte ();
		Message message;
		const uint8_t id = in.byte ();
		message.hasId = id != 0;
		if (message.hasId)
			message.id = nameFor (in, static_cast<uint8_t> (id - 1), kIds, 3, 32);
		const uint8_t count = in.byte ();
		message.hasList = count != 255;
		for (int i = 0; message.hasList && i < count % 5; ++i)
		{
			const std::string name = nameFor (in, in.byte (), kNames, 2, 16);
			message.list.attributes[name] = attributeFor (in);
		}
		IConnectionPoint* target = (side & 1) ? controller.get () : processor.get ();
		target->notify ((side & 2) ? nullptr : &message);
	}

	FUZZ_CHECK (fuzz::stateOf (session.plugin.component ()) == state);
	FUZZ_CHECK (values () == before);
	return 0;
}
