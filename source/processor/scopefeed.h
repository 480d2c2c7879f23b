#pragma once

#include "common/scopemessage.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace chopwright {

// Single-producer, single-consumer ring of one signed byte per output frame, from which the
// editor's scrolling level display is fed. The audio thread writes; a 10 ms timer on the main
// thread drains. Positions are exchanged with release/acquire; each side writes only its own
// position, so resets after an overflow are done by moving the read position.
class ScopeFeed
{
public:
	static constexpr int32_t kRingSize = scopemessage::kRingSize;

	// One frame as a byte: trunc((left + right) × 63.5), low 8 bits. The sum and product are
	// formed in the precision of the samples.
	template <typename Sample>
	static int8_t frameByte (Sample left, Sample right)
	{
		const Sample scaled = (left + right) * static_cast<Sample> (63.5);
		if (!(scaled > -2147483648.0 && scaled < 2147483648.0))
			return 0; // NaN or far beyond full scale: no defined byte
		return static_cast<int8_t> (static_cast<uint8_t> (static_cast<int32_t> (scaled) & 0xff));
	}

	// Audio thread: the frames of a processed block, in time order.
	template <typename Sample>
	void writeBlock (const Sample* left, const Sample* right, int32_t numFrames)
	{
		int32_t write = writePos.load (std::memory_order_relaxed);
		const int32_t read = readPos.load (std::memory_order_acquire);
		bool dropped = false;
		for (int32_t i = 0; i < numFrames; ++i)
		{
			const int32_t next = advance (write);
			if (next == read)
			{
				dropped = true;
				continue;
			}
			ring[static_cast<size_t> (write)] = frameByte (left[i], right[i]);
			write = next;
		}
		writePos.store (write, std::memory_order_release);
		if (dropped)
			overflow.store (true, std::memory_order_release);
	}

	// Audio thread, transport stopped: the display shows a flat line. Zero bytes are queued
	// for the block and the next drain delivers only zeros.
	void writeStopped (int32_t numFrames);

	// Main thread. Copies the unread bytes, oldest first, into `target` (kRingSize bytes) and
	// returns their count, or -1 when frames were dropped since the last drain: the ring then
	// restarts empty and nothing is to be sent this time.
	int32_t drain (int8_t* target);

private:
	static int32_t advance (int32_t index) { return index == kRingSize - 1 ? 0 : index + 1; }

	std::array<int8_t, kRingSize> ring {};
	std::atomic<int32_t> writePos {0};
	std::atomic<int32_t> readPos {0};
	std::atomic<bool> overflow {false};
	std::atomic<bool> flatLine {false};
};

} // namespace chopwright
