// The update check: the descriptor fetched from the maker's update server, its version against
// the installed one, and the offer to run the updater.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "settings/UpdateSchedule.h"

namespace velmora {

// Beside the program (the current directory): the fetched descriptor and the updater.
inline constexpr wchar_t kUpdateDescriptorFile[] = L"VelmoraUpdate.xml";
inline constexpr wchar_t kUpdaterFile[] = L"VelmoraUpdate2.0.exe";
// Where the descriptor lives on the server, and the one value read from it.
inline constexpr wchar_t kUpdateDescriptorUrlPath[] = L"/updata/Velmora/VelmoraUpdate.xml";
inline constexpr wchar_t kPathDescriptorVersion[] = L"/VelmoraUpdate/Version";

inline constexpr wchar_t kUpdateMessageCaption[] = L"Velmora";
inline constexpr wchar_t kUpToDateText[] = L"The latest version is already\uFF01";
inline constexpr wchar_t kCheckFailedText[] = L"The new version failed to detect\uFF01";
inline constexpr wchar_t kNewerVersionText[] =
    L"A newer version of Velmora is available. Do you want to download it now?";
inline constexpr wchar_t kNewerVersionCaption[] = L"New version available";

// The server compiled in.
std::wstring BuiltInUpdateServer();
// "UpdateServer" of the settings file when it is there and not empty, else the built-in one.
std::wstring ConfiguredUpdateServer();
// The descriptor's address on `server` ("http://host[:port]", trailing slashes dropped);
// empty when the server is not an http:// or https:// one.
std::wstring DescriptorUrl(const std::wstring& server);

// Fetches the descriptor from the configured server into kUpdateDescriptorFile, always from
// the server (never a cached copy). False when the server is refused, cannot be reached,
// answers other than 200 or sends more than a settings file may hold.
bool DownloadUpdateDescriptor();

// "/VelmoraUpdate/Version" of the descriptor at `path`, loaded as hostile input (size limit,
// no document type, well-formed). False when it cannot be loaded or has no version.
bool ReadDescriptorVersion(const std::wstring& path, int32_t& version);

enum class UpdateCheckKind { kScheduled, kManual };
enum class UpdateOfferResult { kUpToDate, kDeclined, kUpdaterStarted };

// The last step of both checks. Not newer: the descriptor is deleted (the manual check says
// so). Newer: asks, owned by `owner`; Yes starts the updater (a failed start is not reported);
// No deletes the descriptor after the scheduled check only. Ending the program is the
// caller's: it differs between the two checks.
UpdateOfferResult OfferUpdate(int32_t localVersion, int32_t descriptorVersion, HWND owner,
                              UpdateCheckKind kind);

// "Check now", on the calling (user-interface) thread, messages owned by `owner`. True when the
// user chose to update: the caller then ends the program.
bool RunManualUpdateCheck(HWND owner);

// The scheduled check on the calling thread, with `today` as the local date: downloads, then
// by the schedule in the settings file may ask (a message box owned by `mainWindow`) and on Yes
// posts WM_CLOSE to `mainWindow`. It touches no window otherwise.
void RunScheduledUpdateCheck(HWND mainWindow, const CalendarDay& today);

// The check that runs once at every start, on a thread of its own: it touches no window and
// reaches the user only through message boxes owned by `mainWindow` and posted messages.
void StartScheduledUpdateCheck(HWND mainWindow);

// Today on the local clock.
CalendarDay LocalToday();

}  // namespace velmora
