#pragma once

#include "vstguifwd.h"

namespace VSTGUI {

// The pressed mouse buttons and modifier keys of a mouse event (CButton bits).
struct CButtonState
{
	static constexpr int32_t kButtonMask = kLButton | kMButton | kRButton | kButton4 | kButton5;
	static constexpr int32_t kModifierMask = kShift | kControl | kAlt | kApple;

	CButtonState (int32_t state = 0) : state (state) {}

	int32_t getButtonState () const { return state & kButtonMask; }
	int32_t getModifierState () const { return state & kModifierMask; }
	// Exactly this button, whatever the modifiers.
	bool isLeftButton () const { return getButtonState () == kLButton; }
	bool isRightButton () const { return getButtonState () == kRButton; }
	bool isDoubleClick () const { return (state & kDoubleClick) != 0; }

	int32_t operator() () const { return state; }
	CButtonState& operator= (int32_t s)
	{
		state = s;
		return *this;
	}
	int32_t operator& (int32_t mask) const { return state & mask; }
	int32_t operator| (int32_t bits) const { return state | bits; }
	CButtonState& operator|= (int32_t bits)
	{
		state |= bits;
		return *this;
	}
	bool operator== (int32_t s) const { return state == s; }
	bool operator!= (int32_t s) const { return state != s; }
	bool operator== (const CButtonState& o) const { return state == o.state; }
	bool operator!= (const CButtonState& o) const { return state != o.state; }

private:
	int32_t state;
};

} // namespace VSTGUI
