#include "adapters/aaxdescription.h"

#include "adapters/fourcc.h"
#include "entry/cids.h"

#include <cstring>

namespace {

using namespace chopwright;
using namespace chopwright::aax;

MidiPort noMidiPorts[] = {{nullptr, 0}};
Meter noMeters[] = {{nullptr, 0, 0, 0}};

PluginEntry plugins[] = {
    {"com.quillmarsh.chopwright.mono", "Chopwright", fourCharCode ("CHN1"), fourCharCode ("CHA1"), 1, 1, 0,
     noMidiPorts, nullptr, noMeters, 0},
    {"com.quillmarsh.chopwright.stereo", "Chopwright", fourCharCode ("CHN2"), fourCharCode ("CHA2"), 2, 2, 0,
     noMidiPorts, nullptr, noMeters, 0},
    {nullptr, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, 0},
};

EffectDescription description = {
    "Quillmarsh", "Chopwright", fourCharCode ("QMSH"), fourCharCode ("CHWR"), "Fx", {}, 1, nullptr, plugins};

} // namespace

chopwright::aax::EffectDescription* AAXWrapper_GetDescription ()
{
	std::memcpy (description.processorClass, Steinberg::Vst::kChopwrightProcessorUID.toTUID (),
	             sizeof (Steinberg::TUID));
	return &description;
}
