// What every program of the project does alike: --version reads the program's
// own version resource, and a wrong argument is answered with the reason and
// the usage on the error output and exit status 2. The conventions a program
// follows are in tools/README.md.
#pragma once

#include <string>

namespace brevant::program {

// Exit statuses of every program.
constexpr int kExitSuccess = 0;  // it did what was asked
constexpr int kExitFailure = 1;  // it ran, and something it was asked to do failed
constexpr int kExitUsage = 2;    // it was asked wrongly, or could not start

// "<name> (<ProductName>) <ProductVersion>", the names and version of the
// program's own version resource, which the build gives it with the module's
// product name and version; empty when the resource cannot be read.
std::string versionText(const char* name);

// --version: prints versionText on the standard output. kExitSuccess, or
// kExitFailure (with the reason on the error output) without a resource.
int printVersion(const char* name);

// A wrong argument: "<name>: <problem>" and the usage on the error output.
// Returns kExitUsage.
int usageError(const char* name, const std::string& problem, const char* usage);

}  // namespace brevant::program
