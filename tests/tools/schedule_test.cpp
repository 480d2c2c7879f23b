#include "schedule.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace render;

namespace {

const hosting::Transport kTransport {44100.0, 120.0}; // 22050 samples per beat

std::vector<int64_t> framesOf (const std::vector<ParameterChange>& changes)
{
	std::vector<int64_t> out;
	for (const auto& c : changes)
		out.push_back (c.frame);
	return out;
}

// The blocks a file of total frames gets, planned one at a time as the renderer does.
std::vector<Block> planBlocks (int64_t total, int32_t maxBlock, const std::vector<ParameterChange>& changes)
{
	std::vector<Block> blocks;
	for (int64_t frame = 0; frame < total;)
	{
		Block block =
		    nextBlock (frame, maxBlock, changes,
		               blocks.empty () ? 0 : blocks.back ().firstChange + blocks.back ().changeCount);
		block.length = static_cast<int32_t> (std::min<int64_t> (block.length, total - frame));
		blocks.push_back (block);
		frame += block.length;
	}
	return blocks;
}

} // namespace

TEST (Schedule, PlacesChangesOnFileFrames)
{
	const std::vector<ParameterSetting> initial = {{params::kBreak, 0.0}};
	const std::vector<TimedSetting> timed = {
	    {Position {8.0}, {params::kBreak, 1.0}},     // project sample 176400
	    {Position {2.0}, {params::kSliceSize, 1.0}}, // 44100: before the start
	    {Position {1.0}, {params::kSliceSize, 0.5}}, // 22050: earlier still
	};
	const auto changes = scheduleChanges (initial, timed, kTransport, 88200);
	EXPECT_EQ (framesOf (changes), (std::vector<int64_t> {0, 0, 0, 88200}));
	// At frame 0: the initial setting, then the early changes in musical order.
	EXPECT_EQ (changes[0].setting, (ParameterSetting {params::kBreak, 0.0}));
	EXPECT_EQ (changes[1].setting, (ParameterSetting {params::kSliceSize, 0.5}));
	EXPECT_EQ (changes[2].setting, (ParameterSetting {params::kSliceSize, 1.0}));
	EXPECT_EQ (changes[3].setting, (ParameterSetting {params::kBreak, 1.0}));
}

TEST (Schedule, UsesTheTransportsSampleMapping)
{
	const hosting::Transport odd {44100.0, 133.0};
	const auto changes = scheduleChanges ({}, {{Position {7.0}, {params::kBreak, 1.0}}}, odd, 1000);
	ASSERT_EQ (changes.size (), 1u);
	EXPECT_EQ (changes[0].frame, odd.sampleAt (7.0) - 1000);
}

TEST (Schedule, RefusesPositionsBeyondExactSamples)
{
	const Position last {kTransport.beatsAt (kMaxExactSample - 1), "last"};
	EXPECT_EQ (exactSampleAt (kTransport, last), kMaxExactSample - 1);
	for (double beats : {kTransport.beatsAt (kMaxExactSample), 4e20, HUGE_VAL})
	{
		const TimedSetting far {Position {beats, "far"}, {params::kBreak, 1.0}};
		EXPECT_THROW (scheduleChanges ({}, {far}, kTransport, 0), UsageError) << beats;
		EXPECT_THROW (exactSampleAt (kTransport, far.at), UsageError) << beats;
	}
}

TEST (Schedule, BlocksCoverEverythingAndStartAtEachChange)
{
	const std::vector<ParameterChange> changes = {{0, {params::kBreak, 1.0}},
	                                              {700, {params::kBreak, 0.0}},
	                                              {700, {params::kGateSize, 0.5}},
	                                              {1024, {params::kBreak, 1.0}}};
	const auto blocks = planBlocks (1500, 512, changes);
	std::vector<std::pair<int64_t, int32_t>> spans;
	for (const auto& b : blocks)
		spans.emplace_back (b.frame, b.length);
	EXPECT_EQ (spans,
	           (std::vector<std::pair<int64_t, int32_t>> {{0, 512}, {512, 188}, {700, 324}, {1024, 476}}));
	EXPECT_EQ (blocks[0].changeCount, 1u);
	EXPECT_EQ (blocks[1].changeCount, 0u);
	EXPECT_EQ (blocks[2].firstChange, 1u);
	EXPECT_EQ (blocks[2].changeCount, 2u);
	EXPECT_EQ (blocks[3].firstChange, 3u);
	EXPECT_EQ (blocks[3].changeCount, 1u);
}

TEST (Schedule, BlockPlanInvariantsHoldForManyLayouts)
{
	for (int32_t maxBlock : {1, 7, 64, 512, 4096})
		for (int64_t total : {int64_t (0), int64_t (1), int64_t (999), int64_t (10000)})
		{
			std::vector<ParameterChange> changes;
			for (int64_t f = 0; f < total; f += 333)
				changes.push_back ({f, {params::kGateSize, 0.5}});
			const auto blocks = planBlocks (total, maxBlock, changes);
			int64_t next = 0;
			size_t delivered = 0;
			for (const auto& b : blocks)
			{
				ASSERT_EQ (b.frame, next);
				ASSERT_GE (b.length, 1);
				ASSERT_LE (b.length, maxBlock);
				for (size_t k = b.firstChange; k < b.firstChange + b.changeCount; ++k)
					ASSERT_EQ (changes[k].frame, b.frame) << "a change arrives only at its block's start";
				delivered += b.changeCount;
				next += b.length;
			}
			EXPECT_EQ (next, total);
			EXPECT_EQ (delivered, changes.size ());
		}
}
