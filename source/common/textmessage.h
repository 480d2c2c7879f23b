#pragma once

#include "pluginterfaces/vst/ivstmessage.h"

#include <cstring>
#include <optional>
#include <string>

namespace Steinberg {
namespace Vst {

// A "TextMessage" carries "Text", UTF-16 of at most 255 units. The SDK's own handling reads
// on past its buffer when a host's copy of a longer text leaves no terminator, and lets an
// exception out for text that is not UTF-16; both sides read it with this instead.
inline bool isTextMessage (FIDString id) { return std::strcmp (id, "TextMessage") == 0; }

// The text as UTF-8; nothing when there is none or it is not valid UTF-16.
inline std::optional<std::string> readMessageText (IAttributeList* attributes)
{
	TChar units[256] = {};
	// One unit less than the buffer, so the last one stays the terminator.
	if (attributes->getString ("Text", units, sizeof (units) - sizeof (TChar)) != kResultOk)
		return std::nullopt;
	std::string text;
	for (const TChar* unit = units; *unit; ++unit)
	{
		char32_t c = static_cast<char16_t> (*unit);
		if (c >= 0xD800 && c <= 0xDFFF)
		{
			const char32_t low = static_cast<char16_t> (unit[1]);
			if (c > 0xDBFF || low < 0xDC00 || low > 0xDFFF)
				return std::nullopt; // a lone surrogate
			c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
			++unit;
		}
		if (c < 0x80)
			text += static_cast<char> (c);
		else if (c < 0x800)
			text += {static_cast<char> (0xC0 | (c >> 6)), static_cast<char> (0x80 | (c & 0x3F))};
		else if (c < 0x10000)
			text += {static_cast<char> (0xE0 | (c >> 12)), static_cast<char> (0x80 | ((c >> 6) & 0x3F)),
			         static_cast<char> (0x80 | (c & 0x3F))};
		else
			text += {static_cast<char> (0xF0 | (c >> 18)), static_cast<char> (0x80 | ((c >> 12) & 0x3F)),
			         static_cast<char> (0x80 | ((c >> 6) & 0x3F)), static_cast<char> (0x80 | (c & 0x3F))};
	}
	return text;
}

} // namespace Vst
} // namespace Steinberg
