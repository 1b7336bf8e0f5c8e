// The control object's identity: its creation, the interfaces it answers and the page it names.

#include "control/module/velkanfilesearchctrl.h"

namespace velkan::control {

using com::S_OK;

CVelkanFileSearchCtrl* CVelkanFileSearchCtrl::Create()
{
    return new CVelkanFileSearchCtrl();
}

CVelkanFileSearchCtrl::CVelkanFileSearchCtrl()
    : m_events(static_cast<com::IDispatch&>(*this), DIID__DVelkanFileSearchEvents)
{
}

CVelkanFileSearchCtrl::~CVelkanFileSearchCtrl()
{
    DestroyWindow();
}

HRESULT CVelkanFileSearchCtrl::QueryInterface(const Guid& iid, void** object)
{
    if (object == nullptr) {
        return com::E_POINTER;
    }
    void* found = nullptr;
    if (iid == com::IID_IUnknown || iid == com::IID_IDispatch || iid == DIID__DVelkanFileSearch) {
        found = static_cast<com::IDispatch*>(this);
    } else if (iid == com::IID_IConnectionPointContainer) {
        found = static_cast<com::IConnectionPointContainer*>(this);
    } else if (iid == com::IID_IPersistPropertyBag) {
        found = static_cast<com::IPersistPropertyBag*>(this);
    } else if (iid == com::IID_IObjectSafety) {
        found = static_cast<com::IObjectSafety*>(this);
    } else if (iid == com::IID_ISpecifyPropertyPages) {
        found = static_cast<com::ISpecifyPropertyPages*>(this);
    } else if (iid == IID_IControlWindow) {
        found = static_cast<IControlWindow*>(this);
    } else if (iid == IID_IVelkanPanelAccess) {
        found = static_cast<IVelkanPanelAccess*>(this);
    }
    *object = found;
    if (found == nullptr) {
        return com::E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

std::uint32_t CVelkanFileSearchCtrl::AddRef()
{
    return ++m_references;
}

std::uint32_t CVelkanFileSearchCtrl::Release()
{
    const std::uint32_t left = --m_references;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT CVelkanFileSearchCtrl::GetPages(std::vector<Guid>* pages)
{
    if (pages == nullptr) {
        return com::E_POINTER;
    }
    *pages = {CLSID_VelkanFileSearchPropPage};
    return S_OK;
}

} // namespace velkan::control
