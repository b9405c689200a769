#include "VelmoraApp.h"

#include <commctrl.h>

#include "app/AppGlobals.h"
#include "app/CrashGuard.h"
#include "app/VelmoraDlg.h"
#include "config/ConfigFile.h"
#include "gpu/NvapiLoader.h"

NvidiaGpu g_nvidiaGpu;

namespace velmora {
namespace {

constexpr wchar_t kInstanceMutex[] = L"Global\\Velmora";
constexpr DWORD kAllCommonControlClasses = 0xFF;

void ReleaseFanOnCrash() { g_nvidiaGpu.RestoreCoolerDefault(); }

void ShowGpuMessage(const std::wstring& text, const std::wstring& caption, unsigned icon) {
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | icon);
}

}  // namespace

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return L"";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(0, slash);
}

std::wstring CVelmoraApp::ReadSkinPackName() {
    ConfigFile cfg;
    std::wstring name;
    if (!cfg.Open() || !cfg.ReadText(L"/Velmora/UIDlg/UiName", name)) return L"";
    return name + L".dll";
}

int CVelmoraApp::InitInstance(HINSTANCE instance) {
    INITCOMMONCONTROLSEX icc{sizeof icc, kAllCommonControlClasses};
    InitCommonControlsEx(&icc);

    // Every relative name ("Velmora.xml", the skin packs) resolves beside the program file,
    // wherever the program was started from.
    SetCurrentDirectoryW(ProgramFolder().c_str());

    // Held until the process ends; the system releases it then.
    HANDLE instanceLock = CreateMutexW(nullptr, TRUE, kInstanceMutex);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (instanceLock) CloseHandle(instanceLock);
        return 0;
    }

    nvapi::NvapiEntries entries;
    if (LoadNvapiEntries(entries)) g_nvidiaGpu.Attach(entries);
    g_nvidiaGpu.SetUserMessageSink(ShowGpuMessage);
    g_nvidiaGpu.Initialize();
    InstallCrashGuard(ReleaseFanOnCrash);
    // A run that was killed cannot hand the fan back itself; the next start does, so a fan
    // never stays at a fixed level just because Velmora once held it.
    g_nvidiaGpu.RestoreCoolerDefault();

    const std::wstring pack = ReadSkinPackName();
    {
        CVelmoraDlg dlg(pack, L"main.png", nullptr);
        dlg.DoModal();
    }
    (void)instance;
    return 0;
}

}  // namespace velmora

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    velmora::CVelmoraApp app;
    return app.InitInstance(instance);
}
