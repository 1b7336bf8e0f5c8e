// velkan-packageregistry OUTPUT MODULE: writes the registry file an installed package ships,
// with the entries the module's own registration makes, naming the module by MODULE, a path
// taken from the registry file's folder. Run by the build; not installed.

#include "control/module/registration.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: velkan-packageregistry OUTPUT MODULE\n", stderr);
        return 2;
    }
    const std::filesystem::path output = argv[1];
    std::error_code code;
    std::filesystem::remove(output, code);
    std::string reason;
    if (velkan::com::Failed(velkan::control::RegisterServerInFile(argv[2], output, &reason))) {
        std::fprintf(stderr, "velkan-packageregistry: %s\n", reason.c_str());
        return 1;
    }
    return 0;
}
