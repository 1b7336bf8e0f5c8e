#include "classfactory.h"

#include "moduleobjects.h"
#include "velkanfilesearchctrl.h"
#include "velkanfilesearchproppage.h"

#include <atomic>

namespace velkan::control {

namespace {

// Makes one object with one reference.
using Maker = com::IUnknown* (*)();

com::IUnknown* MakeControl()
{
    return static_cast<com::IDispatch*>(CVelkanFileSearchCtrl::Create());
}

com::IUnknown* MakePropertyPage()
{
    return CVelkanFileSearchPropPage::Create();
}

class ClassFactory final : public com::IClassFactory, private ModuleObject {
public:
    explicit ClassFactory(Maker maker) : m_maker(maker) {}

    HRESULT QueryInterface(const Guid& iid, void** object) override
    {
        if (object == nullptr) {
            return com::E_POINTER;
        }
        if (iid == com::IID_IUnknown || iid == com::IID_IClassFactory) {
            *object = static_cast<com::IClassFactory*>(this);
            AddRef();
            return com::S_OK;
        }
        *object = nullptr;
        return com::E_NOINTERFACE;
    }
    std::uint32_t AddRef() override { return ++m_references; }
    std::uint32_t Release() override
    {
        const std::uint32_t left = --m_references;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT CreateInstance(com::IUnknown* outer, const Guid& iid, void** object) override
    {
        if (object == nullptr) {
            return com::E_POINTER;
        }
        *object = nullptr;
        if (outer != nullptr) {
            return com::CLASS_E_NOAGGREGATION;
        }
        com::IUnknown* created = m_maker();
        // The new object goes again when it does not answer iid.
        const HRESULT result = created->QueryInterface(iid, object);
        created->Release();
        return result;
    }

    HRESULT LockServer(bool lock) override
    {
        LockModule(lock);
        return com::S_OK;
    }

private:
    ~ClassFactory() = default;

    Maker m_maker;
    std::atomic<std::uint32_t> m_references{1};
};

} // namespace

HRESULT GetClassObject(const Guid& clsid, const Guid& iid, void** object)
{
    if (object == nullptr) {
        return com::E_POINTER;
    }
    *object = nullptr;
    Maker maker = nullptr;
    if (clsid == CLSID_VelkanFileSearch) {
        maker = MakeControl;
    } else if (clsid == CLSID_VelkanFileSearchPropPage) {
        maker = MakePropertyPage;
    } else {
        return com::CLASS_E_CLASSNOTAVAILABLE;
    }
    auto* factory = new ClassFactory(maker);
    const HRESULT result = factory->QueryInterface(iid, object);
    factory->Release();
    return result;
}

HRESULT CanUnloadNow()
{
    return ModuleInUse() ? com::S_FALSE : com::S_OK;
}

} // namespace velkan::control
