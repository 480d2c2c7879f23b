// The LV2 plug-in: the same engine, parameter handling and transport as the VST 3 processor
// (processor/blockrunner.h), behind LV2 ports. lv2contract.h has the URIs and port indices.
//
// Per run: the control ports are read once at its start and applied when they changed (as a
// VST 3 host sends a parameter change); enabled 0 copies the input. A time:Position event
// splits the run at its frame: the frames before it run with the transport as it was, those
// from it on with the new one, exactly as a VST 3 host whose blocks were cut there. Events at
// frame 0 (hosts that send a position with every run) therefore split nothing.
#include "common/storedrecord.h"
#include "lv2/hostclock.h"
#include "lv2/lv2contract.h"
#include "processor/blockrunner.h"
#include "processor/faderamp.h"
#include "processor/scopefeed.h"
#include "processor/sliceengine.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/log/logger.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

namespace chopwright {
namespace lv2 {
namespace {

struct Urids
{
	Urids () = default;
	LV2_URID atomBlank, atomObject, atomSequence, atomChunk, atomFloat, atomDouble, atomInt, atomLong;
	LV2_URID timePosition, timeBar, timeBarBeat, timeBeat, timeBeatUnit, timeBeatsPerBar, timeBeatsPerMinute,
	    timeSpeed;
	LV2_URID scope, state;

	// Without a map every URID stays 0, which no atom carries.
	explicit Urids (const LV2_URID_Map* map) : Urids ()
	{
		if (!map)
			return;
		auto m = [map] (const char* uri) { return map->map (map->handle, uri); };
		atomBlank = m (LV2_ATOM__Blank);
		atomObject = m (LV2_ATOM__Object);
		atomSequence = m (LV2_ATOM__Sequence);
		atomChunk = m (LV2_ATOM__Chunk);
		atomFloat = m (LV2_ATOM__Float);
		atomDouble = m (LV2_ATOM__Double);
		atomInt = m (LV2_ATOM__Int);
		atomLong = m (LV2_ATOM__Long);
		timePosition = m (LV2_TIME__Position);
		timeBar = m (LV2_TIME__bar);
		timeBarBeat = m (LV2_TIME__barBeat);
		timeBeat = m (LV2_TIME__beat);
		timeBeatUnit = m (LV2_TIME__beatUnit);
		timeBeatsPerBar = m (LV2_TIME__beatsPerBar);
		timeBeatsPerMinute = m (LV2_TIME__beatsPerMinute);
		timeSpeed = m (LV2_TIME__speed);
		scope = m (kScopeUri);
		state = m (kStateUri);
	}
};

// The header of the one scope event in the notify sequence (see kScopeUri): the event, the
// object's body, the property with its atom:Chunk header; the level bytes follow.
struct ScopeEventHeader
{
	LV2_Atom_Event event;
	LV2_Atom_Object_Body object;
	LV2_Atom_Property_Body property;
};
static_assert (sizeof (ScopeEventHeader) == 40, "atoms are 64-bit aligned without gaps");

constexpr uint32_t padded (uint32_t size) { return (size + 7u) & ~7u; }

// The level bytes of a run, written straight into the notify buffer behind the event header.
struct ScopeWriter
{
	int8_t* bytes {nullptr};
	uint32_t capacity {0};
	uint32_t count {0};
	bool overflowed {false};

	bool fits (int32_t frames)
	{
		if (count + static_cast<uint32_t> (frames) <= capacity)
			return true;
		overflowed = true;
		return false;
	}
	template <typename Sample>
	void writeBlock (const Sample* left, const Sample* right, int32_t frames)
	{
		if (!fits (frames))
			return;
		for (int32_t i = 0; i < frames; ++i)
			bytes[count++] = ScopeFeed::frameByte (left[i], right[i]);
	}
	void writeStopped (int32_t frames)
	{
		if (!fits (frames))
			return;
		std::memset (bytes + count, 0, static_cast<size_t> (frames));
		count += static_cast<uint32_t> (frames);
	}
};

// Rates far outside anything a host runs at build no ramp tables at all (as in the VST 3 processor).
int32_t tableSampleRate (double rate)
{
	return rate >= 1.0 && rate < kMaxTableRate ? static_cast<int32_t> (rate) : 0;
}

class Plugin
{
public:
	Plugin (double rate, const LV2_URID_Map* map)
	    : urids (map), mapped (map != nullptr), sampleRate (rate), clock (rate)
	{}

