// The real program, run as a process on Wine's registry: each scenario plants its keys
// through the platform's API, runs the program and reads back what it left.
#include "process.h"
#include "registry_fixture.h"
#include "scenarios.h"

#include <gtest/gtest.h>

namespace {

struct Outcome {
    std::string output;
    DWORD status;
};

std::string Quoted(const std::string &word)
{
    return word.empty() || word.find_first_of(" \t\"") != std::string::npos ? "\"" + word + "\"" : word;
}

// Runs the program with its standard output captured, as a script would.
Outcome RunProgram(const std::string &program, const std::vector<std::string> &arguments)
{
    Outcome outcome{"", static_cast<DWORD>(-1)};
    std::string commandLine = Quoted(program);
    for (const std::string &argument : arguments)
        commandLine += " " + Quoted(argument);

    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, NULL, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        ADD_FAILURE() << "CreatePipe: " << GetLastError();
        return outcome;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    PROCESS_INFORMATION process;
    BOOL started = StartWithOutput(commandLine, writeEnd, &process);
    CloseHandle(writeEnd);
    if (!started) {
        ADD_FAILURE() << "CreateProcess " << commandLine << ": " << GetLastError();
        CloseHandle(readEnd);
        return outcome;
    }
    char buffer[512];
    DWORD read;
    while (ReadFile(readEnd, buffer, sizeof buffer, &read, NULL) && read > 0)
        outcome.output.append(buffer, read);
    CloseHandle(readEnd);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &outcome.status);
    else
        ADD_FAILURE() << "the program did not end";
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return outcome;
}

// The build tells where the programs are, with forward slashes.
std::string WindowsPath(std::string path)
{
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// The build of this runner's own bitness, or the 32-bit one on WOW64.
std::string ProgramFor(unsigned where) { return WindowsPath(where == Wine64Wow ? SIRCAM_CLEANUP_32BIT : SIRCAM_CLEANUP); }

LONG Apply(const Step &step)
{
    switch (step.kind) {
    case Step::Key:
        return PlantKey(step.path);
    case Step::Value:
        return PlantValue(step.path, step.name, step.data);
    case Step::Deny:
        return DenyFullAccess(step.path);
    case Step::Link:
        return PlantLink(step.path, step.data);
    }
    return ERROR_INVALID_PARAMETER;
}

void RemoveWatched()
{
    for (const std::string &watched : WatchedKeys())
        ASSERT_EQ(RemoveTree(watched), ERROR_SUCCESS) << watched;
}

typedef std::tuple<Scenario, unsigned> Case;

class OnWine : public ::testing::TestWithParam<Case> {
protected:
    void TearDown() override { RemoveWatched(); }
};

TEST_P(OnWine, LeavesWhatItShould)
{
    const Scenario &scenario = std::get<0>(GetParam());
    std::string program = ProgramFor(std::get<1>(GetParam()));
    ASSERT_FALSE(program.empty()) << "this build was configured without SIRCAM_CLEANUP_32BIT";
    RemoveWatched();
    for (const Step &step : scenario.setup)
        ASSERT_EQ(Apply(step), ERROR_SUCCESS) << step.path;

    Outcome outcome = RunProgram(program, scenario.arguments);

    // Text mode turns the line break into CR LF.
    EXPECT_EQ(outcome.output, scenario.arguments.empty() ? "" : "Removes Software\\Sircam registry keys.\r\n");
    EXPECT_EQ(outcome.status, 0u);
    std::vector<std::string> left;
    for (const std::string &watched : WatchedKeys())
        for (const std::string &line : DumpTree(watched))
            left.push_back(line);
    EXPECT_EQ(left, scenario.left);
    EXPECT_TRUE(KeyExists("Software"));
}

std::vector<Case> CasesForThisPrefix()
{
    // A 32-bit runner goes with a 32-bit prefix; a 64-bit one with a 64-bit prefix, where
    // both builds are run.
    const unsigned here = sizeof(void *) == 4 ? Wine32 : Wine64Native | Wine64Wow;
    std::vector<Case> cases;
    for (const Scenario &scenario : Scenarios())
        for (unsigned where : {Wine32, Wine64Native, Wine64Wow})
            if (scenario.where & here & where)
                cases.emplace_back(scenario, where);
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Table, OnWine, ::testing::ValuesIn(CasesForThisPrefix()), [](const auto &info) {
    unsigned where = std::get<1>(info.param);
    return TestName(std::get<0>(info.param).what) +
           (where == Wine32 ? "_32_bit" : where == Wine64Native ? "_64_bit" : "_32_bit_on_64_bit");
});

// Without its manifest, Windows would guess at elevation and virtualize HKLM writes.
TEST(Program, CarriesItsManifestAndVersion)
{
    std::string program = WindowsPath(SIRCAM_CLEANUP);
    HMODULE image = LoadLibraryExA(program.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(image != NULL) << program << ": " << GetLastError();
    HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_TRUE(found != NULL) << "no manifest";
    std::string manifest(static_cast<const char *>(LockResource(LoadResource(image, found))),
                         SizeofResource(image, found));
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"), std::string::npos);
    FreeLibrary(image);

    DWORD unused;
    std::vector<char> info(GetFileVersionInfoSizeA(program.c_str(), &unused));
    ASSERT_FALSE(info.empty()) << "no version information";
    ASSERT_TRUE(GetFileVersionInfoA(program.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    auto text = [&](const char *name) {
        char *value;
        UINT length;
        std::string path = std::string("\\StringFileInfo\\040904b0\\") + name;
        return VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void **>(&value), &length) ? std::string(value)
                                                                                                     : std::string();
    };
    EXPECT_EQ(text("ProductName"), "sircam_cleanup");
    EXPECT_EQ(text("ProductVersion"), SIRCAM_VERSION);
    EXPECT_EQ(text("FileVersion"), SIRCAM_VERSION);
    EXPECT_EQ(text("FileDescription"), "Removes HKLM\\Software\\SirCam and everything below it");
}

} // namespace

void PrintTo(const Scenario &scenario, std::ostream *out) { *out << scenario.what; }
