#pragma once

#include <cstdint>

namespace chopwright {

// A four-character code as VST 2 and AAX hosts read it: the first character in the most
// significant byte ("chpw" is 0x63687077).
constexpr uint32_t fourCharCode (const char (&code)[5])
{
	return static_cast<uint32_t> (static_cast<unsigned char> (code[0])) << 24 |
	       static_cast<uint32_t> (static_cast<unsigned char> (code[1])) << 16 |
	       static_cast<uint32_t> (static_cast<unsigned char> (code[2])) << 8 |
	       static_cast<uint32_t> (static_cast<unsigned char> (code[3]));
}

} // namespace chopwright
