#include "hosting/parameter_changes.h"

using namespace Steinberg;

namespace hosting {

ParameterValueQueue::ParameterValueQueue (int32 capacity)
    : points_ (static_cast<size_t> (capacity > 0 ? capacity : 1))
{}

void ParameterValueQueue::reset (Vst::ParamID id)
{
	id_ = id;
	count_ = 0;
}

tresult PLUGIN_API ParameterValueQueue::getPoint (int32 index, int32& sampleOffset, Vst::ParamValue& value)
{
	if (index < 0 || index >= count_)
		return kInvalidArgument;
	sampleOffset = points_[index].offset;
	value = points_[index].value;
	return kResultOk;
}

tresult PLUGIN_API ParameterValueQueue::addPoint (int32 sampleOffset, Vst::ParamValue value, int32& index)
{
	int32 at = count_;
	while (at > 0 && points_[at - 1].offset > sampleOffset)
		--at;
	if (at > 0 && points_[at - 1].offset == sampleOffset)
	{
		points_[at - 1].value = value;
		index = at - 1;
		return kResultOk;
	}
	if (count_ == capacity ())
		return kResultFalse;
	for (int32 i = count_; i > at; --i)
		points_[i] = points_[i - 1];
	points_[at] = {sampleOffset, value};
	++count_;
	index = at;
	return kResultOk;
}

tresult PLUGIN_API ParameterValueQueue::queryInterface (const TUID iid, void** obj)
{
	QUERY_INTERFACE (iid, obj, FUnknown::iid, Vst::IParamValueQueue)
	QUERY_INTERFACE (iid, obj, Vst::IParamValueQueue::iid, Vst::IParamValueQueue)
	*obj = nullptr;
	return kNoInterface;
}

ParameterChanges::ParameterChanges (int32 maxParameters, int32 pointsPerParameter)
    : queues_ (static_cast<size_t> (maxParameters > 0 ? maxParameters : 1),
               ParameterValueQueue (pointsPerParameter))
{}

ParameterValueQueue* ParameterChanges::find (Vst::ParamID id)
{
	for (int32 i = 0; i < used_; ++i)
		if (queues_[i].getParameterId () == id)
			return &queues_[i];
	return nullptr;
}

bool ParameterChanges::addPoint (Vst::ParamID id, int32 sampleOffset, Vst::ParamValue value)
{
	int32 index = 0;
	auto* queue = addParameterData (id, index);
	return queue && queue->addPoint (sampleOffset, value, index) == kResultOk;
}

Vst::IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData (int32 index)
{
	return index >= 0 && index < used_ ? &queues_[index] : nullptr;
}

Vst::IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData (const Vst::ParamID& id, int32& index)
{
	for (int32 i = 0; i < used_; ++i)
		if (queues_[i].getParameterId () == id)
		{
			index = i;
			return &queues_[i];
		}
	if (used_ == static_cast<int32> (queues_.size ()))
		return nullptr;
	index = used_;
	queues_[used_].reset (id);
	return &queues_[used_++];
}

tresult PLUGIN_API ParameterChanges::queryInterface (const TUID iid, void** obj)
{
	QUERY_INTERFACE (iid, obj, FUnknown::iid, Vst::IParameterChanges)
	QUERY_INTERFACE (iid, obj, Vst::IParameterChanges::iid, Vst::IParameterChanges)
	*obj = nullptr;
	return kNoInterface;
}

} // namespace hosting