	void connect (uint32_t port, void* data)
	{
		switch (port)
		{
			case kInLeft:
			case kInRight:
				in[port - kInLeft] = static_cast<const float*> (data);
				break;
			case kOutLeft:
			case kOutRight:
				out[port - kOutLeft] = static_cast<float*> (data);
				break;
			case kBreak:
				breakPort = static_cast<const float*> (data);
				break;
			case kSliceSize:
				sliceSizePort = static_cast<const float*> (data);
				break;
			case kGateSize:
				gateSizePort = static_cast<const float*> (data);
				break;
			case kEnabled:
				enabledPort = static_cast<const float*> (data);
				break;
			case kControl:
				control = static_cast<const LV2_Atom_Sequence*> (data);
				break;
			case kNotify:
				notify = static_cast<LV2_Atom_Sequence*> (data);
				break;
			default:
				break;
		}
	}

	// Maps the engine's buffers the first time and builds its tables (not real-time).
	void activate () { engine.prepare (tableSampleRate (sampleRate)); }

	void run (uint32_t frames)
	{
		applyControls ();
		beginNotify ();
		if (!in[0] || !in[1] || !out[0] || !out[1])
			return;
		uint32_t done = 0;
		if (control && mapped)
		{
			LV2_ATOM_SEQUENCE_FOREACH (control, event)
			{
				HostClock::Position position;
				if (!readPosition (event->body, position))
					continue;
				const int64_t at = event->time.frames;
				const uint32_t until = at <= done ? done : at >= frames ? frames : static_cast<uint32_t> (at);
				runPart (done, until);
				done = until;
				clock.take (position);
			}
		}
		runPart (done, frames);
		endNotify ();
	}

