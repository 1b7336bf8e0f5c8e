#include <velkanfilesearch/version.h>

namespace velkan {

const char* versionString()
{
    return VELKANFILESEARCH_VERSION_STRING;
}

} // namespace velkan
