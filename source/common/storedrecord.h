#pragma once

#include <cstdint>
#include <cstring>

namespace chopwright {

// The processor's stored state, as hosts keep it in projects and presets (the VST 3 state, which
// the controller reads too, and the LV2 state): 22 bytes, little-endian: version (64-bit, 1),
// Break, SliceSize and GateSize (32-bit floats, normalised values as received: SliceSize 0, 0.5
// or 1), bypass (16-bit, 0 or 1; any other value reads as 1). Plain C++, for every format.
struct StoredRecord
{
	static constexpr int64_t kVersion = 1;
	static constexpr uint32_t kSize = 22;

	float breakValue {0.0f};
	float sliceSize {0.5f};
	float gateSize {1.0f};
	bool bypass {false};

	void write (uint8_t (&bytes)[kSize]) const
	{
		putLittle (bytes, static_cast<uint64_t> (kVersion), 8);
		putLittle (bytes + 8, bitsOf (breakValue), 4);
		putLittle (bytes + 12, bitsOf (sliceSize), 4);
		putLittle (bytes + 16, bitsOf (gateSize), 4);
		putLittle (bytes + 20, bypass ? 1u : 0u, 2);
	}

	// False for a record of another size or version; this record is then left as it was.
	bool read (const void* data, uint32_t size)
	{
		if (!data || size != kSize)
			return false;
		const auto* bytes = static_cast<const uint8_t*> (data);
		if (getLittle (bytes, 8) != static_cast<uint64_t> (kVersion))
			return false;
		breakValue = floatOf (getLittle (bytes + 8, 4));
		sliceSize = floatOf (getLittle (bytes + 12, 4));
		gateSize = floatOf (getLittle (bytes + 16, 4));
		bypass = getLittle (bytes + 20, 2) != 0; // as the VST 3 side reads a bool
		return true;
	}

private:
	static uint64_t bitsOf (float value)
	{
		uint32_t bits = 0;
		std::memcpy (&bits, &value, sizeof bits);
		return bits;
	}
	static float floatOf (uint64_t bits)
	{
		const auto narrow = static_cast<uint32_t> (bits);
		float value = 0.0f;
		std::memcpy (&value, &narrow, sizeof value);
		return value;
	}
	static void putLittle (uint8_t* target, uint64_t value, int count)
	{
		for (int i = 0; i < count; ++i)
			target[i] = static_cast<uint8_t> (value >> (8 * i));
	}
	static uint64_t getLittle (const uint8_t* source, int count)
	{
		uint64_t value = 0;
		for (int i = 0; i < count; ++i)
			value |= static_cast<uint64_t> (source[i]) << (8 * i);
		return value;
	}
};

} // namespace chopwright
