// The AAX description the plug-in hands the AAX adapter (the Avid library itself is not part
// of the Linux build): the record, its codes and its two plug-in variants.
#include "adapters/aaxdescription.h"
#include "adapters/fourcc.h"

#include "hosting/module.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace chopwright;

TEST (FourCharCode, PutsTheFirstCharacterInTheMostSignificantByte)
{
	EXPECT_EQ (fourCharCode ("chpw"), 0x63687077u);
	EXPECT_EQ (fourCharCode ("QMSH"), 0x514D5348u);
	static_assert (fourCharCode ("CHWR") == 0x43485752u);
}

TEST (AaxDescription, DescribesTheEffect)
{
	const aax::EffectDescription* description = AAXWrapper_GetDescription ();
	ASSERT_NE (description, nullptr);
	EXPECT_STREQ (description->manufacturer, "Quillmarsh");
	EXPECT_STREQ (description->product, "Chopwright");
	EXPECT_EQ (description->manufacturerId, fourCharCode ("QMSH"));
	EXPECT_EQ (description->productId, fourCharCode ("CHWR"));
	EXPECT_STREQ (description->category, "Fx");
	EXPECT_EQ (description->version, 1u);
	EXPECT_EQ (description->pageTableFile, nullptr);
}

TEST (AaxDescription, ListsAMonoAndAStereoVariantThenTheEnd)
{
	const aax::EffectDescription* description = AAXWrapper_GetDescription ();
	const aax::PluginEntry* plugins = description->plugins;
	ASSERT_NE (plugins, nullptr);
	struct Expected
	{
		const char* effectId;
		uint32_t native;
		uint32_t audioSuite;
		int32_t channels;
	};
	const Expected expected[] = {
	    {"com.quillmarsh.chopwright.mono", 0x43484E31, 0x43484131, 1},    // CHN1, CHA1
	    {"com.quillmarsh.chopwright.stereo", 0x43484E32, 0x43484132, 2}}; // CHN2, CHA2
	for (int i = 0; i < 2; ++i)
	{
		const aax::PluginEntry& entry = plugins[i];
		ASSERT_NE (entry.effectId, nullptr);
		EXPECT_STREQ (entry.effectId, expected[i].effectId);
		EXPECT_STREQ (entry.name, "Chopwright");
		EXPECT_EQ (entry.nativeTypeId, expected[i].native);
		EXPECT_EQ (entry.audioSuiteTypeId, expected[i].audioSuite);
		EXPECT_EQ (entry.inputChannels, expected[i].channels);
		EXPECT_EQ (entry.outputChannels, expected[i].channels);
		EXPECT_EQ (entry.sideChainInputChannels, 0);
		// MIDI ports and meters: empty lists; auxiliary outputs: none at all.
		ASSERT_NE (entry.midiPorts, nullptr);
		EXPECT_EQ (entry.midiPorts[0].name, nullptr);
		ASSERT_NE (entry.meters, nullptr);
		EXPECT_EQ (entry.meters[0].name, nullptr);
		EXPECT_EQ (entry.auxOutputs, nullptr);
		EXPECT_EQ (entry.latency, 0u);
	}
	EXPECT_EQ (plugins[2].effectId, nullptr);
}

TEST (AaxDescription, CarriesTheFactorysProcessorClassOnEveryRequest)
{
	// Class 0 of the built bundle's factory, as a host reads it.
	const auto classes = hosting::Module::load (CHOPWRIGHT_BUNDLE)->classes ();
	ASSERT_FALSE (classes.empty ());
	ASSERT_EQ (classes[0].category, "Audio Module Class");

	aax::EffectDescription* description = AAXWrapper_GetDescription ();
	EXPECT_EQ (std::memcmp (description->processorClass, classes[0].id.data (), 16), 0);
	std::memset (description->processorClass, 0, 16);
	description = AAXWrapper_GetDescription ();
	EXPECT_EQ (std::memcmp (description->processorClass, classes[0].id.data (), 16), 0);
	EXPECT_EQ (static_cast<unsigned char> (description->processorClass[0]), 0x5B);
}
