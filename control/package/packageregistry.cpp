// velkan-packageregistry OUTPUT MODULE: writes the registry file an installed package ships,
// with the entries the module's own registration makes, naming the module by MODULE, a path
// taken from the registry file's folder. Run by the build; not installed.

#include "registration.h"

#include <cinttypes>
#include <cstdio>
#include <filesystem>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: velkan-packageregistry OUTPUT MODULE\n", stderr);
        return 2;
    }
    const std::filesystem::path output = argv[1];
    std::error_code code;
    std::filesystem::remove(output, code);
    velkan::control::FileRegistryStore store(output);
    const velkan::com::HRESULT result = velkan::control::RegisterServer(argv[2], store);
    if (velkan::com::Failed(result)) {
        std::fprintf(stderr, "velkan-packageregistry: cannot write %s: 0x%08" PRIX32 "\n", argv[1],
                     static_cast<std::uint32_t>(result));
        return 1;
    }
    return 0;
}
