#pragma once

// Counts allocations made while `insideProcess` is set, by replacing the global allocation
// functions. Include it in exactly one file of a test program.
#include <atomic>
#include <cstdlib>
#include <new>

namespace {
thread_local bool insideProcess = false;
std::atomic<int> allocationsInProcess {0};

void* allocate (std::size_t size)
{
	if (insideProcess)
		++allocationsInProcess;
	if (void* p = std::malloc (size ? size : 1))
		return p;
	throw std::bad_alloc ();
}
} // namespace

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
// The library's temporary buffers (std::stable_sort) take the no-throw forms.
void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
	return std::malloc (size ? size : 1);
}
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept
{
	return std::malloc (size ? size : 1);
}
void operator delete (void* p) noexcept { std::free (p); }
void operator delete[] (void* p) noexcept { std::free (p); }
void operator delete (void* p, std::size_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t) noexcept { std::free (p); }
