#pragma once

// A minimal LV2 host for in-process tests: a URID map, and one instance of the plug-in taken
// from lv2_descriptor with its ports connected to buffers of its own.
#include "lv2/lv2contract.h"
#include "urid_map.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

extern "C" const LV2_Descriptor* lv2_descriptor (uint32_t index);

namespace lv2test {

// One time:Position as a host forges it.
struct PositionEvent
{
	uint32_t frame = 0;
	double beat = 0.0;
	double beatsPerMinute = 120.0;
	float speed = 1.0f;
	// When a number: the position as time:bar and time:barBeat instead of time:beat.
	double bar = NAN;
	float barBeat = 0.0f;
	float beatsPerBar = 4.0f;
	int32_t beatUnit = 4;
};

class Instance
{
public:
	static constexpr uint32_t kMaxFrames = 8192;

	explicit Instance (double rate)
	{
		descriptor = lv2_descriptor (0);
		const LV2_Feature* features[] = {&urids.feature, nullptr};
		handle = descriptor->instantiate (descriptor, rate, "/nowhere/", features);
		if (!handle)
			return;
		for (auto& channel : audio)
			channel.assign (kMaxFrames, 0.0f);
		const uint32_t audioPorts[] = {chopwright::lv2::kInLeft, chopwright::lv2::kInRight,
		                               chopwright::lv2::kOutLeft, chopwright::lv2::kOutRight};
		for (int i = 0; i < 4; ++i)
			descriptor->connect_port (handle, audioPorts[i], audio[i].data ());
		descriptor->connect_port (handle, chopwright::lv2::kBreak, &breakOn);
		descriptor->connect_port (handle, chopwright::lv2::kSliceSize, &sliceSize);
		descriptor->connect_port (handle, chopwright::lv2::kGateSize, &gateSize);
		descriptor->connect_port (handle, chopwright::lv2::kEnabled, &enabled);
		descriptor->connect_port (handle, chopwright::lv2::kControl, control.data ());
		descriptor->connect_port (handle, chopwright::lv2::kNotify, notify.data ());
		lv2_atom_forge_init (&forge, &urids.map);
		descriptor->activate (handle);
		clearEvents ();
	}
	~Instance ()
	{
		if (handle)
		{
			descriptor->deactivate (handle);
			descriptor->cleanup (handle);
		}
	}

	float* in (int c) { return audio[c].data (); }
	float* out (int c) { return audio[2 + c].data (); }

	void clearEvents ()
	{
		lv2_atom_forge_set_buffer (&forge, reinterpret_cast<uint8_t*> (control.data ()),
		                           control.size () * sizeof (uint64_t));
		lv2_atom_forge_sequence_head (&forge, &sequence, 0);
	}
	void addPosition (const PositionEvent& p)
	{
		LV2_Atom_Forge_Frame object;
		lv2_atom_forge_frame_time (&forge, p.frame);
		lv2_atom_forge_object (&forge, &object, 0, urids (LV2_TIME__Position));
		lv2_atom_forge_key (&forge, urids (LV2_TIME__speed));
		lv2_atom_forge_float (&forge, p.speed);
		if (std::isnan (p.bar))
		{
			lv2_atom_forge_key (&forge, urids (LV2_TIME__beat));
			lv2_atom_forge_double (&forge, p.beat);
		}
		else
		{
			lv2_atom_forge_key (&forge, urids (LV2_TIME__bar));
			lv2_atom_forge_long (&forge, static_cast<int64_t> (p.bar));
			lv2_atom_forge_key (&forge, urids (LV2_TIME__barBeat));
			lv2_atom_forge_float (&forge, p.barBeat);
		}
		lv2_atom_forge_key (&forge, urids (LV2_TIME__beatUnit));
		lv2_atom_forge_int (&forge, p.beatUnit);
		lv2_atom_forge_key (&forge, urids (LV2_TIME__beatsPerBar));
		lv2_atom_forge_float (&forge, p.beatsPerBar);
		lv2_atom_forge_key (&forge, urids (LV2_TIME__beatsPerMinute));
		lv2_atom_forge_double (&forge, p.beatsPerMinute);
		lv2_atom_forge_pop (&forge, &object);
	}

	// One run; the events added since the last run go with it. The level bytes the plug-in
	// sent on its notify port are appended to scope.
	void run (uint32_t frames)
	{
		auto* notifyAtom = reinterpret_cast<LV2_Atom*> (notify.data ());
		notifyAtom->type = urids (LV2_ATOM__Chunk);
		notifyAtom->size = static_cast<uint32_t> (notify.size () * sizeof (uint64_t) - sizeof (LV2_Atom));
		if (duringRun)
			*duringRun = true;
		descriptor->run (handle, frames);
		if (duringRun)
			*duringRun = false;
		clearEvents ();
		readScope ();
	}

	UridMap urids;
	const LV2_Descriptor* descriptor = nullptr;
	LV2_Handle handle = nullptr;
	float breakOn = 0.0f, sliceSize = 1.0f, gateSize = 1.0f, enabled = 1.0f;
	std::vector<int8_t> scope;
	// Set while the plug-in runs, when given (the allocation counter's flag).
	bool* duringRun = nullptr;

private:
	// Checks the layout lv2contract.h gives for the scope event while reading it.
	void readScope ()
	{
		const auto* sequence = reinterpret_cast<const LV2_Atom_Sequence*> (notify.data ());
		ASSERT_EQ (sequence->atom.type, urids (LV2_ATOM__Sequence));
		int events = 0;
		LV2_ATOM_SEQUENCE_FOREACH (sequence, event)
		{
			ASSERT_EQ (++events, 1) << "one scope event per run";
			ASSERT_EQ (event->time.frames, 0);
			ASSERT_EQ (event->body.type, urids (LV2_ATOM__Object));
			const auto* object = reinterpret_cast<const LV2_Atom_Object*> (&event->body);
			ASSERT_EQ (object->body.otype, urids (chopwright::lv2::kScopeUri));
			int properties = 0;
			LV2_ATOM_OBJECT_FOREACH (object, property)
			{
				ASSERT_EQ (++properties, 1);
				ASSERT_EQ (property->key, urids (chopwright::lv2::kScopeUri));
				ASSERT_EQ (property->value.type, urids (LV2_ATOM__Chunk));
				const auto* bytes = static_cast<const int8_t*> (LV2_ATOM_BODY_CONST (&property->value));
				scope.insert (scope.end (), bytes, bytes + property->value.size);
			}
		}
	}

	std::vector<float> audio[4];
	std::vector<uint64_t> control = std::vector<uint64_t> (4096);
	std::vector<uint64_t> notify = std::vector<uint64_t> (chopwright::lv2::kNotifyMinimumSize / 8);
	LV2_Atom_Forge forge;
	LV2_Atom_Forge_Frame sequence;
};

} // namespace lv2test
