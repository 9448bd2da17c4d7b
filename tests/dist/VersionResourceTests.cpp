// The version resources of the built program and simulator DLL carry the repository's VERSION.
#include "tests/dist/VersionCheck.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

// The first line of the VERSION file, without surrounding blanks.
std::string RepositoryVersion()
{
    std::ifstream file(CALLERID_VERSION_FILE);
    std::string line;
    std::getline(file, line);
    const auto first = line.find_first_not_of(" \t\r\n");
    const auto last = line.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
}

TEST(VersionResource, ProgramAndSimulatorCarryTheRepositoryVersion)
{
    const std::string version = RepositoryVersion();
    ASSERT_FALSE(version.empty()) << "cannot read " << CALLERID_VERSION_FILE;
    disttest::ExpectVersionOf(CALLERID_PROGRAM, version, L"CallerIdTest.exe", L"Caller ID Test");
    disttest::ExpectVersionOf(CALLERID_SIMULATOR, version, L"DalvexSim.dll", L"Caller ID Test simulated device control");
}

} // namespace
