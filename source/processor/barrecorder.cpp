#include "barrecorder.h"

#include "narrowing.h"

#include <sys/mman.h>

#include <algorithm>

namespace chopwright {

namespace {

constexpr size_t kChannelBytes = sizeof (float) * BarRecorder::kCapacity;

} // namespace

void BarRecorder::allocate ()
{
	if (memory)
		return;
	// Anonymous pages cost nothing until first written. Small pages, so that memory grows
	// and first writes fault in 4 KiB steps rather than 2 MiB ones.
	void* mapped =
	    mmap (nullptr, 4 * kChannelBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
	if (mapped == MAP_FAILED)
		return;
	madvise (mapped, 4 * kChannelBytes, MADV_NOHUGEPAGE);
	memory = static_cast<float*> (mapped);
	ring[0] = memory;
	ring[1] = memory + kCapacity;
	snapshot[0] = memory + 2 * kCapacity;
	snapshot[1] = memory + 3 * kCapacity;
}

void BarRecorder::release ()
{
	if (memory)
		munmap (memory, 4 * kChannelBytes);
	memory = nullptr;
	ring[0] = ring[1] = snapshot[0] = snapshot[1] = nullptr;
}

template <typename Sample>
void BarRecorder::record (const Sample* left, const Sample* right, int32_t count)
{
	while (count > 0)
	{
		if (position >= kCapacity)
			position = 0;
		const int32_t n = std::min (count, kCapacity - position);
		keepViews (position, n);
		std::transform (left, left + n, ring[0] + position, [] (Sample v) { return recordable (v); });
		std::transform (right, right + n, ring[1] + position, [] (Sample v) { return recordable (v); });
		position += n;
		left += n;
		right += n;
		count -= n;
	}
	// Every page is a translation the processor looks up when it is first written; asking
	// for the next one a page ahead keeps that lookup out of a later block's way.
	const int32_t ahead = (position + kPageFrames) & kMask;
	__builtin_prefetch (ring[0] + ahead, 1);
	__builtin_prefetch (ring[1] + ahead, 1);
}

template void BarRecorder::record<float> (const float*, const float*, int32_t);
template void BarRecorder::record<double> (const double*, const double*, int32_t);

void BarRecorder::takeSnapshot (int64_t length)
{
	// Older views keep only the frames the new one does not cover.
	for (int32_t v = 0; v < viewCount; ++v)
		views[v].copied = std::max (views[v].copied, length);
	dropCopiedViews ();
	if (viewCount == kMaxViews)
	{
		copyView (views[viewCount - 1], views[viewCount - 1].end);
		--viewCount;
	}

	const int64_t end = position > 0 ? position - 1 : kCapacity;
	std::copy_backward (views, views + viewCount, views + viewCount + 1);
	views[0] = {0, length, (end - length) & kMask};
	++viewCount;
}

const BarRecorder::View* BarRecorder::viewOf (int64_t index) const
{
	for (int32_t v = 0; v < viewCount; ++v)
		if (index < views[v].end)
			return &views[v];
	return nullptr;
}

void BarRecorder::readSnapshot (float* left, float* right, int64_t first, int32_t count) const
{
	while (count > 0)
	{
		const View* view = viewOf (first);
		const float* fromLeft = snapshot[0] + first;
		const float* fromRight = snapshot[1] + first;
		int64_t n = count;
		if (view && first >= view->copied)
		{
			const int64_t at = (view->ringStart + first) & kMask;
			n = std::min ({n, view->end - first, kCapacity - at});
			fromLeft = ring[0] + at;
			fromRight = ring[1] + at;
		}
		else if (view)
		{
			n = std::min (n, view->copied - first);
		}
		std::copy_n (fromLeft, n, left);
		std::copy_n (fromRight, n, right);
		left += n;
		right += n;
		first += n;
		count -= static_cast<int32_t> (n);
	}
}

float BarRecorder::snapshotAt (int channel, int64_t index) const
{
	const View* view = viewOf (index);
	if (view && index >= view->copied)
		return ring[channel][(view->ringStart + index) & kMask];
	return snapshot[channel][index];
}

void BarRecorder::prefetchSnapshot (int64_t first, int32_t count) const
{
	for (int64_t index = std::max<int64_t> (0, first); index < first + count && index < kCapacity;
	     index += kLineFrames)
	{
		const View* view = viewOf (index);
		if (view && index >= view->copied)
			prefetchRing ((view->ringStart + index) & kMask);
		else
		{
			__builtin_prefetch (snapshot[0] + index, 0, 2);
			__builtin_prefetch (snapshot[1] + index, 0, 2);
		}
	}
}

void BarRecorder::prefetchComingSnapshot (int64_t framesAhead, int64_t length, int64_t first,
                                          int32_t count) const
{
	// As takeSnapshot will place it: `length` frames ending one before the last recorded.
	for (int64_t index = std::max<int64_t> (0, first); index < first + count; index += kLineFrames)
		prefetchRing ((position + framesAhead - 1 - length + index) & kMask);
}

void BarRecorder::prefetchRing (int64_t at) const
{
	__builtin_prefetch (ring[0] + at, 0, 2);
	__builtin_prefetch (ring[1] + at, 0, 2);
}

void BarRecorder::copyView (View& view, int64_t upTo)
{
	while (view.copied < upTo)
	{
		const int64_t at = (view.ringStart + view.copied) & kMask;
		const int64_t n = std::min (upTo - view.copied, kCapacity - at);
		for (int channel = 0; channel < 2; ++channel)
			std::copy_n (ring[channel] + at, n, snapshot[channel] + view.copied);
		view.copied += n;
	}
}

void BarRecorder::keepViews (int32_t at, int32_t count)
{
	// The recording reaches a view's uncopied ring frames at their oldest one first.
	for (int32_t v = 0; v < viewCount; ++v)
	{
		View& view = views[v];
		const int64_t ahead = ((view.ringStart + view.copied) - at) & kMask;
		if (view.copied < view.end && ahead < count)
			copyView (view, std::min (view.end, view.copied + count - ahead));
	}
	dropCopiedViews ();
}

void BarRecorder::dropCopiedViews ()
{
	View* kept =
	    std::remove_if (views, views + viewCount, [] (const View& view) { return view.copied >= view.end; });
	viewCount = static_cast<int32_t> (kept - views);
}

} // namespace chopwright
