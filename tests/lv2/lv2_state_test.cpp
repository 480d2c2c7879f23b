// The LV2 state: the processor's stored record as an atom:Chunk, the same bytes the VST 3
// processor saves for the same values; a record the plug-in cannot read changes nothing.
#include "lv2_test_host.h"

#include "parameterids.h"
#include "processor/chopwright.h"

#include "hosting/audio_buffers.h"
#include "hosting/parameter_changes.h"

#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// What a host keeps of one saved property.
struct Stored
{
	LV2_URID key = 0, type = 0;
	uint32_t flags = 0;
	std::vector<uint8_t> value;
	int stores = 0;
};

LV2_State_Status store (LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type,
                        uint32_t flags)
{
	auto* stored = static_cast<Stored*> (handle);
	stored->key = key;
	stored->type = type;
	stored->flags = flags;
	stored->value.assign (static_cast<const uint8_t*> (value), static_cast<const uint8_t*> (value) + size);
	++stored->stores;
	return LV2_STATE_SUCCESS;
}

const void* retrieve (LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags)
{
	auto* stored = static_cast<Stored*> (handle);
	if (key != stored->key)
		return nullptr;
	*size = stored->value.size ();
	*type = stored->type;
	*flags = stored->flags;
	return stored->value.data ();
}

const LV2_State_Interface* stateOf (const lv2test::Instance& instance)
{
	return static_cast<const LV2_State_Interface*> (
	    instance.descriptor->extension_data (LV2_STATE__interface));
}

Stored save (lv2test::Instance& instance)
{
	Stored stored;
	EXPECT_EQ (stateOf (instance)->save (instance.handle, store, &stored, 0, nullptr), LV2_STATE_SUCCESS);
	EXPECT_EQ (stored.stores, 1);
	return stored;
}

// The VST 3 processor's saved record after a host sent these normalised values.
std::vector<uint8_t> vst3Record (double breakValue, double sliceSize, double gateSize, double bypass)
{
	IPtr<Chopwright> processor = owned (new Chopwright);
	EXPECT_EQ (processor->initialize (nullptr), kResultOk);
	hosting::ParameterChanges changes;
	changes.addPoint (kBreakId, 0, breakValue);
	changes.addPoint (kSliceSizeId, 0, sliceSize);
	changes.addPoint (kGateSizeId, 0, gateSize);
	changes.addPoint (kBypassId, 0, bypass);
	ProcessData data;
	data.inputParameterChanges = &changes;
	EXPECT_EQ (processor->process (data), kResultOk);
	auto stream = owned (new MemoryStream);
	EXPECT_EQ (processor->getState (stream), kResultOk);
	processor->terminate ();
	const auto* bytes = reinterpret_cast<const uint8_t*> (stream->getData ());
	return {bytes, bytes + stream->getSize ()};
}

} // namespace

TEST (Lv2State, SavesTheVst3RecordAndRestoresIt)
{
	lv2test::Instance fresh (48000.0);
	ASSERT_NE (fresh.handle, nullptr);
	ASSERT_NE (stateOf (fresh), nullptr);
	EXPECT_EQ (save (fresh).value, vst3Record (0.0, 0.5, 1.0, 0.0)) << "defaults";

	lv2test::Instance source (48000.0);
	source.breakOn = 1.0f;
	source.sliceSize = 2.0f;
	source.gateSize = 0.3f;
	source.enabled = 0.0f;
	source.run (16);
	const Stored saved = save (source);
	EXPECT_EQ (saved.key, source.urids (chopwright::lv2::kStateUri));
	EXPECT_EQ (saved.type, source.urids (LV2_ATOM__Chunk));
	EXPECT_EQ (saved.flags, static_cast<uint32_t> (LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE));
	EXPECT_EQ (saved.value, vst3Record (1.0, 1.0, 0.3f, 1.0));

	// Into a fresh instance (the same URIDs: one host), which then saves the same record.
	lv2test::Instance target (48000.0);
	Stored toRestore = saved;
	EXPECT_EQ (stateOf (target)->restore (target.handle, retrieve, &toRestore, 0, nullptr),
	           LV2_STATE_SUCCESS);
	EXPECT_EQ (save (target).value, saved.value);
}

TEST (Lv2State, RefusesRecordsItCannotRead)
{
	lv2test::Instance instance (48000.0);
	const Stored before = save (instance);
	Stored shorter = before, otherVersion = before, otherType = before, missing = before;
	shorter.value.pop_back ();
	otherVersion.value[0] = 2;
	otherType.type = instance.urids (LV2_ATOM__String);
	missing.key = instance.urids (LV2_ATOM__Chunk);
	otherVersion.value[8 + 3] = 0x3f; // a Break value that would change the record
	for (Stored* bad : {&shorter, &otherVersion, &otherType, &missing})
	{
		EXPECT_NE (stateOf (instance)->restore (instance.handle, retrieve, bad, 0, nullptr),
		           LV2_STATE_SUCCESS);
		EXPECT_EQ (save (instance).value, before.value) << "a refused record changes nothing";
	}
}
