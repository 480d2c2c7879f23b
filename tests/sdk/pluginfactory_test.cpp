#include "public.sdk/source/main/pluginfactory.h"

#include "base/source/fobject.h"
#include "base/source/timer.h"
#include "test_objects.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace SdkTest {
namespace {

// A created class: counts live instances and answers IPluginBase.
class Probe : public FObject, public IPluginBase
{
public:
	Probe () { ++alive; }
	~Probe () override { --alive; }
	tresult PLUGIN_API initialize (FUnknown*) override { return kResultOk; }
	tresult PLUGIN_API terminate () override { return kResultOk; }
	OBJ_METHODS (Probe, FObject)
	DEF_INTERFACES_1 (IPluginBase, FObject)
	REFCOUNT_METHODS (FObject)

	static inline int alive = 0;
	static inline void* lastContext = nullptr;
	static FUnknown* create (void* context)
	{
		lastContext = context;
		return static_cast<IPluginBase*> (new Probe);
	}
	static FUnknown* createNothing (void*) { return nullptr; }
};

const FUID asciiId (0x11111111, 0x22222222, 0x33333333, 0x44444444);
const FUID ascii2Id (0x55555555, 0x66666666, 0x77777777, 0x88888888);
const FUID unicodeId (0x99999999, 0xAAAAAAAA, 0xBBBBBBBB, 0xCCCCCCCC);
const FUID unknownId (0x01020304, 0x05060708, 0x090A0B0C, 0x0D0E0F10);

class PluginFactoryTest : public ::testing::Test
{
protected:
	void SetUp () override
	{
		Probe::alive = 0;
		PClassInfo info (asciiId, PClassInfo::kManyInstances, "Audio Module Class", "Ascii One");
		ASSERT_TRUE (factory->registerClass (&info, Probe::create, &contextTag));
		PClassInfo2 info2 (ascii2Id, 1, "Component Controller Class", "Ascii Two", 7, "Fx|Delay",
		                   "Chopwright", "1.3.0.1", "VST 3.7.2");
		ASSERT_TRUE (factory->registerClass (&info2, Probe::create));
		PClassInfoW infoW (unicodeId, PClassInfo::kManyInstances, "Audio Module Class", u"Wide \u00e9", 3,
		                   "Fx", u"Vendor \u00e9", u"2.0", u"VST 3.7.2");
		ASSERT_TRUE (factory->registerClass (&infoW, Probe::create));
	}
	void TearDown () override
	{
		if (factory)
		{
			EXPECT_EQ (factory->release (), 0u);
		}
		EXPECT_EQ (Probe::alive, 0);
	}

	// Garbage-filled, to see which fields an answer clears or sets.
	template <typename Info>
	static Info dirty ()
	{
		Info info;
		std::memset (static_cast<void*> (&info), 0x5A, sizeof (Info));
		return info;
	}
	template <typename Info>
	static bool isCleared (const Info& info)
	{
		const Info zero {};
		return std::memcmp (&info, &zero, sizeof (Info)) == 0;
	}

