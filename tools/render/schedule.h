#pragma once

#include "options.h"

#include "hosting/transport.h"

#include <cstdint>
#include <vector>

namespace render {

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
// before the start applies from frame 0 (after the settings, in musical order); changes at
// or past the end are dropped. Sorted by frame; simultaneous changes keep their order.
std::vector<ParameterChange> scheduleChanges(const std::vector<ParameterSetting>& settings,
                                             const std::vector<TimedSetting>& timed,
                                             const hosting::Transport& transport, int64_t startSample,
                                             int64_t totalFrames);

// Cuts [0, totalFrames) into blocks of at most maxBlock frames, starting a new block at every
// change so it lands on its exact sample.
std::vector<Block> planBlocks(int64_t totalFrames, int32_t maxBlock, const std::vector<ParameterChange>& changes);

} // namespace render
