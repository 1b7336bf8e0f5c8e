#include "control/module/connectionpoint.h"

namespace velkan::control {

using com::S_OK;

HRESULT ConnectionPoint::QueryInterface(const Guid& iid, void** object)
{
    if (object == nullptr) {
        return com::E_POINTER;
    }
    if (iid == com::IID_IUnknown || iid == com::IID_IConnectionPoint) {
        *object = static_cast<com::IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return com::E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(Guid* iid)
{
    if (iid == nullptr) {
        return com::E_POINTER;
    }
    *iid = m_iid;
    return S_OK;
}

HRESULT ConnectionPoint::Advise(com::IUnknown* sink, std::uint32_t* cookie)
{
    if (sink == nullptr || cookie == nullptr) {
        return com::E_POINTER;
    }
    *cookie = 0;
    // A sink answers the event interface itself or, as script engines do, plain IDispatch.
    com::ComPtr<com::IDispatch> dispatch;
    if (com::Failed(sink->QueryInterface(m_iid, dispatch.PutVoid())) &&
        com::Failed(sink->QueryInterface(com::IID_IDispatch, dispatch.PutVoid()))) {
        return com::CONNECT_E_CANNOTCONNECT;
    }
    *cookie = m_nextCookie++;
    m_sinks.emplace(*cookie, std::move(dispatch));
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(std::uint32_t cookie)
{
    return m_sinks.erase(cookie) > 0 ? S_OK : com::CONNECT_E_NOCONNECTION;
}

void ConnectionPoint::Fire(com::DISPID dispid, const std::vector<com::Variant>& arguments)
{
    // A sink may unadvise (itself or another) while it handles the event.
    std::vector<com::ComPtr<com::IDispatch>> sinks;
    sinks.reserve(m_sinks.size());
    for (const auto& [cookie, sink] : m_sinks) {
        sinks.push_back(sink);
    }
    for (const auto& sink : sinks) {
        sink->Invoke(dispid, 0, com::DISPATCH_METHOD, arguments, nullptr);
    }
}

} // namespace velkan::control
