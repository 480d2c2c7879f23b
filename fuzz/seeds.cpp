// Writes the seed corpus of every fuzz target: a few small inputs that reach the plug-in's
// main paths, so each run starts from there instead of from random bytes.
//   build-fuzz/fuzz/fuzz_seeds fuzz/corpus
#include "scripts.h"

#include "parameterids.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace Steinberg::Vst;
using fuzz::AttributeKind;
using fuzz::ControllerOp;
using fuzz::HostOp;

namespace {

// The encoder matching fuzz::Reader: every hostile value is written raw (selector 255).
class Writer
{
public:
	std::vector<uint8_t> bytes;

	Writer& byte (uint8_t b)
	{
		bytes.push_back (b);
		return *this;
	}
	template <typename T>
	Writer& raw (T value)
	{
		uint8_t b[sizeof (T)];
		std::memcpy (b, &value, sizeof (T));
		bytes.insert (bytes.end (), b, b + sizeof (T));
		return *this;
	}
	Writer& value (double v) { return byte (255).raw (v); }
	Writer& index (int32_t v) { return byte (255).raw (v); }
	Writer& paramId (uint32_t v) { return byte (255).raw (v); }
	Writer& dataSize (uint32_t v) { return byte (255).raw (v); }
	Writer& data (const std::vector<uint8_t>& d)
	{
		bytes.insert (bytes.end (), d.begin (), d.end ());
		return *this;
	}
	template <typename Op>
	Writer& op (Op o)
	{
		return byte (static_cast<uint8_t> (o));
	}
};

// The processor's state record: version 1, Break, SliceSize, GateSize, bypass.
std::vector<uint8_t> record (float breakValue, float sliceSize, float gateSize, int16_t bypass,
                             int64_t version = 1)
{
	return Writer ().raw (version).raw (breakValue).raw (sliceSize).raw (gateSize).raw (bypass).bytes;
}

void save (const std::filesystem::path& folder, const std::string& name, const std::vector<uint8_t>& bytes)
{
	std::filesystem::create_directories (folder);
	std::ofstream (folder / name, std::ios::binary)
	    .write (reinterpret_cast<const char*> (bytes.data ()), static_cast<std::streamsize> (bytes.size ()));
}

void processorStateSeeds (const std::filesystem::path& folder)
{
	save (folder, "default", record (0.0f, 0.5f, 1.0f, 0));
	save (folder, "break-quarter-gated-bypassed", record (1.0f, 1.0f, 0.25f, 1));
	save (folder, "nan-and-infinite", record (NAN, INFINITY, -INFINITY, 2));
	save (folder, "version-2", record (1.0f, 0.0f, 0.5f, 0, 2));
	std::vector<uint8_t> cut = record (1.0f, 0.0f, 0.5f, 0);
	cut.resize (12);
	save (folder, "short", cut);
}

void controllerSeeds (const std::filesystem::path& folder)
{
	// A host's scan: every parameter's info, its string at a few values and back.
	Writer scan;
	for (int32_t i = 0; i <= static_cast<int32_t> (kNumParams); ++i)
		scan.op (ControllerOp::parameterInfo).index (i);
	for (uint32_t id = 0; id < kNumParams; ++id)
	{
		scan.op (ControllerOp::stringByValue).paramId (id).value (0.5).byte (0);
		scan.op (ControllerOp::valueByString).paramId (id).byte (1); // "ON"
		scan.op (ControllerOp::toPlain).paramId (id).value (1.0);
		scan.op (ControllerOp::toNormalized).paramId (id).value (2.0);
	}
	scan.op (ControllerOp::unitQueries).index (0).raw<int32_t> (0).index (0).index (0);
	scan.op (ControllerOp::programQueries).index (0).index (kProgramChangeId).index (0);
	scan.raw<int16_t> (60).byte (0).dataSize (0);
	save (folder, "scan", scan.bytes);

	// A project load: the processor's state, then the controller's own, then edits.
	Writer load;
	const auto state = record (1.0f, 1.0f, 0.25f, 1);
	load.op (ControllerOp::setComponentState)
	    .byte (0)
	    .dataSize (static_cast<uint32_t> (state.size ()))
	    .data (state);
	load.op (ControllerOp::setState).byte (0).dataSize (16).raw<int64_t> (1).raw (1.0);
	load.op (ControllerOp::stateRoundTrip);
	load.op (ControllerOp::setNormalized).paramId (kSliceSizeId).value (NAN);
	load.op (ControllerOp::setNormalized).paramId (kGateSizeId).value (-INFINITY);
	load.op (ControllerOp::getNormalized).paramId (kGateSizeId);
	save (folder, "load-and-edit", load.bytes);

	// Text that is not UTF-16 (a lone surrogate) for the number parameters.
	Writer notUtf16;
	for (uint32_t id : {kGateSizeId, kBypassId})
		notUtf16.op (ControllerOp::valueByString).paramId (id).byte (64 + 1).raw<uint16_t> (0xDC00);
	save (folder, "value-text-not-utf16", notUtf16.bytes);

	Writer other;
	other.op (ControllerOp::midiQueries).index (0).raw<int16_t> (0).raw<int16_t> (7);
	other.op (ControllerOp::createView).byte (1).index (2);
	save (folder, "midi-and-view", other.bytes);
}

// One notify: side byte, id byte, attribute count, then name, kind and contents per attribute.
void notifySeeds (const std::filesystem::path& folder)
{
	auto binary = [] (Writer& w, uint8_t side, uint32_t size, bool nullData) {
		w.byte (side).byte (3).byte (1).byte (1).byte (static_cast<uint8_t> (AttributeKind::binary));
		w.dataSize (size).byte (nullData ? 1 : 0).byte (0x40);
	};
	Writer levels;
	for (uint32_t size : {0u, 16383u, 16384u, 16385u, 70000u})
		binary (levels, 1, size, false);
	binary (levels, 1, 16384, true);
	binary (levels, 0, 70000, false);
	save (folder, "level-messages", levels.bytes);

	Writer text;
	for (uint8_t side : {0, 1})
	{
		text.byte (side).byte (2).byte (1).byte (0).byte (static_cast<uint8_t> (AttributeKind::string));
		text.dataSize (16).byte (0).byte ('a');
	}
	save (folder, "text-messages", text.bytes);

	// Texts a host may hand on although no text message holds them: longer than its 255 units
	// (a host's copy then ends without a terminator) and not UTF-16 (a lone surrogate).
	Writer longText, notUtf16;
	for (uint8_t side : {0, 1})
	{
		longText.byte (side).byte (2).byte (1).byte (0).byte (static_cast<uint8_t> (AttributeKind::string));
		longText.dataSize (300).byte (0).byte ('a');
		notUtf16.byte (side).byte (2).byte (1).byte (0).byte (static_cast<uint8_t> (AttributeKind::string));
		notUtf16.dataSize (4).byte (0).byte (0xDC);
	}
	save (folder, "text-longer-than-a-message", longText.bytes);
	save (folder, "text-not-utf16", notUtf16.bytes);

	Writer nulls;
	nulls.byte (2).byte (0).byte (0);   // no message, to the processor
	nulls.byte (3).byte (0).byte (0);   // no message, to the controller
	nulls.byte (0).byte (0).byte (0);   // no id
	nulls.byte (1).byte (2).byte (255); // "TextMessage" without attributes
	nulls.byte (1)
	    .byte (3)
	    .byte (1)
	    .byte (1)
	    .byte (static_cast<uint8_t> (AttributeKind::integer))
	    .raw<int64_t> (-1);
	save (folder, "nulls-and-kinds", nulls.bytes);
}

// host_calls: set up, activate and play blocks with a transport.
struct Script : Writer
{
	Script& arrange (uint8_t arrangement) // one input and one output bus
	{
		op (HostOp::arrange).byte (1).byte (1).byte (0).byte (arrangement).byte (arrangement).index (0);
		return *this;
	}
	Script& start (uint8_t rateChoice, bool doublePrecision)
	{
		op (HostOp::setup).byte (0).byte (doublePrecision).index (8192).byte (rateChoice);
		op (HostOp::activate).byte (1).op (HostOp::processing).byte (1);
		return *this;
	}
	// repeat blocks of 8192 frames (raw 8192), main buses with `channels`, a sine of 0.5, the
	// transport as context, and parameter points on the first block.
	Script& play (uint8_t repeat, bool doublePrecision, int channels,
	              std::vector<std::pair<uint32_t, double>> points = {}, uint8_t shapeFlags = 0)
	{
		op (HostOp::process).byte (static_cast<uint8_t> (repeat - 1));
		byte (255).raw<uint16_t> (8192).byte (doublePrecision);
		byte (1 | 1 << 2).byte (static_cast<uint8_t> (channels | channels << 2 | shapeFlags));
		byte (1).value (0.5).byte (7).byte (1);
		byte (static_cast<uint8_t> (points.size ()));
		for (const auto& p : points)
			paramId (p.first).index (0).value (p.second);
		return *this;
	}
};

void hostCallSeeds (const std::filesystem::path& folder)
{
	Script stereo;
	stereo.arrange (1).start (0, false).play (1, false, 2, {{kBreakId, 1.0}}).play (24, false, 2);
	stereo.op (HostOp::timers).byte (10);
	save (folder, "stereo-32-break", stereo.bytes);

	Script mono;
	mono.arrange (0).start (1, true);
	mono.play (1, true, 1, {{kSliceSizeId, 1.0}, {kGateSizeId, 0.3}, {kBreakId, 1.0}}).play (24, true, 1);
	save (folder, "mono-64-quarter-gated", mono.bytes);

	// Break on at 240 BPM, then the tempo drops to 20 BPM mid-bar.
	Script drop;
	drop.arrange (1).start (0, false);
	drop.op (HostOp::transport).raw (240.0).byte (1).raw<int32_t> (0);
	drop.play (1, false, 2, {{kBreakId, 1.0}}).play (12, false, 2);
	drop.op (HostOp::transport).raw (20.0).byte (1).raw<int32_t> (0);
	drop.play (16, false, 2);
	save (folder, "tempo-drop", drop.bytes);

	// Bypassed and in place, then a state load, then blocks before any setup.
	Script odd;
	odd.play (2, false, 2);
	odd.arrange (1).start (0, false).play (2, false, 2, {{kBypassId, 1.0}}, 16);
	const std::vector<uint8_t> state = record (1.0f, 0.0f, 0.5f, 0);
	odd.op (HostOp::loadState).dataSize (static_cast<uint32_t> (state.size ())).data (state);
	odd.play (4, false, 2).op (HostOp::activate).byte (0);
	odd.play (1, true, 2);
	save (folder, "bypass-in-place-state-load", odd.bytes);
}

} // namespace

int main (int argc, char** argv)
{
	if (argc != 2)
	{
		std::fprintf (stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
		return 2;
	}
	const std::filesystem::path corpus = argv[1];
	processorStateSeeds (corpus / "processor_state");
	controllerSeeds (corpus / "controller");
	notifySeeds (corpus / "notify");
	hostCallSeeds (corpus / "host_calls");
	return 0;
}
