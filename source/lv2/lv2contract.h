#pragma once

#include <cstdint>

// What the LV2 plug-in, its Turtle description and its UI agree on: the URIs and the port
// indices. The Turtle files are generated from these values; never renumber a port (hosts keep
// port indices and symbols in their sessions).
#define CHOPWRIGHT_LV2_URI "https://www.quillmarsh.com/plugins/chopwright"

namespace chopwright {
namespace lv2 {

constexpr const char* kPluginUri = CHOPWRIGHT_LV2_URI;
constexpr const char* kUiUri = CHOPWRIGHT_LV2_URI "#ui";
// State: the processor's stored record (the same 22 bytes as the VST 3 state) as an atom:Chunk.
constexpr const char* kStateUri = CHOPWRIGHT_LV2_URI "#state";
// On the notify port: the level bytes of a run for the UI's scrolling display. Layout: at most
// one event per run, at frame 0, holding an atom:Object whose otype is kScopeUri with exactly one
// property, key kScopeUri, value an atom:Chunk: one signed byte per frame of the run, oldest
// first, the same bytes the VST 3 scope gets (ScopeFeed::frameByte of the output; 0 for each
// frame while the transport is stopped). Runs that pass the input through without a transport,
// bypassed runs and runs of 0 frames send no event; a run whose event does not fit into the
// notify buffer sends none either (the display just misses those frames). The notify port asks
// for rsz:minimumSize kNotifyMinimumSize bytes, which holds the event of an 8192-frame run.
constexpr const char* kScopeUri = CHOPWRIGHT_LV2_URI "#scope";
constexpr uint32_t kNotifyMinimumSize = 16384;

enum Port : uint32_t
{
	kInLeft = 0,
	kInRight = 1,
	kOutLeft = 2,
	kOutRight = 3,
	kBreak = 4,     // toggle, 0 or 1
	kSliceSize = 5, // enumeration: 0 = 1 beat, 1 = 1/2 beat, 2 = 1/4 beat
	kGateSize = 6,  // 0 … 1
	kEnabled = 7,   // lv2:enabled: 0 bypasses
	kControl = 8,   // atom input: time:Position from the host
	kNotify = 9,    // atom output: level bytes for the UI

	kNumPorts
};

} // namespace lv2
} // namespace chopwright
