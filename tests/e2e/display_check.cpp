// The launcher is a GUI program. Under Wine without an X display it cannot
// create its windows and ends at once, before its recording core is created,
// while this console program and the resource tests run as if all were well.
// An i686 run of this suite started by hand, outside tools/with-xvfb.sh,
// looked like that: every launcher test waited out its start timeout on an
// empty log. Without DISPLAY the suite now stops at once and says why (and a
// launcher that ends early no longer makes anyone wait, see LauncherRun).
#include <windows.h>

#include <gtest/gtest.h>

namespace {

// Wine's ntdll exports this; Windows' does not.
bool underWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

class DisplayCheck : public testing::Environment {
public:
    void SetUp() override {
        if (!underWine())
            return;
        ASSERT_GT(GetEnvironmentVariableW(L"DISPLAY", nullptr, 0), 0u)
            << "no X display: under Wine the launcher cannot open its windows. Run this "
               "suite through tools/with-xvfb.sh, as ctest does.";
    }
};

const testing::Environment* const displayCheck =
    testing::AddGlobalTestEnvironment(new DisplayCheck);

}  // namespace
