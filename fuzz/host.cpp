#include "host.h"

#include "public.sdk/source/common/memorystream.h"

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <limits>

using namespace Steinberg;

namespace fuzz {

void check (bool condition, const char* text, const char* file, int line)
{
	if (condition)
		return;
	std::fprintf (stderr, "%s:%d: fuzz check failed: %s\n", file, line, text);
	std::abort ();
}

std::shared_ptr<hosting::Module> bundle ()
{
	// Kept loaded for the life of the process, never unloaded from an exit handler: by then
	// the plug-in's own statics are gone and ModuleExit would touch destroyed objects.
	static const auto* module =
	    new std::shared_ptr<hosting::Module> (hosting::Module::load (CHOPWRIGHT_BUNDLE));
	return *module;
}

IPtr<IBStream> streamOf (const void* data, size_t size)
{
	auto stream = owned (new MemoryStream);
	stream->write (const_cast<void*> (data), static_cast<int32> (size), nullptr);
	stream->seek (0, IBStream::kIBSeekSet, nullptr);
	return stream;
}

namespace {
template <typename Object>
std::vector<char> readState (Object* object)
{
	auto stream = owned (new MemoryStream);
	if (object->getState (stream) != kResultOk)
		return {};
	return std::vector<char> (stream->getData (), stream->getData () + stream->getSize ());
}
} // namespace

std::vector<char> stateOf (Vst::IComponent* component) { return readState (component); }
std::vector<char> stateOf (Vst::IEditController* controller) { return readState (controller); }

std::vector<char> Reader::bytes (size_t count)
{
	const size_t n = std::min (count, size - std::min (position, size));
	std::vector<char> out (data + position, data + position + n);
	position += n;
	return out;
}

namespace {
constexpr uint8_t kRaw = 255;

constexpr double kInf = std::numeric_limits<double>::infinity ();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN ();
constexpr double kSpecialValues[] = {0.0,
                                     1.0,
                                     0.5,
                                     -0.0,
                                     -1.0,
                                     2.0,
                                     kNaN,
                                     -kNaN,
                                     kInf,
                                     -kInf,
                                     DBL_MAX,
                                     -DBL_MAX,
                                     FLT_MAX,
                                     -FLT_MAX,
                                     1.0e300,
                                     0x1p-1074,
                                     1.0 + DBL_EPSILON};
constexpr size_t kValueCount = sizeof (kSpecialValues) / sizeof (kSpecialValues[0]);

constexpr int32_t kSpecialIndices[] = {INT32_MIN, INT32_MIN + 1, -2, -1, INT32_MAX, INT32_MAX - 1, 65536};
constexpr size_t kIndexCount = sizeof (kSpecialIndices) / sizeof (kSpecialIndices[0]);

constexpr uint32_t kSpecialSizes[] = {0, 1, 16383, 16384, 16385, 70000, 127, 128, 255, 256, 257};
constexpr size_t kSizeCount = sizeof (kSpecialSizes) / sizeof (kSpecialSizes[0]);
constexpr uint32_t kMaxDataSize = 70000;
} // namespace

double Reader::value ()
{
	const uint8_t s = byte ();
	if (s == kRaw)
		return raw<double> ();
	if (s < kValueCount)
		return kSpecialValues[s];
	return static_cast<double> (s - kValueCount) / static_cast<double> (kRaw - 1 - kValueCount);
}

int32_t Reader::index ()
{
	const uint8_t s = byte ();
	if (s == kRaw)
		return raw<int32_t> ();
	if (s < kIndexCount)
		return kSpecialIndices[s];
	return static_cast<int32_t> (s - kIndexCount);
}

uint32_t Reader::paramId ()
{
	const uint8_t s = byte ();
	switch (s)
	{
		case kRaw:
			return raw<uint32_t> ();
		case kRaw - 1:
			return 0xFFFFFFFFu; // kNoParamId
		case kRaw - 2:
			return 0x80000000u;
		default:
			return s % 8u;
	}
}

uint32_t Reader::dataSize ()
{
	const uint8_t s = byte ();
	if (s == kRaw)
		return raw<uint32_t> () % (kMaxDataSize + 1);
	if (s < kSizeCount)
		return kSpecialSizes[s];
	return s - kSizeCount;
}

} // namespace fuzz

// Loads the bundle before the first input, so its coverage counters are known from the start.
extern "C" int LLVMFuzzerInitialize (int*, char***)
{
	fuzz::bundle ();
	return 0;
}
