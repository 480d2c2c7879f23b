// The processor's setState and getState with arbitrary bytes, as a host restores a project or
// preset: a refused state changes nothing, getState always writes a whole record, and an
// accepted state reads back the same after being stored again.
#include "host.h"

#include "common/processorstate.h"

using namespace Steinberg;

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
	fuzz::Session session;
	Vst::IComponent* component = session.plugin.component ();

	const std::vector<char> before = fuzz::stateOf (component);
	const tresult result = component->setState (fuzz::streamOf (data, size));
	const std::vector<char> after = fuzz::stateOf (component);
	FUZZ_CHECK (after.size () == Vst::ProcessorState::kSize);
	if (result != kResultOk)
		FUZZ_CHECK (after == before);
	else
	{
		FUZZ_CHECK (component->setState (fuzz::streamOf (after)) == kResultOk);
		FUZZ_CHECK (fuzz::stateOf (component) == after);
	}

	FUZZ_CHECK (component->setState (nullptr) != kResultOk);
	FUZZ_CHECK (component->getState (nullptr) != kResultOk);
	FUZZ_CHECK (fuzz::stateOf (component) == after);
	return 0;
}
