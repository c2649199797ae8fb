#pragma once

#include <array>
#include <variant>

#include "settings/setting_rows.h"
#include "settings/stored_settings.h"

namespace dovel::settings {

// Every value the program keeps in the settings key and in the profile file,
// each written here once: its section and name, its type, its initial value
// (what the program holds before the store is read), its default when the store
// has none, its range with what an out-of-range number becomes, and the member
// of StoredSettings that holds it, or none for a value one window reads and
// writes on its own. Names, sections and types are the stored format: data
// homes written by earlier versions must keep loading, so none of them changes.

// --- Loaded and saved together, in this order ------------------------------------------
// {name, initial, on load, range (else), member}; texts: {name, default on load, stored form, member}.
inline constexpr FlagSetting kShowServer{"ShowServer", true, true, &StoredSettings::show_server};
inline constexpr TextSetting kServerSubject{"ServerSubject", TextDefault::RandomServerTitle, TextForm::Trimmed,
                                            &StoredSettings::server_subject};
inline constexpr TextSetting kIntroUrl{"IntroURL", TextDefault::Empty, TextForm::Plain, &StoredSettings::intro_url};
inline constexpr TextSetting kDownPath{"DownPath", TextDefault::DownloadFolder, TextForm::Plain, &StoredSettings::down_path};
inline constexpr NumberSetting kSharePort{"SharePort", 9910, 9910, NumberRange{1, 65535, 9910}, &StoredSettings::share_port};
inline constexpr NumberSetting kMaxUpload{"MaxUpload", 3, 10, NumberRange{1, 100, 10}, &StoredSettings::max_upload};
inline constexpr FlagSetting kUseIntroUrl{"UseIntroURL", false, false, &StoredSettings::use_intro_url};
// Also the download list's check box.
inline constexpr FlagSetting kUseMultiDown{"UseMultiDown", false, true, &StoredSettings::use_multi_down};
inline constexpr FlagSetting kAllowMemo{"AllowMemo", true, true, &StoredSettings::allow_memo};
inline constexpr FlagSetting kUltraTurbo{"UltraTurbo", false, true, &StoredSettings::ultra_turbo};
inline constexpr FlagSetting kAutoHash{"AutoHash", true, true, &StoredSettings::auto_hash};
inline constexpr FlagSetting kAutoRetryStopDown{"AutoRetryStopDown", true, false, &StoredSettings::auto_retry_stop_down};
// The rows of the page's list: no limit, 1, 2 or 3 downloads at once.
inline constexpr NumberSetting kSelLimitDownSameTime{"SelLimitDownSameTime", 1, 1, NumberRange{0, 3, 1},
                                                     &StoredSettings::sel_limit_down_same_time};
inline constexpr FlagSetting kUseNotifyWindow{"UseNotifyWindow", true, true, &StoredSettings::use_notify_window};
inline constexpr FlagSetting kUseServerReserve{"UseServerReserve", false, false, &StoredSettings::use_server_reserve};
inline constexpr FlagSetting kUseServerReserveRepeat{"UseServerReserveRepeat", false, false, &StoredSettings::use_server_reserve_repeat};
inline constexpr NumberSetting kServerReserveStartTime{"ServerReserveStartTime", 0, 0, NumberRange{0, 23, 0},
                                                       &StoredSettings::server_reserve_start_time};
inline constexpr NumberSetting kServerReserveEndTime{"ServerReserveEndTime", 0, 0, NumberRange{0, 23, 0},
                                                     &StoredSettings::server_reserve_end_time};
inline constexpr TextSetting kFolderPass{"FolderPass", TextDefault::Empty, TextForm::LetterPair, &StoredSettings::folder_pass};
// Rows 0-6: at most 200, 300, 400, 500, 700, 1000 or 2000 files per folder download.
inline constexpr NumberSetting kMaxForFolderDown{"MaxForFolderDown", 3, 3, NumberRange{0, 6, 3}, &StoredSettings::max_for_folder_down};

// --- Values of one window each, read and written on their own ----------------------------
// {name, initial, on load, range (else)}; texts: {name, default on load, stored form}.
inline constexpr FlagSetting kAutoTray{"AutoTray", false, false};
inline constexpr FlagSetting kAutoLogin{"AutoLogin", false, false};
inline constexpr TextSetting kStoredUserId{"data1", TextDefault::Empty, TextForm::LetterPair};
// Emptied whenever automatic login goes off or a stored login is refused.
inline constexpr TextSetting kStoredPassword{"data2", TextDefault::Empty, TextForm::LetterPair};
// The rows of the download list's speed box (0: no limit).
inline constexpr NumberSetting kLimitDownloadSpeed{"LimitDownloadSpeed", 0, 0, NumberRange{0, 9, 0}};
// The rows of the upload monitor's speed box (0: no limit).
inline constexpr NumberSetting kLimitUploadSpeed{"LimitUploadSpeed", 0, 0, NumberRange{0, 5, 0}};
inline constexpr FlagSetting kExploreAutoMoveDownload{"ExploreAutoMoveDownload", true, true};
inline constexpr FlagSetting kIntroNoScript{"IntroNoScript", true, true};
inline constexpr FlagSetting kNoNewWindow{"NoNewWindow", true, true};
// The explored user IDs, newest first, joined by the byte 0x03.
inline constexpr TextSetting kUserList{"UserList", TextDefault::Empty, TextForm::Plain};
inline constexpr TextSetting kAddressbarUrlList{"AddressbarURLList", TextDefault::Empty, TextForm::Plain};
// The rows of the search window's precision box (pauses of 0 to 100 ms).
inline constexpr NumberSetting kSendtoDelay{"SendtoDelay", 4, 4, NumberRange{0, 7, 4}};
// The rows of the search window's sort box; the last is "no sorting".
inline constexpr NumberSetting kAutoSort{"AutoSort", 4, 4, NumberRange{0, 4, 4}};
inline constexpr FlagSetting kSearchAutoMoveDownload{"SearchAutoMoveDownload", true, true};
inline constexpr TextSetting kSearchFileExt{"SearchFileExt", TextDefault::Empty, TextForm::Plain};
// The search words typed, newest first, one per line.
inline constexpr TextSetting kSearchText{"SearchText", TextDefault::Empty, TextForm::Plain};
inline constexpr FlagSetting kAutoFavoriteClose{"AutoFavoriteClose", true, true, nullptr, kLowerSettingSection};
// This program's own: stop a download that the service has false reports of.
inline constexpr FlagSetting kAutoStopReported{"AutoStopReported", false, false};

// --- The profile file ----------------------------------------------------------------------
// {section, name, on load, range (else), a second name written}.
inline constexpr ProfileSetting kWindowZoomed{kProfileSection, "zoomed", 0};
// -1: centre the window on the screen.
inline constexpr ProfileSetting kWindowLeft{kProfileSection, "left", -1};
inline constexpr ProfileSetting kWindowTop{kProfileSection, "top", -1};
inline constexpr ProfileSetting kWindowWidth{kProfileSection, "width", 984};
inline constexpr ProfileSetting kWindowHeight{kProfileSection, "height", 700};
// The rows of the remote list's sort box: name, size, time, access.
inline constexpr ProfileSetting kRemoteListSort{kProfileSection, "remotelistautosort", 0, ProfileRange{0, 3, 0}};
inline constexpr ProfileSetting kConnectViewIntro{kProfileSection, "ConnectViewIntro", 0};
inline constexpr ProfileSetting kCpNoAsk{kProfileSection, "cp_no_ask", 0};
// The server list reads "serverlistautosort3" and every choice is written under
// both names, so that the choice written is also the one read at the next start.
inline constexpr ProfileSetting kServerListSort{kProfileSection, "serverlistautosort3", 3, ProfileRange{0, 5, 3}, "serverlistautosort"};
// 1: search the server list by owner ID, 0: by title; any other number: neither is chosen.
inline constexpr ProfileSetting kServerSearchId{kProfileSettingSection, "ServerSearchID", 1};

// One row of the settings key, whatever its type.
using RegistryRow = std::variant<const FlagSetting*, const NumberSetting*, const TextSetting*>;

// The rows Load reads and Save writes, in their stored order.
inline constexpr std::array<RegistryRow, 20> kLoadedTogether = {
    &kShowServer, &kServerSubject, &kIntroUrl, &kDownPath, &kSharePort, &kMaxUpload, &kUseIntroUrl, &kUseMultiDown, &kAllowMemo,
    &kUltraTurbo, &kAutoHash, &kAutoRetryStopDown, &kSelLimitDownSameTime, &kUseNotifyWindow, &kUseServerReserve,
    &kUseServerReserveRepeat, &kServerReserveStartTime, &kServerReserveEndTime, &kFolderPass, &kMaxForFolderDown,
};

// The rows of single windows.
inline constexpr std::array<RegistryRow, 18> kWindowValues = {
    &kAutoTray, &kAutoLogin, &kStoredUserId, &kStoredPassword, &kLimitDownloadSpeed, &kLimitUploadSpeed,
    &kExploreAutoMoveDownload, &kIntroNoScript, &kNoNewWindow, &kUserList, &kAddressbarUrlList, &kSendtoDelay, &kAutoSort,
    &kSearchAutoMoveDownload, &kSearchFileExt, &kSearchText, &kAutoFavoriteClose, &kAutoStopReported,
};

// The rows of the profile file.
inline constexpr std::array<const ProfileSetting*, 10> kProfileValues = {
    &kWindowZoomed, &kWindowLeft, &kWindowTop, &kWindowWidth, &kWindowHeight, &kRemoteListSort, &kConnectViewIntro, &kCpNoAsk,
    &kServerListSort, &kServerSearchId,
};

// The name of any row.
constexpr std::string_view name_of(const RegistryRow& row) {
  return std::visit([](const auto* setting) { return setting->name; }, row);
}

}  // namespace dovel::settings
