#include "download/download_texts.h"

#include <array>
#include <utility>

#include "base/string_printf.h"
#include "util/format.h"
#include "util/links.h"
#include "util/media_files.h"

namespace dovel::download {
namespace {

constexpr std::array<std::pair<int, std::string_view>, 30> kStatusTexts = {{
    {2, "해싱중 - 잠시후 재시도"},
    {3, "다운인원초과"},
    {4, "끊어짐"},
    {5, "파일정보에러"},
    {6, "파일이 없음"},
    {7, "성인전용임"},
    {8, "연결실패(서버중단됨)"},
    {9, "파일없음 - 서버사용자에게 문의"},
    {10, "업로드일시중지 - 서버사용자가 업로드를 잠시 중지한 상태입니다."},
    {12, "상대가 끊음"},
    {13, "상대측에러"},
    {14, "파일쓰기실패"},
    {16, "전송금지파일"},
    {17, "같은파일이름있음 - 다운로드폴더확인"},
    {18, "허위신고됨"},
    {21, "포인트서버에러"},
    {22, "포인트부족"},
    {30, "차단됨-상대가 차단함"},
    {31, "친구전용임"},
    {32, "4G이상파일불가: NTFS로 변환권장"},
    {33, "ID중복-잠시후재시도 또는 폴더다운중인지 확인"},
    {34, "ID중복-잠시후재시도 또는 일반다운중인지 확인"},
    {35, "비밀폴더"},
    {36, "별머니/프리미엄전용"},
    {37, "버전틀림"},
    {38, "전송금지파일"},
    {39, "금지확장자 포함된 압축파일"},
    {40, "서버측 압축필터에러"},
    {41, "저작권파일"},
    {42, "별머니부족"},
}};

constexpr int64_t kKilobyte = 1024;

std::string kilobytes_text(int64_t bytes) { return util::FormatNumber(bytes / kKilobyte) + " K"; }

int percent_of(int64_t received, int64_t size) {
  if (size <= 0 || received <= 0) return 0;
  if (received >= size) return 100;
  // Exact also where received * 100 would not fit 64 bits.
  return static_cast<int>(static_cast<__int128>(received) * 100 / size);
}

}  // namespace

std::string_view state_text(ItemState state) {
  switch (state) {
    case ItemState::Waiting: return "대기중";
    case ItemState::Preparing: return "파일준비";
    case ItemState::Transferring: return "전송중";
    case ItemState::Stopped: return "중지됨";
    case ItemState::Moving: return "이동중";
    case ItemState::Finished: return "전송완료";
  }
  return "";
}

std::string_view status_text(int status_code) {
  for (const auto& [code, text] : kStatusTexts) {
    if (code == status_code) return text;
  }
  return "";
}

int64_t bytes_per_second(int64_t bytes, int64_t elapsed_ms) {
  if (elapsed_ms <= 0 || bytes < 0) return -1;
  const __int128 speed = static_cast<__int128>(bytes) * 1000 / elapsed_ms;
  return speed > INT64_MAX ? INT64_MAX : static_cast<int64_t>(speed);
}

std::string speed_text(int64_t bytes_per_second) {
  if (bytes_per_second < 0) return "";
  return base::string_printf("%lld K", static_cast<long long>(bytes_per_second / kKilobyte));
}

std::string remaining_time_text(int64_t missing_bytes, int64_t bytes_per_second) {
  if (bytes_per_second <= 0) return "";
  int64_t seconds = missing_bytes > 0 ? missing_bytes / bytes_per_second : 0;
  return base::string_printf("%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                             static_cast<long long>(seconds % 60));
}

ItemTexts item_texts(const ItemSnapshot& item) {
  ItemTexts texts;
  texts.state = state_text(item.state);
  texts.connections = base::string_printf("%d/%d", item.active_connections, item.pending_connections);
  texts.size = kilobytes_text(item.size);
  texts.received = kilobytes_text(item.received);
  texts.percent = percent_of(item.received, item.size);
  texts.percent_text = base::string_printf("%d%%", texts.percent);
  if (item.state == ItemState::Transferring) {
    texts.average_speed = speed_text(item.average_speed);
    texts.current_speed = speed_text(item.current_speed);
    texts.remaining_time = remaining_time_text(item.size - item.received, item.average_speed);
  }
  texts.status = status_text(item.status_code);
  if (item.state == ItemState::Finished || util::IsMediaFile(item.file_name)) texts.run_marker = "실행";
  texts.link = util::FileLink(item.file_name, item.hash, item.size);
  return texts;
}

}  // namespace dovel::download
