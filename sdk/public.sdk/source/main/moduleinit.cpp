#include "public.sdk/source/main/moduleinit.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

namespace Steinberg {
namespace {

struct PrioritisedFunction
{
	ModuleInitPriority priority;
	ModuleInitFunction function;
};
using FunctionList = std::vector<PrioritisedFunction>;

struct ModuleState
{
	std::mutex listMutex; // guards the two lists
	FunctionList initializers;
	FunctionList terminators;

	std::mutex lifetimeMutex; // guards entryCount; held while initialisers/terminators run
	int entryCount {0};
	std::atomic<PlatformModuleHandle> handle {nullptr}; // atomic: readable from those functions
};

// Created on first use: registrations happen during static initialisation, in any order.
// Freed only when the library itself is unloaded or the process ends, after every static
// destructor: a host that unloads the module from its own exit handlers calls ModuleExit after
// this library's static objects are gone.
ModuleState* stateInstance = nullptr;

ModuleState& state ()
{
	static ModuleState* const instance = stateInstance = new ModuleState;
	return *instance;
}

__attribute__ ((destructor)) void freeModuleState () { delete stateInstance; }

void add (FunctionList& list, ModuleInitFunction&& func, ModuleInitPriority priority)
{
	if (!func)
		return;
	auto& s = state ();
	std::lock_guard<std::mutex> lock (s.listMutex);
	list.push_back ({priority, std::move (func)});
}

// Runs a snapshot of the list, taken under its lock, so the functions may register more.
// The lists are kept: a module entered again after its last exit initialises again.
void runInPriorityOrder (const FunctionList& list)
{
	FunctionList ordered;
	{
		std::lock_guard<std::mutex> lock (state ().listMutex);
		ordered = list;
	}
	std::stable_sort (ordered.begin (), ordered.end (),
	                  [] (const auto& a, const auto& b) { return a.priority < b.priority; });
	for (const auto& entry : ordered)
		entry.function ();
}

} // namespace

ModuleInitializer::ModuleInitializer (ModuleInitFunction&& func, ModuleInitPriority priority)
{
	add (state ().initializers, std::move (func), priority);
}

ModuleTerminator::ModuleTerminator (ModuleInitFunction&& func, ModuleInitPriority priority)
{
	add (state ().terminators, std::move (func), priority);
}

PlatformModuleHandle getPlatformModuleHandle () { return state ().handle.load (); }

namespace ModuleLifetime {

bool enter (PlatformModuleHandle handle)
{
	auto& s = state ();
	// Held while the initialisers run: a concurrent entry waits until the module is ready.
	std::lock_guard<std::mutex> lock (s.lifetimeMutex);
	if (++s.entryCount == 1)
	{
		s.handle = handle;
		runInPriorityOrder (s.initializers);
	}
	return true;
}

bool exit ()
{
	auto& s = state ();
	std::lock_guard<std::mutex> lock (s.lifetimeMutex);
	if (s.entryCount == 0)
		return false;
	if (--s.entryCount == 0)
	{
		runInPriorityOrder (s.terminators);
		s.handle = nullptr;
	}
	return true;
}

} // namespace ModuleLifetime
} // namespace Steinberg
