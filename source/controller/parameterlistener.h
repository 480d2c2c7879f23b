#pragma once

#include "base/source/fobject.h"

class ChopwrightEditor;

namespace Steinberg {
namespace Vst {

// Carries changes of the controller's parameters to the open editor: the editor adds it as a
// dependent of each parameter while it is open, and the parameters call update synchronously.
class ParameterListener : public FObject
{
public:
	ParameterListener () = default;
	// Leaves no registration behind on any object, whoever forgot to remove it.
	~ParameterListener () override;

	// Null while the editor is closed.
	void setEditor (ChopwrightEditor* newEditor) { editor = newEditor; }

	void PLUGIN_API update (FUnknown* changedUnknown, int32 message) override;

	OBJ_METHODS (ParameterListener, FObject)

private:
	ChopwrightEditor* editor {nullptr};
};

} // namespace Vst
} // namespace Steinberg
