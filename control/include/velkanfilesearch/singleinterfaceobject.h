#pragma once

#include "velkancom.h"

#include <atomic>
#include <cstdint>

namespace velkan::com {

/// A reference-counted object that offers one interface: QueryInterface answers IUnknown and the
/// identifiers Answers accepts, and the last Release deletes the object. Starts with one
/// reference, which its creator owns.
template <class Interface> class SingleInterfaceObject : public Interface {
public:
    /// IUnknown and what Answers accepts, as this object's one interface.
    HRESULT QueryInterface(const Guid& iid, void** object) override
    {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || Answers(iid)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    /// Takes a reference.
    std::uint32_t AddRef() override { return ++m_references; }
    /// Gives a reference back; the last deletes the object.
    std::uint32_t Release() override
    {
        const std::uint32_t left = --m_references;
        if (left == 0) {
            delete this;
        }
        return left;
    }

protected:
    virtual ~SingleInterfaceObject() = default;
    /// Whether iid names Interface (or one it derives from).
    [[nodiscard]] virtual bool Answers(const Guid& iid) const = 0;

private:
    std::atomic<std::uint32_t> m_references{1};
};

} // namespace velkan::com
