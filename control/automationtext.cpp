#include "automationtext.h"

#include "bstrconvert.h"
#include "cp949convert.h"

namespace velkan::control {

std::string ToCp949(const com::Bstr& text)
{
    return cp949::FromUtf8(com::ToUtf8(text));
}

com::Bstr FromCp949(std::string_view text)
{
    return com::FromUtf8(cp949::ToUtf8(text));
}

} // namespace velkan::control
