// The LV2 plug-in's run never allocates: with Break on, positions, stops and restarts, slice
// size changes and bypass, every allocation inside run is counted.
#include "common/allocation_counter.h"
#include "lv2_test_host.h"

#include <gtest/gtest.h>

TEST (Lv2Realtime, RunNeverAllocates)
{
	lv2test::Instance instance (48000.0);
	ASSERT_NE (instance.handle, nullptr);
	instance.duringRun = &insideProcess;
	instance.breakOn = 1.0f;
	lv2test::PositionEvent position;
	for (int block = 0; block < 1200; ++block) // about 6 bars at 120 BPM in blocks of 512
	{
		instance.sliceSize = static_cast<float> (block / 100 % 3);
		instance.enabled = block % 400 < 390 ? 1.0f : 0.0f;
		for (int c = 0; c < 2; ++c)
			for (int i = 0; i < 512; ++i)
				instance.in (c)[i] = (c ? -0.5f : 0.5f) * static_cast<float> ((block * 512 + i) % 97) / 97.0f;
		if (block % 300 == 0 || block % 300 == 10)
		{
			position.speed = block % 300 == 0 ? 1.0f : 0.0f; // a start, then a short stop
			instance.addPosition (position);
		}
		instance.run (512);
		if (position.speed != 0.0f)
			position.beat += 512.0 / 24000.0;
	}
	EXPECT_GT (instance.scope.size (), 500000u) << "the engine ran";
	EXPECT_EQ (allocationsInProcess.load (), 0);
}
