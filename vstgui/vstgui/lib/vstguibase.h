// Basic types of the view library: integer aliases, counted references, messages.
#pragma once

#include <cstdint>
#include <utility>

namespace VSTGUI {

using int8 = int8_t;
using uint8 = uint8_t;
using int16 = int16_t;
using uint16 = uint16_t;
using int32 = int32_t;
using uint32 = uint32_t;
using int64 = int64_t;
using uint64 = uint64_t;

using IdStringPtr = const char*;
using UTF8StringPtr = const char*;

enum CMessageResult
{
	kMessageUnknown = 0,
	kMessageNotified = 1
};

// Counted references, single-threaded: a new object has count 1; forget () at count 1 deletes.
class IReference
{
public:
	virtual ~IReference () noexcept = default;
	virtual void remember () = 0;
	virtual void forget () = 0;
};

class NonAtomicReferenceCounted : virtual public IReference
{
public:
	NonAtomicReferenceCounted () = default;
	NonAtomicReferenceCounted (const NonAtomicReferenceCounted&) : nbReference (1) {}
	NonAtomicReferenceCounted& operator= (const NonAtomicReferenceCounted&) { return *this; }

	void remember () override { ++nbReference; }
	void forget () override
	{
		if (--nbReference == 0)
		{
			beforeDelete ();
			delete this;
		}
	}
	int32_t getNbReference () const { return nbReference; }

protected:
	virtual void beforeDelete () {}

private:
	int32_t nbReference {1};
};

class CBaseObject;

// The base of views, bitmaps, timers: counted, with a message hook.
class CBaseObject : public NonAtomicReferenceCounted
{
public:
	CBaseObject () = default;
	~CBaseObject () noexcept override = default;

	virtual CMessageResult notify (CBaseObject* sender, IdStringPtr message)
	{
		(void)sender;
		(void)message;
		return kMessageUnknown;
	}
	virtual CBaseObject* newCopy () const { return nullptr; }
};

#define CLASS_METHODS(name, parent)                                                                          \
	CBaseObject* newCopy () const override { return new name (*this); }

// Holds one counted reference to an object.
template <typename T>
class SharedPointer
{
public:
	SharedPointer () noexcept = default;
	SharedPointer (T* p, bool remember = true) noexcept : ptr (p)
	{
		if (ptr && remember)
			ptr->remember ();
	}
	SharedPointer (const SharedPointer& o) noexcept : SharedPointer (o.ptr) {}
	template <typename U>
	SharedPointer (const SharedPointer<U>& o) noexcept : SharedPointer (o.get ())
	{}
	SharedPointer (SharedPointer&& o) noexcept : ptr (std::exchange (o.ptr, nullptr)) {}
	~SharedPointer () noexcept
	{
		if (ptr)
			ptr->forget ();
	}
	SharedPointer& operator= (const SharedPointer& o) noexcept { return *this = o.ptr; }
	SharedPointer& operator= (SharedPointer&& o) noexcept
	{
		if (this != &o)
		{
			if (ptr)
				ptr->forget ();
			ptr = std::exchange (o.ptr, nullptr);
		}
		return *this;
	}
	SharedPointer& operator= (T* p) noexcept
	{
		if (p != ptr)
		{
			if (p)
				p->remember ();
			if (ptr)
				ptr->forget ();
			ptr = p;
		}
		return *this;
	}
	T* get () const noexcept { return ptr; }
	T* operator->() const noexcept { return ptr; }
	operator T* () const noexcept { return ptr; }

private:
	T* ptr {nullptr};
};

// Adopts the caller's reference.
template <typename T>
SharedPointer<T> owned (T* p) noexcept
{
	return SharedPointer<T> (p, false);
}
// Takes a reference of its own.
template <typename T>
SharedPointer<T> shared (T* p) noexcept
{
	return SharedPointer<T> (p, true);
}
template <typename T, typename... Args>
SharedPointer<T> makeOwned (Args&&... args)
{
	return owned (new T (std::forward<Args> (args)...));
}

} // namespace VSTGUI
