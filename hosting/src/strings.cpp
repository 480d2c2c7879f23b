#include "hosting/strings.h"

#include "pluginterfaces/base/funknown.h"

namespace hosting {

std::string toUtf8 (const Steinberg::char16* text, size_t maxUnits)
{
	std::string out;
	if (!text)
		return out;
	for (size_t i = 0; i < maxUnits && text[i]; ++i)
	{
		char32_t c = static_cast<char16_t> (text[i]);
		// Combine a surrogate pair; a lone surrogate becomes U+FFFD.
		if (c >= 0xD800 && c <= 0xDBFF && i + 1 < maxUnits && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
			c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t> (text[++i]) - 0xDC00);
		else if (c >= 0xD800 && c <= 0xDFFF)
			c = 0xFFFD;
		if (c < 0x80)
			out += static_cast<char> (c);
		else if (c < 0x800)
		{
			out += static_cast<char> (0xC0 | (c >> 6));
			out += static_cast<char> (0x80 | (c & 0x3F));
		}
		else if (c < 0x10000)
		{
			out += static_cast<char> (0xE0 | (c >> 12));
			out += static_cast<char> (0x80 | ((c >> 6) & 0x3F));
			out += static_cast<char> (0x80 | (c & 0x3F));
		}
		else
		{
			out += static_cast<char> (0xF0 | (c >> 18));
			out += static_cast<char> (0x80 | ((c >> 12) & 0x3F));
			out += static_cast<char> (0x80 | ((c >> 6) & 0x3F));
			out += static_cast<char> (0x80 | (c & 0x3F));
		}
	}
	return out;
}

std::string toUtf8 (const Steinberg::char16* text) { return toUtf8 (text, static_cast<size_t> (-1)); }

std::u16string toUtf16 (const std::string& text)
{
	std::u16string out;
	for (size_t i = 0; i < text.size ();)
	{
		auto byte = static_cast<unsigned char> (text[i]);
		int extra = byte < 0x80 ? 0 : byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : -1;
		char32_t c = extra < 0 ? 0xFFFD : extra == 0 ? byte : byte & (0x3F >> extra);
		size_t j = 1;
		for (; extra > 0 && j <= static_cast<size_t> (extra) && i + j < text.size (); ++j)
			c = (c << 6) | (static_cast<unsigned char> (text[i + j]) & 0x3F);
		i += extra > 0 ? j : 1;
		if (c >= 0x10000)
		{
			out += static_cast<char16_t> (0xD800 + ((c - 0x10000) >> 10));
			out += static_cast<char16_t> (0xDC00 + ((c - 0x10000) & 0x3FF));
		}
		else
			out += static_cast<char16_t> (c);
	}
	return out;
}

std::string classIdToString (const Steinberg::TUID id)
{
	char text[33] = {};
	Steinberg::FUID::fromTUID (id).toString (text);
	return text;
}

} // namespace hosting
