#pragma once

// A VST 2 host for the tests: answers the callback (version, time information, window size),
// records what the effect reports (automation, edits), and drives the effect's entries.

#include "adapters/vst2abi.h"

#include <string>
#include <vector>

class Vst2TestHost
{
public:
	struct Call
	{
		int32_t opcode;
		int32_t index;
		intptr_t value;
		float opt;
	};

	// The callback has no user pointer before the effect exists: one host serves at a time.
	Vst2TestHost () { current = this; }
	~Vst2TestHost () { current = nullptr; }

	// Null: audioMasterGetTime answers nothing, as a host without a transport.
	vst2::TimeInfo* time {nullptr};
	intptr_t version {2400};
	intptr_t sizeWindowAnswer {1};
	std::vector<Call> calls; // everything but the version and time queries

	static intptr_t callback (vst2::Effect*, int32_t opcode, int32_t index, intptr_t value, void*, float opt)
	{
		Vst2TestHost* host = current;
		if (!host)
			return 0;
		switch (opcode)
		{
			case vst2::audioMasterVersion:
				return host->version;
			case vst2::audioMasterGetTime:
				return reinterpret_cast<intptr_t> (host->time);
			case vst2::audioMasterSizeWindow:
				host->calls.push_back ({opcode, index, value, opt});
				return host->sizeWindowAnswer;
			default:
				host->calls.push_back ({opcode, index, value, opt});
				return 0;
		}
	}

	static intptr_t dispatch (vst2::Effect* effect, int32_t opcode, int32_t index = 0, intptr_t value = 0,
	                          void* ptr = nullptr, float opt = 0.0f)
	{
		return effect->dispatcher (effect, opcode, index, value, ptr, opt);
	}

	// A text opcode's answer, in a buffer as large as hosts pass.
	static std::string text (vst2::Effect* effect, int32_t opcode, int32_t index = 0)
	{
		char buffer[256] = {};
		dispatch (effect, opcode, index, 0, buffer);
		return buffer;
	}

	static void resume (vst2::Effect* effect, float sampleRate, int32_t blockSize)
	{
		dispatch (effect, vst2::effSetSampleRate, 0, 0, nullptr, sampleRate);
		dispatch (effect, vst2::effSetBlockSize, 0, blockSize);
		dispatch (effect, vst2::effMainsChanged, 0, 1);
	}

private:
	static inline Vst2TestHost* current = nullptr;
};

// A playing 4/4 transport at `tempo` that the test moves block by block.
struct PlayingTransport
{
	vst2::TimeInfo info {};

	PlayingTransport (double sampleRate, double tempo)
	{
		info.sampleRate = sampleRate;
		info.tempo = tempo;
		info.timeSigNumerator = 4;
		info.timeSigDenominator = 4;
		info.flags = vst2::kVstTransportPlaying | vst2::kVstTempoValid | vst2::kVstPpqPosValid |
		             vst2::kVstBarsValid | vst2::kVstTimeSigValid;
	}

	void moveTo (double samplePos)
	{
		info.samplePos = samplePos;
		info.ppqPos = samplePos * info.tempo / (60.0 * info.sampleRate);
		info.barStartPos = 4.0 * static_cast<int64_t> (info.ppqPos / 4.0);
	}
};
