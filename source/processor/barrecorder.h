#pragma once

#include <cstdint>

namespace chopwright {

// The recording ring and the snapshot of the last bar, both in memory that the system hands
// out zero-filled, page by page, as it is first written: an instance that has not played
// holds next to nothing, one that has played a ring lap holds the ring.
//
// Taking a snapshot copies nothing: the snapshot stays a view of the ring frames it was taken
// from. Those are overwritten only a ring lap later, and just before they are, record ()
// copies them into the snapshot's own buffer. A host that reaches the next bar start within
// a lap never copies a frame; one that loops or jumps short of it copies no more frames than
// it records.
class BarRecorder
{
public:
	static constexpr int32_t kCapacity = 1 << 23; // frames per channel, ring and snapshot alike

	BarRecorder () = default;
	~BarRecorder () { release (); }
	BarRecorder (const BarRecorder&) = delete;
	BarRecorder& operator= (const BarRecorder&) = delete;

	// Maps the buffers the first time; they survive later calls until release ().
	void allocate ();
	void release ();
	bool isAllocated () const { return memory != nullptr; }

	// Appends frames to the ring as single floats.
	template <typename Sample>
	void record (const Sample* left, const Sample* right, int32_t count);

	// The snapshot becomes the `length` frames (below kCapacity − 1) that end one frame
	// before the last one recorded; its frames from `length` on stay as they were.
	void takeSnapshot (int64_t length);

	// Snapshot frames first … first + count − 1, all inside the buffer, in ascending order.
	void readSnapshot (float* left, float* right, int64_t first, int32_t count) const;
	float snapshotAt (int channel, int64_t index) const;

	// Cache hints, no effect on any frame: ask the memory system for snapshot frames first …
	// first + count − 1, of this snapshot or of the one takeSnapshot (length) will make after
	// `framesAhead` more frames are recorded, ahead of the read that will want them.
	void prefetchSnapshot (int64_t first, int32_t count) const;
	void prefetchComingSnapshot (int64_t framesAhead, int64_t length, int64_t first, int32_t count) const;
	float recordedAt (int channel, int32_t index) const { return ring[channel][index]; }

	// The next ring index to write; kCapacity until the first frame after a lap is written.
	int32_t getPosition () const { return position; }

private:
	// Snapshot frames below `end` (and at or above the end of every newer view) are ring
	// frames ringStart + index; those below `copied` are in the snapshot buffer already.
	struct View
	{
		int64_t copied;
		int64_t end;
		int64_t ringStart;
	};
	static constexpr int32_t kMaxViews = 4;
	static constexpr int64_t kMask = kCapacity - 1;
	static constexpr int32_t kPageFrames = 1024; // frames of a 4 KiB page
	static constexpr int32_t kLineFrames = 16;   // frames of a 64-byte cache line

	const View* viewOf (int64_t index) const;
	void copyView (View& view, int64_t upTo);
	void keepViews (int32_t at, int32_t count);
	void dropCopiedViews ();
	void prefetchRing (int64_t at) const;

	float* memory {nullptr};
	float* ring[2] {nullptr, nullptr};
	float* snapshot[2] {nullptr, nullptr};
	int32_t position {0};
	View views[kMaxViews] {};
	int32_t viewCount {0};
};

extern template void BarRecorder::record<float> (const float*, const float*, int32_t);
extern template void BarRecorder::record<double> (const double*, const double*, int32_t);

} // namespace chopwright
