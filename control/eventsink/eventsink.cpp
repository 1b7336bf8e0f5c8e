#include "control/eventsink/eventsink.h"

#include "velkanfilesearch/bstrconvert.h"
#include "velkanfilesearch/velkanfilesearch.h"

namespace velkan::comhost {

bool EventSink::Answers(const com::Guid& iid) const
{
    return iid == com::IID_IDispatch || iid == control::DIID__DVelkanFileSearchEvents;
}

com::HRESULT EventSink::GetTypeInfoCount(std::uint32_t* count)
{
    *count = 0;
    return com::S_OK;
}

com::HRESULT EventSink::GetTypeInfo(std::uint32_t, std::uint32_t, com::ITypeInfo** info)
{
    *info = nullptr;
    return com::E_NOTIMPL;
}

com::HRESULT EventSink::GetIDsOfNames(const std::u16string*, std::uint32_t count, std::uint32_t, com::DISPID* ids)
{
    for (std::uint32_t i = 0; i < count; ++i) {
        ids[i] = -1;
    }
    return com::DISP_E_UNKNOWNNAME;
}

com::HRESULT EventSink::Invoke(com::DISPID member, std::uint32_t, std::uint16_t,
                               const std::vector<com::Variant>& arguments, com::Variant*)
{
    if (member != control::DISPID_EVENT_CONNECT) {
        return com::S_OK;
    }
    if (arguments.size() != 2 || !std::holds_alternative<com::Bstr>(arguments[0]) ||
        !std::holds_alternative<com::Bstr>(arguments[1])) {
        return com::DISP_E_TYPEMISMATCH;
    }
    m_onConnect(com::ToUtf8(std::get<com::Bstr>(arguments[0])), com::ToUtf8(std::get<com::Bstr>(arguments[1])));
    return com::S_OK;
}

} // namespace velkan::comhost
