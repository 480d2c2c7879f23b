#include "processor/scopefeed.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

using chopwright::ScopeFeed;

TEST (ScopeFeed, ReducesFramesToSignedBytes)
{
	EXPECT_EQ (ScopeFeed::frameByte (1.0f, 1.0f), 127);
	EXPECT_EQ (ScopeFeed::frameByte (-1.0f, -1.0f), -127);
	EXPECT_EQ (ScopeFeed::frameByte (0.0, 0.0), 0);
	EXPECT_EQ (ScopeFeed::frameByte (0.004f, 0.004f), 0);
	EXPECT_EQ (ScopeFeed::frameByte (0.5, 0.25), 47); // trunc(0.75 × 63.5)
	EXPECT_EQ (ScopeFeed::frameByte (2.0f, 0.0f), 127);
	EXPECT_EQ (ScopeFeed::frameByte (1.5f, 1.5f), static_cast<int8_t> (190)) << "larger sums wrap";
	EXPECT_EQ (ScopeFeed::frameByte (NAN, 0.0f), 0);
}

TEST (ScopeFeed, DeliversBytesOldestFirstAndResetsAfterAnOverflow)
{
	ScopeFeed feed;
	std::array<int8_t, ScopeFeed::kRingSize> out {};
	EXPECT_EQ (feed.drain (out.data ()), 0) << "an empty drain still counts as a send";

	const std::vector<float> left {1.0f, 0.5f, -1.0f}, right {1.0f, 0.0f, -1.0f};
	feed.writeBlock (left.data (), right.data (), 3);
	ASSERT_EQ (feed.drain (out.data ()), 3);
	EXPECT_EQ (out[0], 127);
	EXPECT_EQ (out[1], 31);
	EXPECT_EQ (out[2], -127);

	// 16,383 unread frames fill the ring; the next one overflows.
	std::vector<double> ones (ScopeFeed::kRingSize, 0.5);
	feed.writeBlock (ones.data (), ones.data (), ScopeFeed::kRingSize - 1);
	feed.writeBlock (ones.data (), ones.data (), 1);
	EXPECT_EQ (feed.drain (out.data ()), -1) << "nothing is sent after an overflow";
	EXPECT_EQ (feed.drain (out.data ()), 0) << "the ring restarts empty";

	// Across the wrap of the ring.
	feed.writeBlock (ones.data (), ones.data (), 10000);
	EXPECT_EQ (feed.drain (out.data ()), 10000);
	feed.writeBlock (ones.data (), ones.data (), 10000);
	ASSERT_EQ (feed.drain (out.data ()), 10000);
	EXPECT_EQ (out[9999], 63);
}

TEST (ScopeFeed, StoppedTransportDeliversOnlyZeros)
{
	ScopeFeed feed;
	std::array<int8_t, ScopeFeed::kRingSize> out {};
	const std::vector<float> loud (512, 0.9f);
	feed.writeBlock (loud.data (), loud.data (), 512);
	feed.writeStopped (256);
	ASSERT_EQ (feed.drain (out.data ()), 768);
	for (int i = 0; i < 768; ++i)
		ASSERT_EQ (out[static_cast<size_t> (i)], 0) << i;

	feed.writeBlock (loud.data (), loud.data (), 4);
	ASSERT_EQ (feed.drain (out.data ()), 4);
	EXPECT_EQ (out[0], 114) << "playing again shows the signal";
}

TEST (ScopeFeed, ProducerAndConsumerRunConcurrently)
{
	ScopeFeed feed;
	std::atomic<bool> done {false};
	std::atomic<int64_t> delivered {0};
	std::thread producer ([&] {
		std::vector<float> block (64);
		// Runs until the consumer has seen plenty, whatever the scheduling.
		for (int n = 0; n < 2000000 && delivered < 200000; ++n)
		{
			for (size_t i = 0; i < block.size (); ++i)
				block[i] = static_cast<float> ((n + static_cast<int> (i)) % 100) / 127.0f;
			if (n % 50 == 0)
				feed.writeStopped (64);
			else
				feed.writeBlock (block.data (), block.data (), 64);
			if (n % 16 == 0)
				std::this_thread::yield ();
		}
		done = true;
	});
	std::array<int8_t, ScopeFeed::kRingSize> out {};
	while (!done)
	{
		const int32_t count = feed.drain (out.data ());
		ASSERT_GE (count, -1);
		ASSERT_LT (count, ScopeFeed::kRingSize);
		for (int32_t i = 0; i < count; ++i)
		{
			// Every byte is one the producer wrote: 0 .. 99, never a torn or stale value.
			ASSERT_GE (out[static_cast<size_t> (i)], 0);
			ASSERT_LE (out[static_cast<size_t> (i)], 99);
		}
		if (count > 0)
			delivered += count;
	}
	producer.join ();
	EXPECT_GT (delivered.load (), 0);
}
