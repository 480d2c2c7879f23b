#include "hosting/parameter_changes.h"

#include <gtest/gtest.h>

using namespace Steinberg;
using hosting::ParameterChanges;
using hosting::ParameterValueQueue;

namespace {

std::vector<std::pair<int32, double>> pointsOf (Vst::IParamValueQueue& queue)
{
	std::vector<std::pair<int32, double>> out;
	for (int32 i = 0; i < queue.getPointCount (); ++i)
	{
		int32 offset = -1;
		Vst::ParamValue value = -1;
		EXPECT_EQ (queue.getPoint (i, offset, value), kResultOk);
		out.emplace_back (offset, value);
	}
	return out;
}

} // namespace

TEST (ParameterValueQueue, KeepsPointsSortedAndReplacesSameOffset)
{
	ParameterValueQueue queue (4);
	queue.reset (7);
	int32 index = -1;
	EXPECT_EQ (queue.addPoint (10, 0.5, index), kResultOk);
	EXPECT_EQ (index, 0);
	EXPECT_EQ (queue.addPoint (3, 0.25, index), kResultOk);
	EXPECT_EQ (index, 0); // inserted before the later point
	EXPECT_EQ (queue.addPoint (10, 0.75, index), kResultOk);
	EXPECT_EQ (index, 1); // replaced, not added
	EXPECT_EQ (queue.getParameterId (), 7u);
	EXPECT_EQ (pointsOf (queue), (std::vector<std::pair<int32, double>> {{3, 0.25}, {10, 0.75}}));
}

TEST (ParameterValueQueue, RefusesPointsBeyondCapacityAndBadIndices)
{
	ParameterValueQueue queue (2);
	queue.reset (1);
	int32 index = 0;
	ASSERT_EQ (queue.addPoint (0, 0.1, index), kResultOk);
	ASSERT_EQ (queue.addPoint (1, 0.2, index), kResultOk);
	EXPECT_EQ (queue.addPoint (2, 0.3, index), kResultFalse);
	EXPECT_EQ (queue.addPoint (1, 0.9, index), kResultOk) << "replacing needs no room";
	int32 offset = 0;
	Vst::ParamValue value = 0;
	EXPECT_EQ (queue.getPoint (2, offset, value), kInvalidArgument);
	EXPECT_EQ (queue.getPoint (-1, offset, value), kInvalidArgument);
	queue.clear ();
	EXPECT_EQ (queue.getPointCount (), 0);
	EXPECT_EQ (queue.getPoint (0, offset, value), kInvalidArgument);
}

TEST (ParameterChanges, GroupsPointsByParameterAndClears)
{
	ParameterChanges changes (3, 4);
	EXPECT_TRUE (changes.addPoint (0, 0, 1.0));
	EXPECT_TRUE (changes.addPoint (2, 5, 0.5));
	EXPECT_TRUE (changes.addPoint (0, 9, 0.0));
	ASSERT_EQ (changes.getParameterCount (), 2);
	EXPECT_EQ (changes.getParameterData (0)->getParameterId (), 0u);
	EXPECT_EQ (changes.getParameterData (0)->getPointCount (), 2);
	EXPECT_EQ (changes.getParameterData (1)->getParameterId (), 2u);
	EXPECT_EQ (changes.getParameterData (2), nullptr);
	EXPECT_EQ (changes.getParameterData (-1), nullptr);

	int32 index = -1;
	Vst::IParamValueQueue* again = changes.addParameterData (2, index);
	EXPECT_EQ (index, 1);
	EXPECT_EQ (again, changes.getParameterData (1)) << "an existing queue is reused";

	changes.clear ();
	EXPECT_EQ (changes.getParameterCount (), 0);
	EXPECT_EQ (changes.find (0), nullptr);
	// After clear() a reused queue starts empty and takes the new id.
	EXPECT_TRUE (changes.addPoint (4, 0, 0.3));
	ASSERT_EQ (changes.getParameterCount (), 1);
	EXPECT_EQ (changes.getParameterData (0)->getParameterId (), 4u);
	EXPECT_EQ (pointsOf (*changes.getParameterData (0)), (std::vector<std::pair<int32, double>> {{0, 0.3}}));
}

TEST (ParameterChanges, ReportsWhenOutOfRoom)
{
	ParameterChanges changes (2, 1);
	EXPECT_TRUE (changes.addPoint (1, 0, 0.1));
	EXPECT_TRUE (changes.addPoint (2, 0, 0.2));
	EXPECT_FALSE (changes.addPoint (3, 0, 0.3)) << "no third queue";
	EXPECT_FALSE (changes.addPoint (1, 4, 0.4)) << "queue of id 1 is full";
	int32 index = 0;
	EXPECT_EQ (changes.addParameterData (3, index), nullptr);
	EXPECT_EQ (changes.getParameterCount (), 2);
}

TEST (ParameterChanges, AnswersItsInterfacesOnly)
{
	ParameterChanges changes;
	void* object = nullptr;
	EXPECT_EQ (changes.queryInterface (Vst::IParameterChanges::iid, &object), kResultOk);
	EXPECT_EQ (object, static_cast<Vst::IParameterChanges*> (&changes));
	EXPECT_EQ (changes.queryInterface (Vst::IParamValueQueue::iid, &object), kNoInterface);
	EXPECT_EQ (object, nullptr);
	ParameterValueQueue queue;
	EXPECT_EQ (queue.queryInterface (Vst::IParamValueQueue::iid, &object), kResultOk);
	EXPECT_EQ (object, static_cast<Vst::IParamValueQueue*> (&queue));
}
