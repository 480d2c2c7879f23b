#pragma once

#include "vstguifwd.h"

namespace VSTGUI {

// A view that draws its own focus indicator along a path.
class IFocusDrawing
{
public:
	virtual ~IFocusDrawing () noexcept = default;
	virtual bool drawFocusOnTop () = 0;
	virtual bool getFocusPath (CGraphicsPath& outPath) = 0;
};

} // namespace VSTGUI
