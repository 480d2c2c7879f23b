#pragma once

#include "../cview.h"
#include "../ifocusdrawing.h"
#include "icontrollistener.h"

namespace VSTGUI {

// A view with a tag, a listener and a float value (minimum 0, maximum 1, default 0.5).
// It is dirty while its value differs from the value it last drew.
class CControl : public CView, public IFocusDrawing
{
public:
	CControl (const CRect& size, IControlListener* listener = nullptr, int32_t tag = 0,
	          CBitmap* background = nullptr);
	CControl (const CControl& other);

	// Stores the value limited to minimum..maximum; no notification.
	virtual void setValue (float val);
	virtual float getValue () const { return value; }
	virtual void setValueNormalized (float val);
	virtual float getValueNormalized () const;
	virtual void setMin (float val) { vmin = val; }
	virtual float getMin () const { return vmin; }
	virtual void setMax (float val) { vmax = val; }
	virtual float getMax () const { return vmax; }
	float getRange () const { return vmax - vmin; }
	virtual void setDefaultValue (float val) { defaultValue = val; }
	virtual float getDefaultValue () const { return defaultValue; }

	virtual void setTag (int32_t val);
	virtual int32_t getTag () const { return tag; }
	virtual void setListener (IControlListener* l) { listener = l; }
	IControlListener* getListener () const { return listener; }

	// Edits nest: the first beginEdit and the last endEdit reach the listener and, through the
	// frame, the editor. An endEdit without an open edit is ignored.
	virtual void beginEdit ();
	virtual void endEdit ();
	bool isEditing () const { return editCount > 0; }
	int32_t getEditCount () const { return editCount; }
	// Tells the listener the value changed.
	virtual void valueChanged ();

	void setDirty (bool state = true) override;
	bool isDirty () const override;

	bool drawFocusOnTop () override { return true; }
	bool getFocusPath (CGraphicsPath& outPath) override;

protected:
	~CControl () noexcept override = default;

	IControlListener* listener;
	int32_t tag;
	float value {0.f};
	float vmin {0.f};
	float vmax {1.f};
	float defaultValue {0.5f};
	float oldValue {1.f};
	int32_t editCount {0};
};

} // namespace VSTGUI
