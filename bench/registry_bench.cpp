// Loading the per-user registry file, as every host does at start-up: files of 2,000, 20,000
// and 200,000 keys laid out as class registrations are (a class key with its subkeys, string
// values, a few of other types). bench/run-benchmarks prints the time per key of the largest
// file over that of the smallest: a load that is linear in the file keeps it near 1.

#include "control/registry/registryfile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using velkan::registry::RegistryFile;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "registry_bench: start-up check failed: %s\n", what);
    std::abort();
}

// A GUID-like text of its own for every number, as class identifiers are.
std::string Identifier(std::size_t n)
{
    char text[40];
    std::snprintf(text, sizeof text, "{%08zX-%04zX-4%03zX-A%03zX-%012zX}", n * 2654435761U % 0xFFFFFFFFU, n % 0xFFFF,
                  n % 0xFFF, (n * 7) % 0xFFF, n * 40503U);
    return text;
}

// keys keys: groups of four (the class, its server, its ProgID, its version) under CLSID.
std::string RegistryText(std::size_t keys)
{
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
    for (std::size_t i = 0; i < keys; ++i) {
        const std::string clsid = "[HKEY_CLASSES_ROOT\\CLSID\\" + Identifier(i / 4);
        switch (i % 4) {
        case 0:
            text += clsid + "]\r\n@=\"Component " + std::to_string(i / 4) + "\"\r\n";
            break;
        case 1:
            text += clsid + "\\InprocServer32]\r\n@=\"/usr/lib/velkan/module" + std::to_string(i / 4) +
                    ".so\"\r\n\"ThreadingModel\"=\"Apartment\"\r\n";
            break;
        case 2:
            text += clsid + "\\ProgID]\r\n@=\"Vendor.Component" + std::to_string(i / 4) + ".1\"\r\n";
            break;
        default:
            text += clsid + "\\Version]\r\n@=\"1.0\"\r\n\"Flags\"=dword:00000000\r\n";
            break;
        }
        text += "\r\n";
    }
    return text;
}

void BM_LoadRegistry(benchmark::State& state)
{
    const auto keys = static_cast<std::size_t>(state.range(0));
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("velkan-registry-bench-" + std::to_string(::getpid()) + "-" +
                                        std::to_string(keys) + ".reg");
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << RegistryText(keys);
        if (!out) {
            Fail("cannot write the registry file");
        }
    }
    const std::optional<RegistryFile> check = RegistryFile::Load(path);
    if (!check || check->Keys().size() != keys) {
        Fail("the generated registry does not load with every key");
    }
    for (auto _ : state) {
        std::optional<RegistryFile> file = RegistryFile::Load(path);
        benchmark::DoNotOptimize(file);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * keys));
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadRegistry)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
