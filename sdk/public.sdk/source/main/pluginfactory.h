// Class factory a VST 3 module hands to the host through GetPluginFactory ().
#pragma once

#include "pluginterfaces/base/ipluginbase.h"

#include <atomic>
#include <vector>

namespace Steinberg {

class CPluginFactory : public IPluginFactory3
{
public:
	using CreateFunction = FUnknown* (*)(void* context);

	CPluginFactory (const PFactoryInfo& info);
	virtual ~CPluginFactory ();

	// Registration (not thread-safe: done once, before the factory is handed out).
	// Each returns false for a null info or create function.
	bool registerClass (const PClassInfo* info, CreateFunction createFunc, void* context = nullptr);
	bool registerClass (const PClassInfo2* info, CreateFunction createFunc, void* context = nullptr);
	bool registerClass (const PClassInfoW* info, CreateFunction createFunc, void* context = nullptr);
	bool isClassRegistered (const FUID& cid);
	void removeAllClasses ();

	// The context last given to setHostContext (), or nullptr.
	FUnknown* getHostContext () const { return hostContext; }

	//---IPluginFactory
	tresult PLUGIN_API getFactoryInfo (PFactoryInfo* info) SMTG_OVERRIDE;
	int32 PLUGIN_API countClasses () SMTG_OVERRIDE;
	tresult PLUGIN_API getClassInfo (int32 index, PClassInfo* info) SMTG_OVERRIDE;
	tresult PLUGIN_API createInstance (FIDString cid, FIDString iid, void** obj) SMTG_OVERRIDE;
	//---IPluginFactory2
	tresult PLUGIN_API getClassInfo2 (int32 index, PClassInfo2* info) SMTG_OVERRIDE;
	//---IPluginFactory3
	tresult PLUGIN_API getClassInfoUnicode (int32 index, PClassInfoW* info) SMTG_OVERRIDE;
	tresult PLUGIN_API setHostContext (FUnknown* context) SMTG_OVERRIDE;
	//---FUnknown
	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) SMTG_OVERRIDE;
	uint32 PLUGIN_API addRef () SMTG_OVERRIDE;
	uint32 PLUGIN_API release () SMTG_OVERRIDE;

protected:
	struct ClassEntry
	{
		PClassInfo2 ascii;   // valid only when !isUnicode
		PClassInfoW unicode; // always valid (converted for ASCII registrations)
		bool isUnicode;
		CreateFunction createFunc;
		void* context;
	};

	const ClassEntry* entryAt (int32 index) const;

	std::atomic<uint32> refCount {1};
	PFactoryInfo factoryInfo;
	std::vector<ClassEntry> classes;
	FUnknown* hostContext {nullptr}; // counted reference
};

// The module's factory: set by GetPluginFactory (), cleared when that factory is destroyed.
extern IPluginFactory* gPluginFactory;

} // namespace Steinberg

//------------------------------------------------------------------------
// Helpers to write GetPluginFactory (), used as with the SDK:
//   BEGIN_FACTORY_DEF (vendor, url, email)
//     DEF_CLASS2 (cid, cardinality, category, name, classFlags, subCategories, version,
//                 sdkVersion, createMethod)
//   END_FACTORY
// The first call creates the factory (the host owns that reference); later calls add one.
// pluginterfaces/vst/ivstcomponent.h defines BEGIN_FACTORY_DEF as well, with the same effect
// (Unicode flag); whichever is seen first is used.
#define BEGIN_FACTORY(vendor, url, email, flags)                                                             \
	using namespace Steinberg;                                                                               \
	SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory ()                                        \
	{                                                                                                        \
		if (!gPluginFactory)                                                                                 \
		{                                                                                                    \
			static PFactoryInfo factoryInfo (vendor, url, email, flags);                                     \
			gPluginFactory = new CPluginFactory (factoryInfo);

#ifndef BEGIN_FACTORY_DEF
#define BEGIN_FACTORY_DEF(vendor, url, email) BEGIN_FACTORY (vendor, url, email, PFactoryInfo::kUnicode)
#endif

#define DEF_CLASS(cid, cardinality, category, name, createMethod)                                            \
	{                                                                                                        \
		TUID classId = cid;                                                                                  \
		PClassInfo classInfo (classId, cardinality, category, name);                                         \
		static_cast<CPluginFactory*> (gPluginFactory)->registerClass (&classInfo, createMethod);             \
	}

#define DEF_CLASS1(cid, cardinality, category, name, createMethod)                                           \
	DEF_CLASS (INLINE_UID_FROM_FUID (cid), cardinality, category, name, createMethod)

#define DEF_CLASS2(cid, cardinality, category, name, classFlags, subCategories, version, sdkVersion,         \
                   createMethod)                                                                             \
	{                                                                                                        \
		TUID classId = cid;                                                                                  \
		PClassInfo2 classInfo (classId, cardinality, category, name, classFlags, subCategories, nullptr,     \
		                       version, sdkVersion);                                                         \
		static_cast<CPluginFactory*> (gPluginFactory)->registerClass (&classInfo, createMethod);             \
	}

#define DEF_CLASS_W(cid, cardinality, category, name, classFlags, subCategories, version, sdkVersion,        \
                    createMethod)                                                                            \
	{                                                                                                        \
		TUID classId = cid;                                                                                  \
		PClassInfoW classInfo (classId, cardinality, category, name, classFlags, subCategories, nullptr,     \
		                       version, sdkVersion);                                                         \
		static_cast<CPluginFactory*> (gPluginFactory)->registerClass (&classInfo, createMethod);             \
	}

#define END_FACTORY                                                                                          \
	}                                                                                                        \
	else gPluginFactory->addRef ();                                                                          \
	return gPluginFactory;                                                                                   \
	}
