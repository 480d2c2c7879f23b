#include "schedule.h"

#include <algorithm>
#include <limits>
#include <sstream>

namespace render {

int64_t exactSampleAt (const hosting::MusicalGrid& grid, const Position& position)
{
	if (!(grid.samplesPerBeat () * position.beats < static_cast<double> (kMaxExactSample)))
	{
		std::ostringstream message;
		message << "position "
		        << (position.text.empty () ? std::to_string (position.beats) + " beats" : position.text)
		        << " lies beyond 2^53 samples at " << grid.tempo << " BPM and " << grid.sampleRate
		        << " Hz, where samples are no longer exact";
		throw UsageError (message.str ());
	}
	return grid.sampleAt (position.beats);
}

std::vector<ParameterChange> scheduleChanges (const std::vector<ParameterSetting>& settings,
                                              const std::vector<TimedSetting>& timed,
                                              const hosting::Transport& transport, int64_t startSample)
{
	struct Entry
	{
		int64_t projectSample; // decides order among changes that collapse onto frame 0
		ParameterChange change;
	};
	std::vector<Entry> entries;
	for (const auto& s : settings)
		entries.push_back ({std::numeric_limits<int64_t>::min (), {0, s}});
	for (const auto& t : timed)
	{
		const int64_t projectSample = exactSampleAt (transport, t.at);
		entries.push_back ({projectSample, {std::max<int64_t> (0, projectSample - startSample), t.setting}});
	}
	std::stable_sort (entries.begin (), entries.end (), [] (const Entry& a, const Entry& b) {
		if (a.change.frame != b.change.frame)
			return a.change.frame < b.change.frame;
		return a.projectSample < b.projectSample;
	});
	std::vector<ParameterChange> out;
	for (const auto& e : entries)
		out.push_back (e.change);
	return out;
}

Block nextBlock (int64_t frame, int32_t maxBlock, const std::vector<ParameterChange>& changes,
                 size_t nextChange)
{
	Block block;
	block.frame = frame;
	block.firstChange = nextChange;
	while (nextChange < changes.size () && changes[nextChange].frame <= frame)
		++nextChange;
	block.changeCount = nextChange - block.firstChange;
	int64_t length = maxBlock;
	if (nextChange < changes.size ())
		length = std::min<int64_t> (length, changes[nextChange].frame - frame);
	block.length = static_cast<int32_t> (length);
	return block;
}

} // namespace render
