// The control's safety interface: safe for scripting and for initialisation from untrusted data.

#include "control/module/velkanfilesearchctrl.h"

namespace velkan::control {

namespace {

constexpr std::uint32_t kSafetyOptions =
    com::INTERFACESAFE_FOR_UNTRUSTED_CALLER | com::INTERFACESAFE_FOR_UNTRUSTED_DATA;

} // namespace

HRESULT CVelkanFileSearchCtrl::GetInterfaceSafetyOptions(const Guid& iid, std::uint32_t* supported,
                                                         std::uint32_t* enabled)
{
    if (supported == nullptr || enabled == nullptr) {
        return com::E_POINTER;
    }
    void* object = nullptr;
    const HRESULT result = QueryInterface(iid, &object);
    if (object != nullptr) {
        static_cast<com::IUnknown*>(object)->Release();
    }
    // Safe for scripting and for data whatever is asked; the answer still says whether the
    // interface exists.
    *supported = kSafetyOptions;
    *enabled = kSafetyOptions;
    return result;
}

HRESULT CVelkanFileSearchCtrl::SetInterfaceSafetyOptions(const Guid& iid, std::uint32_t mask, std::uint32_t enabled)
{
    void* object = nullptr;
    const HRESULT result = QueryInterface(iid, &object);
    if (object != nullptr) {
        static_cast<com::IUnknown*>(object)->Release();
    }
    if (com::Failed(result)) {
        return com::E_NOINTERFACE;
    }
    if ((mask & ~kSafetyOptions) != 0) {
        return com::E_FAIL;
    }
    // Every option asked about must be asked on: the control cannot be made unsafe.
    if ((mask & enabled) != mask) {
        return com::E_FAIL;
    }
    return com::S_OK;
}

} // namespace velkan::control
