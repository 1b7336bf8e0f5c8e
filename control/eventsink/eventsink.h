#pragma once

#include "velkanfilesearch/singleinterfaceobject.h"
#include "velkanfilesearch/velkancom.h"

#include <functional>
#include <string>

namespace velkan::comhost {

// A host's handler of the control's events: an automation object the control calls by
// DISPID, advised on the control's connection point. Only Connect carries anything; the control declares Login and ChkAdult but never
// raises them.
class EventSink final : public com::SingleInterfaceObject<com::IDispatch> {
public:
    // nick and folder in UTF-8.
    using ConnectHandler = std::function<void(const std::string& nick, const std::string& folder)>;

    explicit EventSink(ConnectHandler onConnect) : m_onConnect(std::move(onConnect)) {}

    com::HRESULT GetTypeInfoCount(std::uint32_t* count) override;
    com::HRESULT GetTypeInfo(std::uint32_t index, std::uint32_t locale, com::ITypeInfo** info) override;
    com::HRESULT GetIDsOfNames(const std::u16string* names, std::uint32_t count, std::uint32_t locale,
                               com::DISPID* ids) override;
    com::HRESULT Invoke(com::DISPID member, std::uint32_t locale, std::uint16_t flags,
                        const std::vector<com::Variant>& arguments, com::Variant* result) override;

private:
    ~EventSink() override = default;
    bool Answers(const com::Guid& iid) const override;

    ConnectHandler m_onConnect;
};

} // namespace velkan::comhost
