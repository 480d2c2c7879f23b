#pragma once

// What every fuzz target shares: the built bundle loaded once by path, a fresh plug-in
// instance per input, a reader that turns any input into hostile values, and checks that
// abort (libFuzzer reports an abort as a crash, with the input that caused it).
#include "hosting/host_context.h"
#include "hosting/module.h"
#include "hosting/plugin_instance.h"

#include "pluginterfaces/base/ibstream.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#define FUZZ_CHECK(condition) ::fuzz::check ((condition), #condition, __FILE__, __LINE__)

namespace fuzz {

void check (bool condition, const char* text, const char* file, int line);

// The bundle of this build, loaded with dlopen the first time (from LLVMFuzzerInitialize)
// and never unloaded.
std::shared_ptr<hosting::Module> bundle ();

// One instance as a host sets it up: component and controller initialised and connected
// through the host's proxies, the component state handed to the controller. The host offers
// a run loop, so the processor's level timer runs when the loop is advanced.
struct Session
{
	hosting::RunLoop runLoop;
	hosting::HostContext host {&runLoop};
	hosting::PluginInstance plugin {bundle (), &host};

	// The processor seeds rand () from the clock; reseeding makes every run of an input alike.
	Session () { std::srand (1); }
};

// A stream holding a copy of bytes, positioned at its start.
Steinberg::IPtr<Steinberg::IBStream> streamOf (const void* data, size_t size);
inline Steinberg::IPtr<Steinberg::IBStream> streamOf (const std::vector<char>& bytes)
{
	return streamOf (bytes.data (), bytes.size ());
}
// What getState writes; empty when it fails.
std::vector<char> stateOf (Steinberg::Vst::IComponent* component);
std::vector<char> stateOf (Steinberg::Vst::IEditController* controller);

// Reads an input front to back. Past the end every read gives zero, so every input is a
// complete script. Each hostile value starts with one selector byte: low selectors pick the
// edge cases hosts get wrong, most others a plain value, 255 the raw bytes that follow.
class Reader
{
public:
	Reader (const uint8_t* data, size_t size) : data (data), size (size) {}

	bool done () const { return position >= size; }
	uint8_t byte () { return position < size ? data[position++] : 0; }
	bool flag () { return (byte () & 1) != 0; }
	template <typename T>
	T raw ()
	{
		uint8_t bytes[sizeof (T)];
		for (auto& b : bytes)
			b = byte ();
		T value;
		std::memcpy (&value, bytes, sizeof (T));
		return value;
	}
	// Up to count bytes (fewer at the end of the input).
	std::vector<char> bytes (size_t count);

	// NaN, infinities, the float and double limits, signed zero, …; else a value in 0..1.
	double value ();
	// The 32-bit limits and -1; else 0..247.
	int32_t index ();
	// The five parameters and a few unknown ids below 8; else kNoParamId, 2^31 or raw.
	uint32_t paramId ();
	// A data size in bytes or code units: 0, 16,383, 16,384, 16,385, 70,000, …; else 0..244.
	uint32_t dataSize ();

private:
	const uint8_t* data;
	size_t size;
	size_t position {0};
};

} // namespace fuzz
