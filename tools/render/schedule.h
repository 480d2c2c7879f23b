#pragma once

#include "options.h"

#include "hosting/transport.h"

#include <cstdint>
#include <vector>

namespace render {

// Samples beyond this cannot all be told apart as doubles: positions and the transport would
// no longer be exact.
constexpr int64_t kMaxExactSample = int64_t {1} << 53;

// The sample a position falls on. Throws UsageError when it lies beyond kMaxExactSample.
int64_t exactSampleAt (const hosting::MusicalGrid& grid, const Position& position);

// A parameter change at a frame of the rendered file (frame 0 = INPUT's first sample).
struct ParameterChange
{
	int64_t frame = 0;
	ParameterSetting setting;
};

// One process call: frames [frame, frame + length), with changes[firstChange ..
// firstChange + changeCount) delivered as points at offset 0.
struct Block
{
	int64_t frame = 0;
	int32_t length = 0;
	size_t firstChange = 0;
	size_t changeCount = 0;
};

// Places the settings (from frame 0) and the timed changes on the file's frames. A change
// before the start applies from frame 0 (after the settings, in musical order). Sorted by
// frame; simultaneous changes keep their order. Throws UsageError for a position beyond
// kMaxExactSample.
std::vector<ParameterChange> scheduleChanges (const std::vector<ParameterSetting>& settings,
                                              const std::vector<TimedSetting>& timed,
                                              const hosting::Transport& transport, int64_t startSample);

// The block starting at frame, given that changes before nextChange are delivered: at most
// maxBlock frames, ending where the next change starts a block of its own so it lands on its
// exact sample. Blocks are planned one at a time, as the audio streams; the file's end may
// cut a block short, and changes from there on are never delivered.
Block nextBlock (int64_t frame, int32_t maxBlock, const std::vector<ParameterChange>& changes,
                 size_t nextChange);

} // namespace render
