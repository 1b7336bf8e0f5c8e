#include "control/module/classfactory.h"

#include "search/hostresolver.h"

#include "control/module/moduleobjects.h"
#include "velkanfilesearch/singleinterfaceobject.h"
#include "control/module/velkanfilesearchctrl.h"
#include "control/module/velkanfilesearchproppage.h"


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

class ClassFactory final : public com::SingleInterfaceObject<com::IClassFactory>, private ModuleObject {
public:
    explicit ClassFactory(Maker maker) : m_maker(maker) {}


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
    ~ClassFactory() override = default;
    bool Answers(const Guid& iid) const override { return iid == com::IID_IClassFactory; }

    Maker m_maker;
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
    // A host lookup still running would run this module's code after an unload.
    return ModuleInUse() || search::SystemResolver::Busy() > 0 ? com::S_FALSE : com::S_OK;
}

} // namespace velkan::control
