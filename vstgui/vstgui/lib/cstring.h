#pragma once

#include "vstguifwd.h"

#include <string>

namespace VSTGUI {

// An owned UTF-8 string; converts from and to const char*.
class UTF8String
{
public:
	UTF8String (UTF8StringPtr str = nullptr) : string (str ? str : "") {}
	UTF8String (std::string str) : string (std::move (str)) {}

	const std::string& getString () const { return string; }
	UTF8StringPtr data () const { return string.data (); }
	operator UTF8StringPtr () const { return data (); }
	size_t length () const { return string.size (); }
	bool empty () const { return string.empty (); }

	bool operator== (const UTF8String& o) const { return string == o.string; }
	bool operator!= (const UTF8String& o) const { return string != o.string; }
	bool operator== (UTF8StringPtr o) const { return string == (o ? o : ""); }
	bool operator!= (UTF8StringPtr o) const { return !(*this == o); }

private:
	std::string string;
};

} // namespace VSTGUI
