#pragma once

#include "pluginterfaces/base/ftypes.h"

namespace Steinberg {
namespace Vst {

// What the controller needs of its open editor: whether it is showing, and where the
// processor's level bytes go.
class EditorLink
{
public:
	virtual ~EditorLink () = default;
	virtual bool isOpen () const = 0;
	virtual void setScopeData (const int8* data, int32 length) = 0;
};

} // namespace Vst
} // namespace Steinberg
