#pragma once

// What the VST 2 adapter offers the VST 3 classes in place of a VST 3 host: the host context,
// a run loop driven by the VST 2 host's idle calls, parameter changes for one block, and
// text conversion for the host's 8-bit strings.

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "sdkext/idlerunloop.h"

#include <set>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {

// The module's one run loop for VST 2 hosts, which offer none: their idle calls (effEditIdle)
// fire the due timers and serve readable file descriptors (the editor's X11 connection).
SdkExt::IdleRunLoop& idleRunLoop ();

// The SDK's host attribute list loses the buffer it makes for an empty binary attribute, and
// the processor sends one with every empty level message (a stopped or bypassed track, about a
// hundred a second). Empty binaries are kept here as names alone.
class AdapterAttributeList : public HostAttributeList
{
public:
	tresult PLUGIN_API setInt (AttrID aid, int64 value) SMTG_OVERRIDE;
	tresult PLUGIN_API setFloat (AttrID aid, double value) SMTG_OVERRIDE;
	tresult PLUGIN_API setString (AttrID aid, const TChar* string) SMTG_OVERRIDE;
	tresult PLUGIN_API setBinary (AttrID aid, const void* data, uint32 sizeInBytes) SMTG_OVERRIDE;
	tresult PLUGIN_API getBinary (AttrID aid, const void*& data, uint32& sizeInBytes) SMTG_OVERRIDE;

private:
	std::set<std::string> emptyBinaries;
};

// A host message whose attributes are an AdapterAttributeList.
class AdapterMessage : public HostMessage
{
public:
	IAttributeList* PLUGIN_API getAttributes () SMTG_OVERRIDE;
};

// The host context both classes are initialised with: messages and attribute lists (the SDK's
// host classes, with the attribute list above) and the idle run loop. Not reference-counted, as
// the SDK's host application.
class AdapterHostContext : public HostApplication
{
public:
	tresult PLUGIN_API createInstance (TUID cid, TUID iid, void** obj) SMTG_OVERRIDE;
	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) SMTG_OVERRIDE;
};

// Input parameter changes of one block: one value per parameter at the block's start, as a
// VST 2 host's setParameter carries no position. Sized once; filling it never allocates.
class BlockParameterChanges : public IParameterChanges
{
public:
	explicit BlockParameterChanges (int32 capacity) : queues (static_cast<size_t> (capacity)) {}

	void clear () { count = 0; }
	void add (ParamID id, ParamValue value);

	int32 PLUGIN_API getParameterCount () SMTG_OVERRIDE { return count; }
	IParamValueQueue* PLUGIN_API getParameterData (int32 index) SMTG_OVERRIDE;
	// Input only: the plug-in adds nothing.
	IParamValueQueue* PLUGIN_API addParameterData (const ParamID& id, int32& index) SMTG_OVERRIDE;

	// Owned by the adapter: no counting.
	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) SMTG_OVERRIDE;
	uint32 PLUGIN_API addRef () SMTG_OVERRIDE { return 1; }
	uint32 PLUGIN_API release () SMTG_OVERRIDE { return 1; }

private:
	class Queue : public IParamValueQueue
	{
	public:
		ParamID id {0};
		ParamValue value {0.0};

		ParamID PLUGIN_API getParameterId () SMTG_OVERRIDE { return id; }
		int32 PLUGIN_API getPointCount () SMTG_OVERRIDE { return 1; }
		tresult PLUGIN_API getPoint (int32 index, int32& sampleOffset, ParamValue& point) SMTG_OVERRIDE;
		tresult PLUGIN_API addPoint (int32, ParamValue, int32&) SMTG_OVERRIDE { return kResultFalse; }

		tresult PLUGIN_API queryInterface (const TUID iid, void** obj) SMTG_OVERRIDE;
		uint32 PLUGIN_API addRef () SMTG_OVERRIDE { return 1; }
		uint32 PLUGIN_API release () SMTG_OVERRIDE { return 1; }
	};

	std::vector<Queue> queues;
	int32 count {0};
};

// UTF-16 text of the VST 3 interfaces as UTF-8.
std::string toUtf8 (const char16* text);

// Copies `text` into the host's buffer of `size` bytes, terminated, cut at a character boundary.
void copyText (const std::string& text, void* buffer, size_t size);

} // namespace Vst
} // namespace Steinberg
