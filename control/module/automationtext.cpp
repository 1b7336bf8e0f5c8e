#include "control/module/automationtext.h"

#include "velkanfilesearch/bstrconvert.h"
#include "channel/cp949convert.h"

namespace velkan::control {

std::string ToCp949(const com::Bstr& text)
{
    const std::u16string_view narrow = std::u16string_view(text).substr(0, text.find(u'\0'));
    return cp949::FromUtf8(com::ToUtf8(narrow));
}

com::Bstr FromCp949(std::string_view text)
{
    return com::FromUtf8(cp949::ToUtf8(text));
}

} // namespace velkan::control