	int contextTag = 0;
	CPluginFactory* factory = new CPluginFactory (
	    PFactoryInfo ("Chopwright", "https://example.org", "dev@example.org", PFactoryInfo::kUnicode));
};

TEST_F (PluginFactoryTest, ReportsFactoryInfoAndClassCount)
{
	PFactoryInfo info = dirty<PFactoryInfo> ();
	EXPECT_EQ (factory->getFactoryInfo (&info), kResultOk);
	EXPECT_STREQ (info.vendor, "Chopwright");
	EXPECT_STREQ (info.url, "https://example.org");
	EXPECT_STREQ (info.email, "dev@example.org");
	EXPECT_EQ (info.flags, PFactoryInfo::kUnicode);
	EXPECT_EQ (factory->countClasses (), 3);
}

TEST_F (PluginFactoryTest, RejectsIncompleteRegistrations)
{
	PClassInfo info (unknownId, 1, "Audio Module Class", "x");
	EXPECT_FALSE (factory->registerClass (&info, nullptr));
	EXPECT_FALSE (factory->registerClass (static_cast<const PClassInfo*> (nullptr), Probe::create));
	EXPECT_EQ (factory->countClasses (), 3);
}

TEST_F (PluginFactoryTest, AsciiInfoAnswersAsciiRegistrationsOnly)
{
	PClassInfo info = dirty<PClassInfo> ();
	ASSERT_EQ (factory->getClassInfo (0, &info), kResultOk);
	EXPECT_TRUE (asciiId == FUID::fromTUID (info.cid));
	EXPECT_EQ (info.cardinality, PClassInfo::kManyInstances);
	EXPECT_STREQ (info.category, "Audio Module Class");
	EXPECT_STREQ (info.name, "Ascii One");

	ASSERT_EQ (factory->getClassInfo (1, &info), kResultOk);
	EXPECT_STREQ (info.name, "Ascii Two");

	info = dirty<PClassInfo> ();
	EXPECT_EQ (factory->getClassInfo (2, &info), kResultFalse); // registered in Unicode form
	EXPECT_TRUE (isCleared (info));

	EXPECT_EQ (factory->getClassInfo (3, &info), kInvalidArgument);
	EXPECT_EQ (factory->getClassInfo (-1, &info), kInvalidArgument);
	EXPECT_EQ (factory->getClassInfo (0, nullptr), kInvalidArgument);
}

TEST_F (PluginFactoryTest, AsciiInfo2WidensVersion1RegistrationsWithEmptyExtras)
{
	PClassInfo2 info = dirty<PClassInfo2> ();
	ASSERT_EQ (factory->getClassInfo2 (0, &info), kResultOk);
	EXPECT_STREQ (info.name, "Ascii One");
	EXPECT_EQ (info.classFlags, 0u);
	EXPECT_STREQ (info.subCategories, "");
	EXPECT_STREQ (info.vendor, "");
	EXPECT_STREQ (info.sdkVersion, "");

	ASSERT_EQ (factory->getClassInfo2 (1, &info), kResultOk);
	EXPECT_TRUE (ascii2Id == FUID::fromTUID (info.cid));
	EXPECT_EQ (info.cardinality, 1);
	EXPECT_STREQ (info.category, "Component Controller Class");
	EXPECT_EQ (info.classFlags, 7u);
	EXPECT_STREQ (info.subCategories, "Fx|Delay");
	EXPECT_STREQ (info.vendor, "Chopwright");
	EXPECT_STREQ (info.version, "1.3.0.1");
	EXPECT_STREQ (info.sdkVersion, "VST 3.7.2");

	info = dirty<PClassInfo2> ();
	EXPECT_EQ (factory->getClassInfo2 (2, &info), kResultFalse);
	EXPECT_TRUE (isCleared (info));
	EXPECT_EQ (factory->getClassInfo2 (3, &info), kInvalidArgument);
}

TEST_F (PluginFactoryTest, UnicodeInfoAnswersEveryClassConvertingAscii)
{
	PClassInfoW info = dirty<PClassInfoW> ();
	ASSERT_EQ (factory->getClassInfoUnicode (1, &info), kResultOk);
	EXPECT_TRUE (ascii2Id == FUID::fromTUID (info.cid));
	EXPECT_EQ (info.cardinality, 1);
	EXPECT_STREQ (info.category, "Component Controller Class");
	EXPECT_EQ (std::u16string (info.name), u"Ascii Two");
	EXPECT_EQ (info.classFlags, 7u);
	EXPECT_STREQ (info.subCategories, "Fx|Delay");
	EXPECT_EQ (std::u16string (info.vendor), u"Chopwright");
	EXPECT_EQ (std::u16string (info.version), u"1.3.0.1");
	EXPECT_EQ (std::u16string (info.sdkVersion), u"VST 3.7.2");

	ASSERT_EQ (factory->getClassInfoUnicode (0, &info), kResultOk);
	EXPECT_EQ (std::u16string (info.name), u"Ascii One");
	EXPECT_EQ (std::u16string (info.vendor), u"");

	ASSERT_EQ (factory->getClassInfoUnicode (2, &info), kResultOk);
	EXPECT_TRUE (unicodeId == FUID::fromTUID (info.cid));
	EXPECT_EQ (std::u16string (info.name), u"Wide \u00e9");
	EXPECT_EQ (std::u16string (info.vendor), u"Vendor \u00e9");
	EXPECT_EQ (info.classFlags, 3u);

	EXPECT_EQ (factory->getClassInfoUnicode (3, &info), kInvalidArgument);
	EXPECT_EQ (factory->getClassInfoUnicode (0, nullptr), kInvalidArgument);
}

TEST_F (PluginFactoryTest, KnowsRegisteredClassesUntilRemoved)
{
	EXPECT_TRUE (factory->isClassRegistered (asciiId));
	EXPECT_TRUE (factory->isClassRegistered (unicodeId));
	EXPECT_FALSE (factory->isClassRegistered (unknownId));
	factory->removeAllClasses ();
	EXPECT_EQ (factory->countClasses (), 0);
	EXPECT_FALSE (factory->isClassRegistered (asciiId));
	void* obj = &contextTag;
	EXPECT_EQ (factory->createInstance (asciiId, IPluginBase::iid, &obj), kNoInterface);
	EXPECT_EQ (obj, nullptr);
}

TEST_F (PluginFactoryTest, CreateInstanceHandsOverExactlyOneReference)
{
	void* obj = nullptr;
	ASSERT_EQ (factory->createInstance (asciiId, IPluginBase::iid, &obj), kResultOk);
	ASSERT_NE (obj, nullptr);
	EXPECT_EQ (Probe::lastContext, &contextTag);
	EXPECT_EQ (Probe::alive, 1);
	EXPECT_EQ (static_cast<IPluginBase*> (obj)->release (), 0u); // creation reference was dropped
	EXPECT_EQ (Probe::alive, 0);

	ASSERT_EQ (factory->createInstance (unicodeId, FUnknown::iid, &obj), kResultOk);
	static_cast<FUnknown*> (obj)->release ();
	EXPECT_EQ (Probe::alive, 0);
}

TEST_F (PluginFactoryTest, CreateInstanceWithUnansweredInterfaceDestroysTheInstance)
{
	void* obj = &contextTag;
	EXPECT_EQ (factory->createInstance (asciiId, IPluginFactory::iid, &obj), kNoInterface);
	EXPECT_EQ (obj, nullptr);
	EXPECT_EQ (Probe::alive, 0);
}

TEST_F (PluginFactoryTest, CreateInstanceOfUnknownOrFailingClassAnswersNoInterface)
{
	Probe::lastContext = nullptr;
	void* obj = &contextTag;
	EXPECT_EQ (factory->createInstance (unknownId, IPluginBase::iid, &obj), kNoInterface);
	EXPECT_EQ (obj, nullptr);
	EXPECT_EQ (Probe::lastContext, nullptr); // nothing was created

	PClassInfo info (unknownId, 1, "Audio Module Class", "Fails");
	ASSERT_TRUE (factory->registerClass (&info, Probe::createNothing));
	obj = &contextTag;
	EXPECT_EQ (factory->createInstance (unknownId, IPluginBase::iid, &obj), kNoInterface);
	EXPECT_EQ (obj, nullptr);
}

TEST_F (PluginFactoryTest, AnswersFactoryInterfacesWithCountedReferences)
{
	for (const auto* iid :
	     {&IPluginFactory::iid, &IPluginFactory2::iid, &IPluginFactory3::iid, &FUnknown::iid})
	{
		void* obj = nullptr;
		ASSERT_EQ (factory->queryInterface (*iid, &obj), kResultOk);
		EXPECT_EQ (obj, static_cast<IPluginFactory3*> (factory));
		EXPECT_EQ (factory->release (), 1u);
	}
	void* obj = &contextTag;
	EXPECT_EQ (factory->queryInterface (IPluginBase::iid, &obj), kNoInterface);
	EXPECT_EQ (obj, nullptr);
	EXPECT_EQ (factory->addRef (), 2u);
	EXPECT_EQ (factory->release (), 1u);
}

TEST_F (PluginFactoryTest, DestructionClearsGlobalFactoryOnlyWhenItIsThatFactory)
{
	auto* other = new CPluginFactory (PFactoryInfo ());
	gPluginFactory = factory;
	EXPECT_EQ (other->release (), 0u);
	EXPECT_EQ (gPluginFactory, factory);

	EXPECT_EQ (factory->release (), 0u);
	factory = nullptr;
	EXPECT_EQ (gPluginFactory, nullptr);
}

TEST_F (PluginFactoryTest, HostContextIsCountedReplacedAndOfferedAsRunLoop)
{
	struct Callback : ITimerCallback
	{
		void onTimer (Timer*) override { ++calls; }
		int calls = 0;
	} callback;
	FakeRunLoop first, second;
	PlainObject noRunLoop;
	Timer* timer = Timer::create (&callback, 10);

	EXPECT_EQ (factory->setHostContext (&first), kResultOk);
	EXPECT_EQ (factory->getHostContext (), &first);
	EXPECT_EQ (first.timerCount (), 1u);
	first.fire ();
	EXPECT_EQ (callback.calls, 1);

	EXPECT_EQ (factory->setHostContext (&second), kResultOk); // replaces: timers move along
	EXPECT_EQ (first.refCount (), 1u);
	EXPECT_EQ (first.timerCount (), 0u);
	EXPECT_EQ (second.timerCount (), 1u);

	EXPECT_EQ (factory->setHostContext (&noRunLoop), kResultOk);
	EXPECT_EQ (second.refCount (), 1u);
	EXPECT_EQ (second.timerCount (), 0u);
	EXPECT_EQ (noRunLoop.refCount (), 2u);

	EXPECT_EQ (factory->setHostContext (nullptr), kResultOk);
	EXPECT_EQ (noRunLoop.refCount (), 1u);
	EXPECT_EQ (factory->getHostContext (), nullptr);

	factory->setHostContext (&first); // the factory's end lets go as well
	EXPECT_EQ (factory->release (), 0u);
	factory = nullptr;
	EXPECT_EQ (first.refCount (), 1u);
	EXPECT_EQ (first.timerCount (), 0u);
	timer->release ();
}

} // namespace
} // namespace SdkTest
