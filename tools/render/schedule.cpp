#include "schedule.h"

#include <algorithm>
#include <limits>

namespace render {

std::vector<ParameterChange> scheduleChanges(const std::vector<ParameterSetting>& settings,
                                             const std::vector<TimedSetting>& timed,
                                             const hosting::Transport& transport, int64_t startSample,
                                             int64_t totalFrames)
{
    struct Entry
    {
        int64_t projectSample; // decides order among changes that collapse onto frame 0
        ParameterChange change;
    };
    std::vector<Entry> entries;
    for (const auto& s : settings)
        entries.push_back({std::numeric_limits<int64_t>::min(), {0, s}});
    for (const auto& t : timed)
    {
        const int64_t projectSample = transport.sampleAt(t.at.beats);
        entries.push_back({projectSample, {std::max<int64_t>(0, projectSample - startSample), t.setting}});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.change.frame != b.change.frame)
            return a.change.frame < b.change.frame;
        return a.projectSample < b.projectSample;
    });
    std::vector<ParameterChange> out;
    for (const auto& e : entries)
        if (e.change.frame < totalFrames)
            out.push_back(e.change);
    return out;
}

std::vector<Block> planBlocks(int64_t totalFrames, int32_t maxBlock, const std::vector<ParameterChange>& changes)
{
    std::vector<Block> blocks;
    size_t next = 0; // first change not yet delivered
    int64_t frame = 0;
    while (frame < totalFrames)
    {
        Block block;
        block.frame = frame;
        block.firstChange = next;
        while (next < changes.size() && changes[next].frame <= frame)
            ++next;
        block.changeCount = next - block.firstChange;
        // End at the block size, the file's end or the next change, whichever comes first.
        int64_t end = std::min<int64_t>(frame + maxBlock, totalFrames);
        if (next < changes.size())
            end = std::min<int64_t>(end, changes[next].frame);
        block.length = static_cast<int32_t>(end - frame);
        blocks.push_back(block);
        frame = end;
    }
    return blocks;
}

} // namespace render
