#pragma once

// velkan-regsvr's version options: the tool's own version, and a module's version information
// read from the module file without loading it.

#include <cstdio>
#include <filesystem>

namespace velkan::regsvr {

// "velkan-regsvr 1.8.1"; exit status 0.
int PrintToolVersion(std::FILE* out);

// One "Name: value" line each; exit status 0, or 1 with the reason on err when the file carries
// no readable version information.
int PrintModuleVersion(const std::filesystem::path& module, std::FILE* out, std::FILE* err);

} // namespace velkan::regsvr
