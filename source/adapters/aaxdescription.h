#pragma once

// What the plug-in hands the AAX adapter: one effect description with its plug-in variants.
// The records follow the adapter's layout; lists end with an entry whose first field is null.

#include "pluginterfaces/base/funknown.h"

#include <cstdint>

namespace chopwright {
namespace aax {

struct AuxOutput
{
	const char* name;
	int32_t channels;
};

struct Meter
{
	const char* name;
	uint32_t id;
	uint32_t orientation;
	uint32_t type;
};

struct MidiPort
{
	const char* name;
	uint32_t channelMask;
};

struct PluginEntry
{
	const char* effectId; // null ends the list
	const char* name;
	uint32_t nativeTypeId;     // four-character code
	uint32_t audioSuiteTypeId; // four-character code
	int32_t inputChannels;
	int32_t outputChannels;
	int32_t sideChainInputChannels;
	MidiPort* midiPorts;   // empty list: none
	AuxOutput* auxOutputs; // null: none
	Meter* meters;         // empty list: none
	uint32_t latency;      // samples
};

struct EffectDescription
{
	const char* manufacturer;
	const char* product;
	uint32_t manufacturerId; // four-character code
	uint32_t productId;      // four-character code
	const char* category;    // the adapter looks for words it knows ("Delay", "EQ", ...)
	Steinberg::TUID processorClass;
	uint32_t version;
	const char* pageTableFile; // null: none
	PluginEntry* plugins;
};

} // namespace aax
} // namespace chopwright

// The AAX adapter's hook: fills in the processor's class identifier and returns the record.
// Called whenever the adapter describes the effect or creates an instance.
chopwright::aax::EffectDescription* AAXWrapper_GetDescription ();
