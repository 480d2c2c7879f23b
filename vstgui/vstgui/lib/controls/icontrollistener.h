#pragma once

#include "../cbuttonstate.h"

namespace VSTGUI {

// Hears a control's value changes; the other notifications do nothing unless overridden.
class IControlListener
{
public:
	virtual ~IControlListener () noexcept = default;
	virtual void valueChanged (CControl* control) = 0;
	virtual int32_t controlModifierClicked (CControl* control, CButtonState button)
	{
		(void)control;
		(void)button;
		return 0;
	}
	virtual void controlBeginEdit (CControl* control) { (void)control; }
	virtual void controlEndEdit (CControl* control) { (void)control; }
	virtual void controlTagWillChange (CControl* control) { (void)control; }
	virtual void controlTagDidChange (CControl* control) { (void)control; }
};

} // namespace VSTGUI
