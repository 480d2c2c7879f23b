#pragma once

// The instructions of the script targets. An input is a sequence of them, each an opcode byte
// (taken modulo the count) followed by its operands as fuzz::Reader reads them. Shared with
// the seed writer (seeds.cpp); append new instructions at the end so seeds keep their meaning.
#include <cstdint>

namespace fuzz {

// controller.cpp
enum class ControllerOp : uint8_t
{
	setComponentState, // null flag, size, bytes
	setState,          // null flag, size, bytes
	stateRoundTrip,    //
	parameterInfo,     // index
	stringByValue,     // id, value, null flag
	valueByString,     // id, text (see controller.cpp)
	toPlain,           // id, value
	toNormalized,      // id, value
	setNormalized,     // id, value
	getNormalized,     // id
	unitQueries,       // index, raw int32 unit id, index (bus), index (channel)
	programQueries,    // index (list index), index (list id), index (program), raw int16 pitch,
	                   // null flag (attribute id), size, bytes (program data)
	midiQueries,       // index (bus), raw int16 channel, raw int16 controller number
	createView,        // byte (0 null name, 1 "editor", else another), index (knob mode)
	count
};

// notify.cpp: each message is
//   side byte (bit 0: 0 processor, 1 controller; bit 1: null message)
//   id byte (0 null, 1 "", 2 "TextMessage", 3 "BinaryMessage", else (byte - 1) % 32 raw bytes)
//   attribute count byte (255: null list, else % 5), then per attribute:
//     name byte (0 "Text", 1 "AudioData", else byte % 16 raw bytes),
//     kind byte (% 4: int raw int64, float value, string, binary),
//     for string and binary: size, flags byte (bit 0 null data, bit 1 unterminated), fill byte
enum class AttributeKind : uint8_t
{
	integer,
	floating,
	string,
	binary,
	count
};

// host_calls.cpp
enum class HostOp : uint8_t
{
	arrange,     // inputs byte, outputs byte, arrangement bytes (see host_calls.cpp)
	setup,       // mode byte, 64-bit flag, index (max block), rate byte (< 6 common rates, else value)
	activate,    // flag
	processing,  // flag
	activateBus, // type byte, direction byte, index, flag
	transport,   // raw double tempo, flag playing, raw int32 position jump
	process,     // repeat byte, then the block (see host_calls.cpp)
	timers,      // milliseconds byte
	loadState,   // size, bytes
	count
};

} // namespace fuzz
