#pragma once

#include "velkanfilesearch/comptr.h"
#include "velkanfilesearch/velkancom.h"

#include <cstdint>
#include <map>
#include <vector>

namespace velkan::control {

using com::Guid;
using com::HRESULT;

// One outgoing interface with any number of sinks. Part of its container: its references are
// the container's.
class ConnectionPoint final : public com::IConnectionPoint {
public:
    ConnectionPoint(com::IUnknown& container, const Guid& iid) : m_container(container), m_iid(iid) {}
    ~ConnectionPoint() = default;

    HRESULT QueryInterface(const Guid& iid, void** object) override;
    std::uint32_t AddRef() override { return m_container.AddRef(); }
    std::uint32_t Release() override { return m_container.Release(); }

    HRESULT GetConnectionInterface(Guid* iid) override;
    HRESULT Advise(com::IUnknown* sink, std::uint32_t* cookie) override;
    HRESULT Unadvise(std::uint32_t cookie) override;

    // Invokes the event on every sink advised when it starts.
    void Fire(com::DISPID dispid, const std::vector<com::Variant>& arguments);
    [[nodiscard]] std::size_t SinkCount() const { return m_sinks.size(); }

private:
    com::IUnknown& m_container;
    Guid m_iid;
    std::map<std::uint32_t, com::ComPtr<com::IDispatch>> m_sinks;
    std::uint32_t m_nextCookie = 1;
};

} // namespace velkan::control
