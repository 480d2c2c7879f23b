#include "public.sdk/source/main/pluginfactory.h"

#include "sdkext/runloops.h"

#include <cstring>

namespace Steinberg {

IPluginFactory* gPluginFactory = nullptr;

CPluginFactory::CPluginFactory (const PFactoryInfo& info) : factoryInfo (info) {}

CPluginFactory::~CPluginFactory ()
{
	if (gPluginFactory == this)
		gPluginFactory = nullptr;
	setHostContext (nullptr);
}

//------------------------------------------------------------------------
bool CPluginFactory::registerClass (const PClassInfo* info, CreateFunction createFunc, void* context)
{
	if (!info || !createFunc)
		return false;
	// Widen to the version 2 form; the extra fields stay empty.
	PClassInfo2 info2;
	std::memcpy (info2.cid, info->cid, sizeof (TUID));
	info2.cardinality = info->cardinality;
	std::memcpy (info2.category, info->category, sizeof (info->category));
	std::memcpy (info2.name, info->name, sizeof (info->name));
	return registerClass (&info2, createFunc, context);
}

bool CPluginFactory::registerClass (const PClassInfo2* info, CreateFunction createFunc, void* context)
{
	if (!info || !createFunc)
		return false;
	ClassEntry entry {*info, {}, false, createFunc, context};
	entry.unicode.fromAscii (*info);
	classes.push_back (entry);
	return true;
}

bool CPluginFactory::registerClass (const PClassInfoW* info, CreateFunction createFunc, void* context)
{
	if (!info || !createFunc)
		return false;
	classes.push_back ({{}, *info, true, createFunc, context});
	return true;
}

bool CPluginFactory::isClassRegistered (const FUID& cid)
{
	for (const auto& entry : classes)
		if (cid == FUID::fromTUID (entry.unicode.cid))
			return true;
	return false;
}

void CPluginFactory::removeAllClasses () { classes.clear (); }

const CPluginFactory::ClassEntry* CPluginFactory::entryAt (int32 index) const
{
	if (index < 0 || index >= static_cast<int32> (classes.size ()))
		return nullptr;
	return &classes[static_cast<size_t> (index)];
}

//------------------------------------------------------------------------
tresult PLUGIN_API CPluginFactory::getFactoryInfo (PFactoryInfo* info)
{
	if (!info)
		return kInvalidArgument;
	*info = factoryInfo;
	return kResultOk;
}

int32 PLUGIN_API CPluginFactory::countClasses () { return static_cast<int32> (classes.size ()); }

// The ASCII forms cannot describe a Unicode registration: they answer a cleared info and
// kResultFalse. The Unicode form answers every class.
tresult PLUGIN_API CPluginFactory::getClassInfo (int32 index, PClassInfo* info)
{
	const auto* entry = entryAt (index);
	if (!entry || !info)
		return kInvalidArgument;
	if (entry->isUnicode)
	{
		*info = PClassInfo ();
		return kResultFalse;
	}
	const PClassInfo2& ascii = entry->ascii;
	std::memcpy (info->cid, ascii.cid, sizeof (TUID));
	info->cardinality = ascii.cardinality;
	std::memcpy (info->category, ascii.category, sizeof (info->category));
	std::memcpy (info->name, ascii.name, sizeof (info->name));
	return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfo2 (int32 index, PClassInfo2* info)
{
	const auto* entry = entryAt (index);
	if (!entry || !info)
		return kInvalidArgument;
	if (entry->isUnicode)
	{
		*info = PClassInfo2 ();
		return kResultFalse;
	}
	*info = entry->ascii;
	return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfoUnicode (int32 index, PClassInfoW* info)
{
	const auto* entry = entryAt (index);
	if (!entry || !info)
		return kInvalidArgument;
	*info = entry->unicode;
	return kResultOk;
}

tresult PLUGIN_API CPluginFactory::createInstance (FIDString cid, FIDString iid, void** obj)
{
	if (!obj)
		return kInvalidArgument;
	*obj = nullptr;
	if (!cid || !iid)
		return kInvalidArgument;

	for (const auto& entry : classes)
	{
		if (std::memcmp (entry.unicode.cid, cid, sizeof (TUID)) != 0)
			continue;
		FUnknown* instance = entry.createFunc (entry.context);
		if (!instance)
			break;
		// queryInterface adds the caller's reference; the creation reference is dropped.
		const tresult result = instance->queryInterface (iid, obj);
		instance->release ();
		if (result == kResultOk)
			return kResultOk;
		break;
	}
	*obj = nullptr;
	return kNoInterface;
}

tresult PLUGIN_API CPluginFactory::setHostContext (FUnknown* context)
{
	if (context == hostContext)
		return kResultOk;
	// Our layer: a context with a run loop serves the module's timers. The new one is offered
	// first, so they move straight from the old run loop to the new one.
	if (context)
	{
		context->addRef ();
		SdkExt::offerRunLoop (context);
	}
	FUnknown* previous = hostContext;
	hostContext = context;
	if (previous)
	{
		SdkExt::withdrawRunLoop (previous);
		previous->release ();
	}
	return kResultOk;
}

//------------------------------------------------------------------------
tresult PLUGIN_API CPluginFactory::queryInterface (const TUID iid, void** obj)
{
	if (!obj)
		return kInvalidArgument;
	if (FUnknownPrivate::iidEqual (iid, IPluginFactory::iid) ||
	    FUnknownPrivate::iidEqual (iid, IPluginFactory2::iid) ||
	    FUnknownPrivate::iidEqual (iid, IPluginFactory3::iid) ||
	    FUnknownPrivate::iidEqual (iid, FUnknown::iid))
	{
		addRef ();
		*obj = static_cast<IPluginFactory3*> (this); // one pointer serves the whole chain
		return kResultOk;
	}
	*obj = nullptr;
	return kNoInterface;
}

uint32 PLUGIN_API CPluginFactory::addRef () { return ++refCount; }

uint32 PLUGIN_API CPluginFactory::release ()
{
	const uint32 remaining = --refCount;
	if (remaining == 0)
		delete this;
	return remaining;
}

} // namespace Steinberg