	// State: the stored record of the values the last run applied, or the last restored one.
	LV2_State_Status save (LV2_State_Store_Function store, LV2_State_Handle handle)
	{
		if (!mapped)
			return LV2_STATE_ERR_NO_FEATURE;
		uint8_t bytes[StoredRecord::kSize];
		storedRecord ().write (bytes);
		return store (handle, urids.state, bytes, sizeof bytes, urids.atomChunk,
		              LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
	}

	// Hosts restore the control ports themselves, and the ports drive the sound. A valid record
	// only becomes what save reports until the next run takes the ports again; NaN fields are
	// skipped as the VST 3 processor skips them. A record of another type, size or version
	// changes nothing.
	LV2_State_Status restore (LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
	{
		if (!mapped)
			return LV2_STATE_ERR_NO_FEATURE;
		size_t size = 0;
		uint32_t type = 0, flags = 0;
		const void* data = retrieve (handle, urids.state, &size, &type, &flags);
		if (!data)
			return LV2_STATE_ERR_NO_PROPERTY;
		StoredRecord record = storedRecord ();
		if (type != urids.atomChunk || size != StoredRecord::kSize ||
		    !record.read (data, static_cast<uint32_t> (size)))
			return LV2_STATE_ERR_BAD_TYPE;
		storeIfNumber (storedBreak, record.breakValue);
		storeIfNumber (storedSliceSize, record.sliceSize);
		storeIfNumber (storedGateSize, record.gateSize);
		storedBypass.store (record.bypass, std::memory_order_relaxed);
		return LV2_STATE_SUCCESS;
	}

private:
	static void storeIfNumber (std::atomic<float>& target, float value)
	{
		if (!std::isnan (value))
			target.store (value, std::memory_order_relaxed);
	}

	StoredRecord storedRecord () const
	{
		StoredRecord record;
		record.breakValue = storedBreak.load (std::memory_order_relaxed);
		record.sliceSize = storedSliceSize.load (std::memory_order_relaxed);
		record.gateSize = storedGateSize.load (std::memory_order_relaxed);
		record.bypass = storedBypass.load (std::memory_order_relaxed);
		return record;
	}

	// A control whose value differs from the one applied last (at first: any number) is
	// applied, as a VST 3 host sends a change; NaN carries no value.
	static bool changed (const float* port, float& applied)
	{
		if (!port || std::isnan (*port) || *port == applied)
			return false;
		applied = *port;
		return true;
	}

	void applyControls ()
	{
		if (changed (breakPort, appliedBreak))
			applyBreak (engine, appliedBreak);
		if (changed (sliceSizePort, appliedSliceSize))
			applySliceSize (engine, appliedSliceSize / 2.0); // 0, 1, 2 as 0, 0.5, 1
		changed (gateSizePort, appliedGateSize);
		if (changed (enabledPort, appliedEnabled))
			bypass = !(appliedEnabled > 0.0f);
		storeIfNumber (storedBreak, appliedBreak);
		storeIfNumber (storedSliceSize, static_cast<float> (appliedSliceSize / 2.0));
		storeIfNumber (storedGateSize, appliedGateSize);
		storedBypass.store (bypass, std::memory_order_relaxed);
	}

	static bool number (const LV2_Atom* atom, const Urids& u, double& value)
	{
		if (!atom)
			return false;
		if (atom->type == u.atomFloat && atom->size >= sizeof (float))
			value = reinterpret_cast<const LV2_Atom_Float*> (atom)->body;
		else if (atom->type == u.atomDouble && atom->size >= sizeof (double))
			value = reinterpret_cast<const LV2_Atom_Double*> (atom)->body;
		else if (atom->type == u.atomInt && atom->size >= sizeof (int32_t))
			value = reinterpret_cast<const LV2_Atom_Int*> (atom)->body;
		else if (atom->type == u.atomLong && atom->size >= sizeof (int64_t))
			value = static_cast<double> (reinterpret_cast<const LV2_Atom_Long*> (atom)->body);
		else
			return false;
		return std::isfinite (value);
	}

	bool readPosition (const LV2_Atom& atom, HostClock::Position& position) const
	{
		if ((atom.type != urids.atomObject && atom.type != urids.atomBlank) ||
		    atom.size < sizeof (LV2_Atom_Object_Body))
			return false;
		const auto* object = reinterpret_cast<const LV2_Atom_Object*> (&atom);
		if (object->body.otype != urids.timePosition)
			return false;
		LV2_ATOM_OBJECT_FOREACH (object, property)
		{
			double value = 0.0;
			if (!number (&property->value, urids, value))
				continue;
			const LV2_URID key = property->key;
			if (key == urids.timeBeat)
				position.beat = value;
			else if (key == urids.timeBar)
				position.bar = value;
			else if (key == urids.timeBarBeat)
				position.barBeat = value;
			else if (key == urids.timeBeatsPerBar)
				position.beatsPerBar = value;
			else if (key == urids.timeBeatUnit)
				position.beatUnit = value;
			else if (key == urids.timeBeatsPerMinute)
				position.beatsPerMinute = value;
			else if (key == urids.timeSpeed)
				position.speed = value;
		}
		return true;
	}

	// Frames [from, until) of the run as one block.
	void runPart (uint32_t from, uint32_t until)
	{
		if (until <= from)
			return;
		const auto count = static_cast<int32_t> (until - from);
		if (bypass)
		{
			for (int c = 0; c < 2; ++c)
				if (out[c] != in[c])
					std::memcpy (out[c] + from, in[c] + from, sizeof (float) * static_cast<size_t> (count));
		}
		else
		{
			const BlockTransport transport = clock.now ();
			runBlock (engine, scopeWriter, appliedGateSize, clock.isKnown () ? &transport : nullptr, true,
			          in[0] + from, in[1] + from, out[0] + from, out[1] + from, count);
		}
		clock.advance (count);
	}

	// The notify port starts each run as an empty sequence; the scope bytes go behind the room
	// for one event header, if the buffer holds one.
	void beginNotify ()
	{
		scopeWriter = ScopeWriter {};
		if (!notify || !mapped)
			return;
		// The host gives the free space in atom.size; it is taken as counting the header too.
		const uint32_t space = notify->atom.size;
		notify->atom.type = urids.atomSequence;
		notify->atom.size = sizeof (LV2_Atom_Sequence_Body);
		notify->body.unit = 0;
		notify->body.pad = 0;
		constexpr uint32_t overhead = sizeof (LV2_Atom_Sequence) + sizeof (ScopeEventHeader);
		if (space > overhead)
		{
			scopeWriter.bytes = reinterpret_cast<int8_t*> (notify + 1) + sizeof (ScopeEventHeader);
			scopeWriter.capacity = (space - overhead) & ~7u;
		}
	}

	void endNotify ()
	{
		if (!notify || !mapped || scopeWriter.count == 0 || scopeWriter.overflowed)
			return;
		const uint32_t count = scopeWriter.count;
		std::memset (scopeWriter.bytes + count, 0, padded (count) - count);
		auto* header = reinterpret_cast<ScopeEventHeader*> (notify + 1);
		header->event.time.frames = 0;
		header->event.body.type = urids.atomObject;
		header->event.body.size =
		    sizeof (LV2_Atom_Object_Body) + sizeof (LV2_Atom_Property_Body) + padded (count);
		header->object.id = 0;
		header->object.otype = urids.scope;
		header->property.key = urids.scope;
		header->property.context = 0;
		header->property.value.type = urids.atomChunk;
		header->property.value.size = count;
		notify->atom.size =
		    sizeof (LV2_Atom_Sequence_Body) + sizeof (LV2_Atom_Event) + header->event.body.size;
	}

	const Urids urids;
	const bool mapped;
	const double sampleRate;

	const float* in[2] {nullptr, nullptr};
	float* out[2] {nullptr, nullptr};
	const float* breakPort {nullptr};
	const float* sliceSizePort {nullptr};
	const float* gateSizePort {nullptr};
	const float* enabledPort {nullptr};
	const LV2_Atom_Sequence* control {nullptr};
	LV2_Atom_Sequence* notify {nullptr};

	// Audio thread: the control values applied last (NaN: none yet).
	float appliedBreak {NAN};
	float appliedSliceSize {NAN};
	float appliedGateSize {1.0f};
	float appliedEnabled {NAN};
	bool bypass {false};

	// The stored record for save, from the audio thread or restore.
	std::atomic<float> storedBreak {0.0f};
	std::atomic<float> storedSliceSize {0.5f};
	std::atomic<float> storedGateSize {1.0f};
	std::atomic<bool> storedBypass {false};

	SliceEngine engine;
	HostClock clock;
	ScopeWriter scopeWriter;
};

const LV2_URID_Map* findMap (const LV2_Feature* const* features, const LV2_Log_Log*& log)
{
	const LV2_URID_Map* map = nullptr;
	for (int i = 0; features && features[i]; ++i)
	{
		if (std::strcmp (features[i]->URI, LV2_URID__map) == 0)
			map = static_cast<const LV2_URID_Map*> (features[i]->data);
		else if (std::strcmp (features[i]->URI, LV2_LOG__log) == 0)
			log = static_cast<const LV2_Log_Log*> (features[i]->data);
	}
	return map;
}

LV2_Handle instantiate (const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features)
{
	const LV2_Log_Log* log = nullptr;
	const LV2_URID_Map* map = findMap (features, log);
	if (!map)
	{
		// A host that maps no URIs can send no transport either (time:Position is an atom), so
		// the plug-in does what it does for any host without a transport: it passes the input
		// through. Without a map there is no URID for log:Note either: the logger then prints to
		// standard error, or hands the host's log type 0.
		LV2_Log_Logger logger;
		lv2_log_logger_init (&logger, nullptr, const_cast<LV2_Log_Log*> (log));
		lv2_log_note (&logger,
		              "Chopwright: the host provides no %s, so it sends no transport: the input passes "
		              "through, with no level display and no state\n",
		              LV2_URID__map);
	}
	return new (std::nothrow) Plugin (rate, map);
}

Plugin* self (LV2_Handle instance) { return static_cast<Plugin*> (instance); }

void connectPort (LV2_Handle instance, uint32_t port, void* data) { self (instance)->connect (port, data); }
void activate (LV2_Handle instance) { self (instance)->activate (); }
void run (LV2_Handle instance, uint32_t frames) { self (instance)->run (frames); }
void deactivate (LV2_Handle) {}
void cleanup (LV2_Handle instance) { delete self (instance); }

LV2_State_Status save (LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t,
                       const LV2_Feature* const*)
{
	return self (instance)->save (store, handle);
}

LV2_State_Status restore (LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                          uint32_t, const LV2_Feature* const*)
{
	return self (instance)->restore (retrieve, handle);
}

const void* extensionData (const char* uri)
{
	static const LV2_State_Interface state {save, restore};
	return std::strcmp (uri, LV2_STATE__interface) == 0 ? &state : nullptr;
}

const LV2_Descriptor descriptor {kPluginUri, instantiate, connectPort, activate,
                                 run,        deactivate,  cleanup,     extensionData};

} // namespace
} // namespace lv2
} // namespace chopwright

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor (uint32_t index)
{
	return index == 0 ? &chopwright::lv2::descriptor : nullptr;
}
