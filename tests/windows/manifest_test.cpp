// quol.exe's manifest, read from the file as the system reads it: the per-monitor DPI awareness
// (so a scaled screen does not blow the window up and blur it) and the UTF-8 code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr wchar_t SETTINGS_2005[] = L"http://schemas.microsoft.com/SMI/2005/WindowsSettings";
constexpr wchar_t SETTINGS_2016[] = L"http://schemas.microsoft.com/SMI/2016/WindowsSettings";
constexpr wchar_t SETTINGS_2019[] = L"http://schemas.microsoft.com/SMI/2019/WindowsSettings";

std::wstring game_path() {
    wchar_t own[4096];
    DWORD length = GetModuleFileNameW(nullptr, own, 4096);
    std::wstring path(own, length);
    path.erase(path.find_last_of(L"\\/") + 1);
    return path + QUOL_GAME_FROM_TEST;
}

// The RT_MANIFEST resource that the process loader reads (CREATEPROCESS_MANIFEST_RESOURCE_ID).
std::string manifest_resource(const std::wstring& exe) {
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return "cannot open the file, error " + std::to_string(GetLastError());
    std::string text = "no RT_MANIFEST resource 1";
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        HGLOBAL loaded = LoadResource(module, found);
        const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
        if (data) text.assign(data, SizeofResource(module, found));
    }
    FreeLibrary(module);
    return text;
}

// A windowsSettings value as the activation context gives it from that resource, which holds only
// elements whose namespace the system knows for that name.
std::wstring setting(const std::wstring& exe, const wchar_t* xmlns, const wchar_t* name) {
    ACTCTXW request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = exe.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE context = CreateActCtxW(&request);
    if (context == INVALID_HANDLE_VALUE) return L"(no activation context)";
    wchar_t value[256] = {};
    SIZE_T written = 0;
    std::wstring result = L"(absent)";
    if (QueryActCtxSettingsW(0, context, xmlns, name, value, 256, &written)) result = value;
    ReleaseActCtx(context);
    return result;
}

TEST(GameManifest, DeclaresPerMonitorDpiAwarenessV2WithFallbacksAndTheUtf8CodePage) {
    std::wstring exe = game_path();
    std::string text = manifest_resource(exe);
    // Windows 10 1703 and later take v2, 1607 falls back to per-monitor; the older element gives
    // per-monitor on 8.1 and system awareness on Vista to 8.
    EXPECT_NE(text.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
                        "PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos) << text;
    EXPECT_NE(text.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">"
                        "true/pm</dpiAware>"), std::string::npos) << text;

    EXPECT_EQ(setting(exe, SETTINGS_2016, L"dpiAwareness"), L"PerMonitorV2, PerMonitor");
    EXPECT_EQ(setting(exe, SETTINGS_2005, L"dpiAware"), L"true/pm");
    EXPECT_EQ(setting(exe, SETTINGS_2019, L"activeCodePage"), L"UTF-8");
}

}  // namespace
