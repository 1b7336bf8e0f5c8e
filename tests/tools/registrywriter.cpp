// registry-writer FILE PREFIX COUNT: adds the keys HKEY_CLASSES_ROOT\PREFIX0 ... PREFIX<COUNT-1>
// to the registry file, each in a read, change and write of its own under the file's lock, as
// a registration does. The tests run several at once against one file.
#include "control/registry/registryfile.h"
#include "control/registry/registrylock.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

using velkan::registry::RegistryFile;
using velkan::registry::RegistryLock;

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("usage: registry-writer FILE PREFIX COUNT\n", stderr);
        return 2;
    }
    const int count = std::atoi(argv[3]);
    for (int i = 0; i < count; ++i) {
        std::string error;
        const std::optional<RegistryLock> lock = RegistryLock::Take(argv[1], RegistryLock::kWait, &error);
        std::optional<RegistryFile> file = lock ? RegistryFile::Load(lock->File(), &error) : std::nullopt;
        if (file) {
            file->SetString(velkan::registry::ClassesRootKey(argv[2] + std::to_string(i)), {}, std::to_string(i));
        }
        if (!file || !file->Save(*lock, &error)) {
            std::fprintf(stderr, "registry-writer: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
