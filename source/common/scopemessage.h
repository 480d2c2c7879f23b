#pragma once

#include <cstdint>

// The level message from the processor to the controller: every 10 ms the processor sends
// what its output ring holds as one message with a binary attribute of signed bytes,
// trunc ((left + right) × 63.5) per frame, oldest first.
namespace chopwright {
namespace scopemessage {

constexpr const char* kMessageId = "BinaryMessage";
constexpr const char* kDataAttribute = "AudioData";
// The ring's size; a message carries at most one byte less.
constexpr int32_t kRingSize = 16384;

} // namespace scopemessage
} // namespace chopwright
