#pragma once

#include "velkancom.h"

#include <atomic>
#include <functional>
#include <string>

namespace velkan::host {

// The host's handler of the control's events: an automation object the control calls by
// DISPID. Only Connect carries anything; the control declares Login and ChkAdult but never
// raises them.
class EventSink final : public com::IDispatch {
public:
    // nick and folder in UTF-8.
    using ConnectHandler = std::function<void(const std::string& nick, const std::string& folder)>;

    explicit EventSink(ConnectHandler onConnect) : m_onConnect(std::move(onConnect)) {}

    com::HRESULT QueryInterface(const com::Guid& iid, void** object) override;
    std::uint32_t AddRef() override { return ++m_references; }
    std::uint32_t Release() override;

    com::HRESULT GetTypeInfoCount(std::uint32_t* count) override;
    com::HRESULT GetTypeInfo(std::uint32_t index, std::uint32_t locale, com::ITypeInfo** info) override;
    com::HRESULT GetIDsOfNames(const std::u16string* names, std::uint32_t count, std::uint32_t locale,
                               com::DISPID* ids) override;
    com::HRESULT Invoke(com::DISPID member, std::uint32_t locale, std::uint16_t flags,
                        const std::vector<com::Variant>& arguments, com::Variant* result) override;

private:
    ~EventSink() = default;

    ConnectHandler m_onConnect;
    std::atomic<std::uint32_t> m_references{1};
};

} // namespace velkan::host
