#include "controller/parameterlistener.h"

#include "editor/chopwrighteditor.h"

#include "public.sdk/source/vst/vstparameters.h"

namespace Steinberg {
namespace Vst {

ParameterListener::~ParameterListener ()
{
	if (IUpdateHandler* handler = getUpdateHandler ())
		handler->removeDependent (nullptr, this);
}

void PLUGIN_API ParameterListener::update (FUnknown* changedUnknown, int32 message)
{
	if (message != kChanged || !changedUnknown)
		return;
	auto* parameter = FCast<Parameter> (changedUnknown);
	if (parameter && editor)
		editor->updateParameter (parameter->getInfo ().id, static_cast<float> (parameter->getNormalized ()));
}

} // namespace Vst
} // namespace Steinberg
