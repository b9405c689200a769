#include "app/FanGuardLauncher.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "win32/Handles.h"
#include "win32/ProgramFolder.h"

namespace velmora {
namespace {

class ScopedAttributeList {
  public:
    // A list that makes the child inherit these `count` handles and nothing else.
    ScopedAttributeList(HANDLE* handles, size_t count) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        list_ = list;
        if (!UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles,
                                       count * sizeof *handles, nullptr, nullptr)) {
            DeleteProcThreadAttributeList(list_);
            list_ = nullptr;
        }
    }
    ~ScopedAttributeList() {
        if (list_) DeleteProcThreadAttributeList(list_);
    }
    ScopedAttributeList(const ScopedAttributeList&) = delete;
    ScopedAttributeList& operator=(const ScopedAttributeList&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return list_; }

  private:
    std::vector<unsigned char> buffer_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

}  // namespace

std::wstring FormatFanGuardArguments(const FanGuardArguments& args) {
    // A Windows path holds no quote, and this one ends in a file name, not a backslash that
    // would escape the closing quote.
    std::wstring text = L"--process " + std::to_wstring(args.processHandle);
    if (args.heldSection != 0) text += L" --held " + std::to_wstring(args.heldSection);
    return text + L" --marker \"" + args.markerPath + L"\"";
}

bool ParseFanGuardArguments(int argc, const wchar_t* const* argv, FanGuardArguments& args) {
    FanGuardArguments parsed;
    for (int i = 0; i + 1 < argc; i += 2) {
        const std::wstring name = argv[i];
        const wchar_t* value = argv[i + 1];
        if (name == L"--process" || name == L"--held") {
            wchar_t* end = nullptr;
            const uint64_t handle = std::wcstoull(value, &end, 10);
            if (end == value || *end != L'\0' || handle == 0) return false;
            (name == L"--process" ? parsed.processHandle : parsed.heldSection) = handle;
        } else if (name == L"--marker") {
            parsed.markerPath = value;
        } else {
            return false;
        }
    }
    if (argc % 2 != 0 || parsed.processHandle == 0 || parsed.markerPath.empty()) return false;
    args = std::move(parsed);
    return true;
}

bool StartFanGuard(const std::wstring& markerPath, void* heldSection) {
    const std::wstring folder = ProgramFilesFolder();
    if (folder.empty()) return false;
    const std::wstring guardPath = ProgramFilePath(kFanGuardFileName);
    const DWORD attributes = GetFileAttributesW(guardPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }

    // The guard waits on this process through a handle it inherits: a process id could be
    // reused by another process before the guard opens it.
    KernelHandle self;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), self.Out(),
                         SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0)) {
        return false;
    }
    // The held fans as this run keeps them, read-only: the guard knows them even when the
    // marker cannot be written.
    KernelHandle section;
    if (heldSection) {
        DuplicateHandle(GetCurrentProcess(), heldSection, GetCurrentProcess(), section.Out(),
                        FILE_MAP_READ, TRUE, 0);
    }
    FanGuardArguments args;
    args.processHandle = reinterpret_cast<uintptr_t>(self.Get());
    args.heldSection = reinterpret_cast<uintptr_t>(section.Get());
    args.markerPath = markerPath;
    std::wstring command = L"\"" + guardPath + L"\" " + FormatFanGuardArguments(args);

    HANDLE inherited[2] = {self.Get(), section.Get()};
    ScopedAttributeList onlyThatHandle(inherited, section.Get() ? 2 : 1);
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    // No console, no standard handles of ours: the guard outlives whatever we were started from.
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.lpAttributeList = onlyThatHandle.Get();
    DWORD flags = CREATE_NO_WINDOW;
    if (startup.lpAttributeList) flags |= EXTENDED_STARTUPINFO_PRESENT;

    // Out of our job first, so closing the job (or the tree) that Velmora runs in does not end
    // the guard with it; a job that forbids that still gets a guard inside it.
    for (DWORD breakaway : {DWORD{CREATE_BREAKAWAY_FROM_JOB}, DWORD{0}}) {
        PROCESS_INFORMATION process{};
        if (CreateProcessW(guardPath.c_str(), command.data(), nullptr, nullptr, TRUE,
                           flags | breakaway, nullptr, folder.c_str(), &startup.StartupInfo,
                           &process)) {
            KernelHandle thread(process.hThread);
            KernelHandle guard(process.hProcess);
            return true;
        }
    }
    return false;
}

}  // namespace velmora
