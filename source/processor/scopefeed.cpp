#include "scopefeed.h"

#include <cstring>

namespace chopwright {

void ScopeFeed::writeStopped (int32_t numFrames)
{
	int32_t write = writePos.load (std::memory_order_relaxed);
	const int32_t read = readPos.load (std::memory_order_acquire);
	for (int32_t i = 0; i < numFrames; ++i)
	{
		const int32_t next = advance (write);
		if (next == read)
			break; // a full ring of zeros already says it all
		ring[static_cast<size_t> (write)] = 0;
		write = next;
	}
	writePos.store (write, std::memory_order_release);
	flatLine.store (true, std::memory_order_release);
}

int32_t ScopeFeed::drain (int8_t* target)
{
	const int32_t read = readPos.load (std::memory_order_relaxed);
	const int32_t write = writePos.load (std::memory_order_acquire);

	if (overflow.exchange (false, std::memory_order_acq_rel))
	{
		readPos.store (write, std::memory_order_release);
		flatLine.store (false, std::memory_order_relaxed);
		return -1;
	}

	int32_t count = 0;
	if (write >= read)
	{
		count = write - read;
		std::memcpy (target, ring.data () + read, static_cast<size_t> (count));
	}
	else
	{
		const int32_t firstPart = kRingSize - read;
		std::memcpy (target, ring.data () + read, static_cast<size_t> (firstPart));
		std::memcpy (target + firstPart, ring.data (), static_cast<size_t> (write));
		count = firstPart + write;
	}
	if (flatLine.exchange (false, std::memory_order_acquire))
		std::memset (target, 0, static_cast<size_t> (count));

	readPos.store (write, std::memory_order_release);
	return count;
}

} // namespace chopwright
