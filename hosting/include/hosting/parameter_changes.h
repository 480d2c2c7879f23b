#pragma once

#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <vector>

namespace hosting {

// IParamValueQueue with storage reserved up front: adding points never allocates, so it can
// be filled on the audio thread. Points stay sorted by sample offset; a point at an offset that
// is already present replaces that point's value.
class ParameterValueQueue : public Steinberg::Vst::IParamValueQueue
{
public:
	explicit ParameterValueQueue (Steinberg::int32 capacity = 16);

	void reset (Steinberg::Vst::ParamID id); // empty, now for parameter id
	void clear () { count_ = 0; }
	Steinberg::int32 capacity () const { return static_cast<Steinberg::int32> (points_.size ()); }

	Steinberg::Vst::ParamID PLUGIN_API getParameterId () override { return id_; }
	Steinberg::int32 PLUGIN_API getPointCount () override { return count_; }
	Steinberg::tresult PLUGIN_API getPoint (Steinberg::int32 index, Steinberg::int32& sampleOffset,
	                                        Steinberg::Vst::ParamValue& value) override;
	// kResultFalse when full. Values are passed on unchecked so tests can send bad ones.
	Steinberg::tresult PLUGIN_API addPoint (Steinberg::int32 sampleOffset, Steinberg::Vst::ParamValue value,
	                                        Steinberg::int32& index) override;

	// Owned by the host for the whole session: no reference counting.
	Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;
	Steinberg::uint32 PLUGIN_API addRef () override { return 1; }
	Steinberg::uint32 PLUGIN_API release () override { return 1; }

private:
	struct Point
	{
		Steinberg::int32 offset;
		Steinberg::Vst::ParamValue value;
	};
	Steinberg::Vst::ParamID id_ = Steinberg::Vst::kNoParamId;
	std::vector<Point> points_; // sized once; count_ of them are in use
	Steinberg::int32 count_ = 0;
};

// IParameterChanges for one process call, with a fixed number of preallocated queues.
class ParameterChanges : public Steinberg::Vst::IParameterChanges
{
public:
	explicit ParameterChanges (Steinberg::int32 maxParameters = 16, Steinberg::int32 pointsPerParameter = 16);

	void clear () { used_ = 0; }
	// Adds a point to the queue of id (making the queue if needed); false when out of room.
	bool addPoint (Steinberg::Vst::ParamID id, Steinberg::int32 sampleOffset,
	               Steinberg::Vst::ParamValue value);
	// The queue of id in this block, or null.
	ParameterValueQueue* find (Steinberg::Vst::ParamID id);

	Steinberg::int32 PLUGIN_API getParameterCount () override { return used_; }
	Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData (Steinberg::int32 index) override;
	Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData (const Steinberg::Vst::ParamID& id,
	                                                               Steinberg::int32& index) override;

	Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;
	Steinberg::uint32 PLUGIN_API addRef () override { return 1; }
	Steinberg::uint32 PLUGIN_API release () override { return 1; }

private:
	std::vector<ParameterValueQueue> queues_;
	Steinberg::int32 used_ = 0;
};

} // namespace hosting
