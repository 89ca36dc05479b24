// The launcher's resources as compiled into the executable: icons, the About
// box, the class-name string, the version block and the manifest.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "dialog_template.h"

namespace {

// Resource identifiers, as the launcher and its players' systems know them.
constexpr int AboutDialog = 103;
constexpr int LargeIcon = 107;
constexpr int SmallIcon = 108;
constexpr int ClassNameString = 109;
constexpr int Manifest = 1;

// Room for the class-name string.
constexpr int StringCapacity = 100;

// Room for a path.
constexpr DWORD PathCapacity = 1024;

std::wstring launcherPath() {
    wchar_t path[PathCapacity] = {};
    GetModuleFileNameW(nullptr, path, PathCapacity);
    std::wstring directory(path);
    return directory.substr(0, directory.find_last_of(L"\\/") + 1) + L"zindleQrvt.exe";
}

class Resources : public testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryExW(launcherPath().c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr);
    }
    void TearDown() override { FreeLibrary(module); }

    std::string resourceText(int id, LPCWSTR type) const {
        const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), type);
        if (!resource)
            return std::string();
        const char* data = static_cast<const char*>(LockResource(LoadResource(module, resource)));
        return std::string(data, SizeofResource(module, resource));
    }

    // The image sizes of an icon group (0 in the directory means 256).
    std::set<int> iconSizes(int id) const {
        const std::string group = resourceText(id, RT_GROUP_ICON);
        std::set<int> sizes;
        if (group.size() < sizeof(WORD) * 3)
            return sizes;
        // GRPICONDIR: reserved, type, count; then 14-byte entries starting with width, height.
        const size_t headerSize = 6;
        const size_t entrySize = 14;
        const WORD count =
            static_cast<WORD>(static_cast<uint8_t>(group[4]) | static_cast<uint8_t>(group[5]) << 8);
        for (size_t index = 0; index < count; ++index) {
            const size_t at = headerSize + index * entrySize;
            if (at + entrySize > group.size())
                break;
            const int width = static_cast<uint8_t>(group[at]);
            sizes.insert(width == 0 ? 256 : width);
        }
        return sizes;
    }

    HMODULE module = nullptr;
};

TEST_F(Resources, ClassNameString) {
    wchar_t text[StringCapacity] = {};
    ASSERT_GT(LoadStringW(module, ClassNameString, text, StringCapacity), 0);
    EXPECT_STREQ(text, L"ZINDLEQRVT");
}

TEST_F(Resources, IconsHaveTheSizesTheSystemAsksFor) {
    const std::set<int> large = iconSizes(LargeIcon);
    for (int size : {16, 32, 48, 256})
        EXPECT_EQ(large.count(size), 1u) << "large icon lacks " << size;
    const std::set<int> small = iconSizes(SmallIcon);
    for (int size : {16, 20, 24, 32})
        EXPECT_EQ(small.count(size), 1u) << "small icon lacks " << size;
    for (auto [id, size] : {std::pair{LargeIcon, 256}, {LargeIcon, 32}, {SmallIcon, 16}}) {
        const HANDLE icon = LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << id << " at " << size;
        if (icon)
            DestroyIcon(static_cast<HICON>(icon));
    }
}

TEST_F(Resources, AboutBox) {
    DialogTemplate about;
    ASSERT_TRUE(readDialogTemplate(module, AboutDialog, about));
    EXPECT_EQ(about.caption, L"About zindleQrvt");
    EXPECT_EQ(about.cx, 170);
    EXPECT_EQ(about.cy, 62);
    const DWORD frame = DS_MODALFRAME | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(about.style & frame, frame);
    EXPECT_EQ(about.font, L"MS Shell Dlg");
    EXPECT_EQ(about.pointSize, 8);
    ASSERT_EQ(about.controls.size(), 2u);

    const DialogControl& text = about.controls[0];
    EXPECT_EQ(text.classOrdinal, StaticClassOrdinal);
    EXPECT_EQ(text.text, L"zindleQrvt, Version 1.0");
    EXPECT_EQ((std::vector<short>{text.x, text.y, text.cx, text.cy}),
              (std::vector<short>{42, 14, 114, 8}));

    const DialogControl& ok = about.controls[1];
    EXPECT_EQ(ok.classOrdinal, ButtonClassOrdinal);
    EXPECT_EQ(ok.text, L"OK");
    EXPECT_EQ(ok.id, static_cast<DWORD>(IDOK));
    EXPECT_EQ(ok.style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_EQ((std::vector<short>{ok.x, ok.y, ok.cx, ok.cy}),
              (std::vector<short>{113, 41, 50, 14}));
}

TEST_F(Resources, VersionComesFromTheBuild) {
    const std::wstring path = launcherPath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), ZINDLE_EXPECTED_VERSION_MAJOR);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), ZINDLE_EXPECTED_VERSION_MINOR);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), ZINDLE_EXPECTED_VERSION_PATCH);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);

    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, ZINDLE_EXPECTED_VERSION_TEXT);
}

TEST_F(Resources, ManifestStatesItsChoices) {
    const std::string manifest = resourceText(Manifest, RT_MANIFEST);
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find(">false</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}

}  // namespace
