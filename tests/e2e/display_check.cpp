// The launcher is a GUI program. Under Wine without an X display it never
// gets its windows, so the recording core, created only once they exist, never
// writes a line: every launcher test would wait its whole start timeout on an
// empty log, while this console program and the resource tests run as if all
// were well. That is how an i686 run of this suite started by hand, outside
// tools/with-xvfb.sh, looked; the suite now says so at once instead.
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
