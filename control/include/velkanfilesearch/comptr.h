#pragma once

// An owning pointer to a reference-counted interface: one reference per ComPtr.

#include "velkancom.h"

#include <cstddef>
#include <utility>

namespace velkan::com {

/// An owning pointer to a reference-counted interface T: one reference per ComPtr, released
/// when it goes.
template <class T> class ComPtr {
public:
    /// Holds nothing.
    ComPtr() = default;
    /// Holds nothing, so that nullptr converts.
    ComPtr(std::nullptr_t) {}
    /// Takes a reference of its own.
    explicit ComPtr(T* pointer) : m_pointer(pointer)
    {
        if (m_pointer != nullptr) {
            m_pointer->AddRef();
        }
    }
    /// A reference of its own to what other holds.
    ComPtr(const ComPtr& other) : ComPtr(other.m_pointer) {}
    /// Takes other's reference; other holds nothing afterwards.
    ComPtr(ComPtr&& other) noexcept : m_pointer(std::exchange(other.m_pointer, nullptr)) {}
    /// Releases what it held and takes a reference to what other holds.
    ComPtr& operator=(const ComPtr& other)
    {
        ComPtr(other).Swap(*this);
        return *this;
    }
    /// Releases what it held and takes other's reference.
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }
    ~ComPtr() { Reset(); }

    /// Takes over a reference the caller already owns (an out parameter's).
    static ComPtr Adopt(T* pointer)
    {
        ComPtr result;
        result.m_pointer = pointer;
        return result;
    }

    /// The interface held, still owned by this ComPtr; null for none.
    [[nodiscard]] T* Get() const { return m_pointer; }
    /// The interface held, for calls.
    T* operator->() const { return m_pointer; }
    /// True when it holds an interface.
    explicit operator bool() const { return m_pointer != nullptr; }

    /// Releases what it holds, if anything.
    void Reset()
    {
        if (T* old = std::exchange(m_pointer, nullptr)) {
            old->Release();
        }
    }
    /// Gives the reference to the caller.
    [[nodiscard]] T* Detach() { return std::exchange(m_pointer, nullptr); }
    /// For out parameters: releases what is held and hands out the slot.
    [[nodiscard]] T** Put()
    {
        Reset();
        return &m_pointer;
    }
    /// Put() as QueryInterface's void** out parameter.
    [[nodiscard]] void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    /// QueryInterface for iid, which must name U.
    template <class U> HRESULT As(const Guid& iid, ComPtr<U>* out) const
    {
        if (m_pointer == nullptr) {
            return E_POINTER;
        }
        return m_pointer->QueryInterface(iid, out->PutVoid());
    }

    /// Exchanges what the two hold.
    void Swap(ComPtr& other) noexcept { std::swap(m_pointer, other.m_pointer); }

private:
    T* m_pointer = nullptr;
};

} // namespace velkan::com
