#pragma once

#include <stdexcept>

namespace hosting {

// Every failure of the hosting library is reported as this exception with a one-line message.
class Error : public std::runtime_error
{
public:
	using std::runtime_error::runtime_error;
};

} // namespace hosting
