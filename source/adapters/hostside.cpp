#include "adapters/hostside.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {

SdkExt::IdleRunLoop& idleRunLoop ()
{
	static SdkExt::IdleRunLoop runLoop;
	return runLoop;
}

tresult PLUGIN_API AdapterAttributeList::setInt (AttrID aid, int64 value)
{
	if (aid)
		emptyBinaries.erase (aid);
	return HostAttributeList::setInt (aid, value);
}

tresult PLUGIN_API AdapterAttributeList::setFloat (AttrID aid, double value)
{
	if (aid)
		emptyBinaries.erase (aid);
	return HostAttributeList::setFloat (aid, value);
}

tresult PLUGIN_API AdapterAttributeList::setString (AttrID aid, const TChar* string)
{
	if (aid)
		emptyBinaries.erase (aid);
	return HostAttributeList::setString (aid, string);
}

tresult PLUGIN_API AdapterAttributeList::setBinary (AttrID aid, const void* data, uint32 sizeInBytes)
{
	if (!aid)
		return kInvalidArgument;
	if (sizeInBytes > 0)
	{
		emptyBinaries.erase (aid);
		return HostAttributeList::setBinary (aid, data, sizeInBytes);
	}
	removeAttrID (aid);
	emptyBinaries.insert (aid);
	return kResultTrue;
}

tresult PLUGIN_API AdapterAttributeList::getBinary (AttrID aid, const void*& data, uint32& sizeInBytes)
{
	if (aid && emptyBinaries.count (aid) > 0)
	{
		static const char nothing = 0;
		data = &nothing;
		sizeInBytes = 0;
		return kResultTrue;
	}
	return HostAttributeList::getBinary (aid, data, sizeInBytes);
}

IAttributeList* PLUGIN_API AdapterMessage::getAttributes ()
{
	if (!attributeList)
		attributeList = new AdapterAttributeList;
	return attributeList;
}

tresult PLUGIN_API AdapterHostContext::createInstance (TUID cid, TUID iid, void** obj)
{
	if (!obj)
		return kInvalidArgument;
	const FUID classId = FUID::fromTUID (cid);
	const FUID interfaceId = FUID::fromTUID (iid);
	if (classId == IMessage::iid && interfaceId == IMessage::iid)
	{
		*obj = static_cast<IMessage*> (new AdapterMessage);
		return kResultTrue;
	}
	if (classId == IAttributeList::iid && interfaceId == IAttributeList::iid)
	{
		*obj = static_cast<IAttributeList*> (new AdapterAttributeList);
		return kResultTrue;
	}
	return HostApplication::createInstance (cid, iid, obj);
}

tresult PLUGIN_API AdapterHostContext::queryInterface (const TUID iid, void** obj)
{
	if (FUnknownPrivate::iidEqual (iid, Linux::IRunLoop::iid))
		return idleRunLoop ().queryInterface (iid, obj);
	return HostApplication::queryInterface (iid, obj);
}

void BlockParameterChanges::add (ParamID id, ParamValue value)
{
	if (count >= static_cast<int32> (queues.size ()))
		return;
	queues[static_cast<size_t> (count)].id = id;
	queues[static_cast<size_t> (count)].value = value;
	++count;
}

IParamValueQueue* PLUGIN_API BlockParameterChanges::getParameterData (int32 index)
{
	return index >= 0 && index < count ? &queues[static_cast<size_t> (index)] : nullptr;
}

IParamValueQueue* PLUGIN_API BlockParameterChanges::addParameterData (const ParamID&, int32& index)
{
	index = -1;
	return nullptr;
}

tresult PLUGIN_API BlockParameterChanges::queryInterface (const TUID iid, void** obj)
{
	QUERY_INTERFACE (iid, obj, FUnknown::iid, IParameterChanges)
	QUERY_INTERFACE (iid, obj, IParameterChanges::iid, IParameterChanges)
	*obj = nullptr;
	return kNoInterface;
}

tresult PLUGIN_API BlockParameterChanges::Queue::getPoint (int32 index, int32& sampleOffset,
                                                           ParamValue& point)
{
	if (index != 0)
		return kResultFalse;
	sampleOffset = 0;
	point = value;
	return kResultTrue;
}

tresult PLUGIN_API BlockParameterChanges::Queue::queryInterface (const TUID iid, void** obj)
{
	QUERY_INTERFACE (iid, obj, FUnknown::iid, IParamValueQueue)
	QUERY_INTERFACE (iid, obj, IParamValueQueue::iid, IParamValueQueue)
	*obj = nullptr;
	return kNoInterface;
}

std::string toUtf8 (const char16* text)
{
	std::string utf8;
	for (size_t i = 0; text && text[i]; ++i)
	{
		uint32 code = text[i];
		if (code >= 0xD800 && code < 0xDC00 && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
			code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
		if (code < 0x80)
			utf8 += static_cast<char> (code);
		else if (code < 0x800)
			utf8 += {static_cast<char> (0xC0 | code >> 6), static_cast<char> (0x80 | (code & 0x3F))};
		else if (code < 0x10000)
			utf8 += {static_cast<char> (0xE0 | code >> 12), static_cast<char> (0x80 | (code >> 6 & 0x3F)),
			         static_cast<char> (0x80 | (code & 0x3F))};
		else
			utf8 += {static_cast<char> (0xF0 | code >> 18), static_cast<char> (0x80 | (code >> 12 & 0x3F)),
			         static_cast<char> (0x80 | (code >> 6 & 0x3F)), static_cast<char> (0x80 | (code & 0x3F))};
	}
	return utf8;
}

void copyText (const std::string& text, void* buffer, size_t size)
{
	if (!buffer || size == 0)
		return;
	size_t length = std::min (text.size (), size - 1);
	// Never end inside a multi-byte character.
	while (length > 0 && length < text.size () && (static_cast<unsigned char> (text[length]) & 0xC0) == 0x80)
		--length;
	auto* out = static_cast<char*> (buffer);
	text.copy (out, length);
	out[length] = 0;
}

} // namespace Vst
} // namespace Steinberg
