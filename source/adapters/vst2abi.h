#pragma once

// The VST 2 binary interface as Linux hosts use it, declared from its public description: the
// effect record a plug-in hands out, the two callback directions, and the opcodes, flags and
// time-information fields the adapter answers or reads. Values and layout are fixed by hosts.

#include <cstddef>
#include <cstdint>

namespace vst2 {

struct Effect;

// The host's callback and the effect's dispatcher share one signature.
using Callback = intptr_t (*) (Effect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                               float opt);
using ProcessFloat = void (*) (Effect* effect, float** inputs, float** outputs, int32_t frames);
using ProcessDouble = void (*) (Effect* effect, double** inputs, double** outputs, int32_t frames);
using SetParameter = void (*) (Effect* effect, int32_t index, float value);
using GetParameter = float (*) (Effect* effect, int32_t index);

struct Effect
{
	int32_t magic; // kEffectMagic
	Callback dispatcher;
	ProcessFloat process; // the accumulating call of the first version; unused today
	SetParameter setParameter;
	GetParameter getParameter;
	int32_t numPrograms;
	int32_t numParams;
	int32_t numInputs;
	int32_t numOutputs;
	int32_t flags;
	intptr_t reserved1;
	intptr_t reserved2;
	int32_t initialDelay;
	int32_t realQualities; // unused
	int32_t offQualities;  // unused
	float ioRatio;         // unused
	void* object;          // the plug-in's own pointer
	void* user;            // the host's
	int32_t uniqueID;
	int32_t version;
	ProcessFloat processReplacing;
	ProcessDouble processDoubleReplacing;
	char future[56];
};

static_assert (sizeof (void*) != 8 || (offsetof (Effect, object) == 96 &&
                                       offsetof (Effect, processReplacing) == 120 && sizeof (Effect) == 192),
               "the 64-bit layout hosts expect");

constexpr int32_t kEffectMagic = 0x56737450; // "VstP"

// Effect flags.
constexpr int32_t effFlagsHasEditor = 1 << 0;
constexpr int32_t effFlagsCanReplacing = 1 << 4;
constexpr int32_t effFlagsProgramChunks = 1 << 5;
constexpr int32_t effFlagsCanDoubleReplacing = 1 << 12;

// Dispatcher opcodes (host to effect).
enum EffectOpcode : int32_t
{
	effOpen = 0,
	effClose = 1,
	effSetProgram = 2,
	effGetProgram = 3,
	effGetProgramName = 5,
	effGetParamLabel = 6,
	effGetParamDisplay = 7,
	effGetParamName = 8,
	effSetSampleRate = 10,
	effSetBlockSize = 11,
	effMainsChanged = 12,
	effEditGetRect = 13,
	effEditOpen = 14,
	effEditClose = 15,
	effEditIdle = 19,
	effGetChunk = 23,
	effSetChunk = 24,
	effCanBeAutomated = 26,
	effGetProgramNameIndexed = 29,
	effGetPlugCategory = 35,
	effGetEffectName = 45,
	effGetVendorString = 47,
	effGetProductString = 48,
	effGetVendorVersion = 49,
	effCanDo = 51,
	effGetTailSize = 52,
	effGetVstVersion = 58,
	effSetProcessPrecision = 77,
};

// Callback opcodes (effect to host).
enum HostOpcode : int32_t
{
	audioMasterAutomate = 0,
	audioMasterVersion = 1,
	audioMasterGetTime = 7,
	audioMasterIOChanged = 13,
	audioMasterSizeWindow = 15,
	audioMasterUpdateDisplay = 42,
	audioMasterBeginEdit = 43,
	audioMasterEndEdit = 44,
};

constexpr int32_t kPlugCategEffect = 1;
constexpr int32_t kProcessPrecision64 = 1; // effSetProcessPrecision's value; 0 is 32-bit

// Text lengths, terminator included.
constexpr size_t kEffectNameBytes = 32;
constexpr size_t kVendorBytes = 64;
constexpr size_t kProgramNameBytes = 24;

// The editor's rectangle, handed out by pointer (effEditGetRect).
struct Rect
{
	int16_t top;
	int16_t left;
	int16_t bottom;
	int16_t right;
};

// What audioMasterGetTime returns. A field is valid only with its flag; the sample position
// and the sample rate always are.
struct TimeInfo
{
	double samplePos;
	double sampleRate;
	double nanoSeconds;
	double ppqPos; // musical position in quarter notes
	double tempo;  // beats per minute
	double barStartPos;
	double cycleStartPos;
	double cycleEndPos;
	int32_t timeSigNumerator;
	int32_t timeSigDenominator;
	int32_t smpteOffset;
	int32_t smpteFrameRate;
	int32_t samplesToNextClock;
	int32_t flags;
};

static_assert (sizeof (TimeInfo) == 88, "the layout hosts expect");

// TimeInfo flags: transport state, then the validity of fields.
constexpr int32_t kVstTransportPlaying = 1 << 1;
constexpr int32_t kVstTransportCycleActive = 1 << 2;
constexpr int32_t kVstTransportRecording = 1 << 3;
constexpr int32_t kVstNanosValid = 1 << 8;
constexpr int32_t kVstPpqPosValid = 1 << 9;
constexpr int32_t kVstTempoValid = 1 << 10;
constexpr int32_t kVstBarsValid = 1 << 11;
constexpr int32_t kVstCyclePosValid = 1 << 12;
constexpr int32_t kVstTimeSigValid = 1 << 13;

} // namespace vst2
