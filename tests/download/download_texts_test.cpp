#include "download/download_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "download/leftover_question.h"

namespace dovel::download {
namespace {

TEST(DownloadTextsTest, StateTexts) {
  EXPECT_EQ(state_text(ItemState::Waiting), "대기중");
  EXPECT_EQ(state_text(ItemState::Preparing), "파일준비");
  EXPECT_EQ(state_text(ItemState::Transferring), "전송중");
  EXPECT_EQ(state_text(ItemState::Stopped), "중지됨");
  EXPECT_EQ(state_text(ItemState::Moving), "이동중");
  EXPECT_EQ(state_text(ItemState::Finished), "전송완료");
}

TEST(DownloadTextsTest, StatusTextsByCode) {
  struct Case {
    int code;
    std::string text;
  };
  const Case cases[] = {
      {0, ""},
      {1, ""},
      {2, "해싱중 - 잠시후 재시도"},
      {3, "다운인원초과"},
      {4, "끊어짐"},
      {5, "파일정보에러"},
      {6, "파일이 없음"},
      {7, "성인전용임"},
      {8, "연결실패(서버중단됨)"},
      {9, "파일없음 - 서버사용자에게 문의"},
      {10, "업로드일시중지 - 서버사용자가 업로드를 잠시 중지한 상태입니다."},
      {11, ""},
      {12, "상대가 끊음"},
      {13, "상대측에러"},
      {14, "파일쓰기실패"},
      {15, ""},
      {16, "전송금지파일"},
      {17, "같은파일이름있음 - 다운로드폴더확인"},
      {18, "허위신고됨"},
      {19, ""},
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
      {43, ""},
      {-1, ""},
      {255, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(status_text(c.code), c.text) << c.code;
}

TEST(DownloadTextsTest, SpeedsAndRemainingTimeWithZeroDivisorsAreBlank) {
  EXPECT_EQ(bytes_per_second(1000, 0), -1);
  EXPECT_EQ(bytes_per_second(1000, -5), -1);
  EXPECT_EQ(bytes_per_second(2048, 2000), 1024);
  EXPECT_EQ(bytes_per_second(INT64_MAX / 10, 1000), INT64_MAX / 10);
  EXPECT_EQ(bytes_per_second(INT64_MAX, 1), INT64_MAX);
  EXPECT_EQ(bytes_per_second(-1, 1000), -1);
  EXPECT_EQ(speed_text(-1), "");
  EXPECT_EQ(speed_text(0), "0 K");
  EXPECT_EQ(speed_text(1023), "0 K");
  EXPECT_EQ(speed_text(5 * 1024 * 1024), "5120 K");
  EXPECT_EQ(remaining_time_text(1000, 0), "");
  EXPECT_EQ(remaining_time_text(1000, -1), "");
  EXPECT_EQ(remaining_time_text(0, 100), "00:00:00");
  EXPECT_EQ(remaining_time_text(3661 * 10, 10), "01:01:01");
  EXPECT_EQ(remaining_time_text(int64_t{1} << 62, 1), "1281023894007607:45:04");
}

ItemSnapshot transferring(int64_t size, int64_t received, int64_t average, int64_t current) {
  ItemSnapshot item;
  item.hash = "0123456789abcdef0123456789abcdef";
  item.file_name = "report.pdf";
  item.state = ItemState::Transferring;
  item.size = size;
  item.received = received;
  item.average_speed = average;
  item.current_speed = current;
  item.active_connections = 3;
  item.pending_connections = 1;
  return item;
}

TEST(DownloadTextsTest, ListTextsOfATransferringItem) {
  ItemTexts texts = item_texts(transferring(10 * 1024 * 1024, 2621440, 102400, 204800));
  EXPECT_EQ(texts.state, "전송중");
  EXPECT_EQ(texts.connections, "3/1");
  EXPECT_EQ(texts.size, "10,240 K");
  EXPECT_EQ(texts.received, "2,560 K");
  EXPECT_EQ(texts.percent, 25);
  EXPECT_EQ(texts.percent_text, "25%");
  EXPECT_EQ(texts.average_speed, "100 K");
  EXPECT_EQ(texts.current_speed, "200 K");
  EXPECT_EQ(texts.remaining_time, "00:01:16");
  EXPECT_EQ(texts.status, "");
  EXPECT_EQ(texts.run_marker, "");
  EXPECT_EQ(texts.link, "dovel://file/report.pdf:0123456789abcdef0123456789abcdef:10485760");
}

TEST(DownloadTextsTest, BlankColumnsWhereNothingCanBeTold) {
  ItemTexts just_started = item_texts(transferring(1000, 0, -1, -1));
  EXPECT_EQ(just_started.average_speed, "");
  EXPECT_EQ(just_started.current_speed, "");
  EXPECT_EQ(just_started.remaining_time, "");

  ItemTexts stalled = item_texts(transferring(1000, 10, 0, 0));
  EXPECT_EQ(stalled.average_speed, "0 K");
  EXPECT_EQ(stalled.remaining_time, "");

  ItemSnapshot stopped = transferring(0, 0, 5000, 5000);
  stopped.state = ItemState::Stopped;
  stopped.status_code = 14;
  ItemTexts texts = item_texts(stopped);
  EXPECT_EQ(texts.percent, 0);
  EXPECT_EQ(texts.average_speed, "");
  EXPECT_EQ(texts.current_speed, "");
  EXPECT_EQ(texts.remaining_time, "");
  EXPECT_EQ(texts.status, "파일쓰기실패");
}

TEST(DownloadTextsTest, PercentIsRoundedDownAndBounded) {
  struct Case {
    int64_t size;
    int64_t received;
    int percent;
  };
  const Case cases[] = {{0, 0, 0}, {0, 50, 0}, {3, 1, 33}, {3, 2, 66}, {100, 100, 100}, {100, 150, 100}, {100, -5, 0},
                        {INT64_MAX, INT64_MAX / 2, 49}};
  for (const Case& c : cases) EXPECT_EQ(item_texts(transferring(c.size, c.received, -1, -1)).percent, c.percent) << c.size << " " << c.received;
}

TEST(DownloadTextsTest, RunMarkerForFinishedFilesAndMedia) {
  ItemSnapshot item = transferring(100, 10, -1, -1);
  item.state = ItemState::Stopped;
  EXPECT_EQ(item_texts(item).run_marker, "");
  item.file_name = "clip.AVI";
  EXPECT_EQ(item_texts(item).run_marker, "실행");
  item.file_name = "notes.txt";
  item.state = ItemState::Finished;
  EXPECT_EQ(item_texts(item).run_marker, "실행");
}

TEST(DownloadTextsTest, LeftoverFilesQuestionNamesEachFileWithItsSizeAndCountsTheRest) {
  EXPECT_EQ(leftover_files_question({}), "");
  EXPECT_EQ(leftover_files_question({{"[DOVEL]a.bin", 1234567}, {"b.txt", 3}}),
            "임시폴더에 정리되지 않은 파일들이 있습니다.\r\n"
            "이는 보통 다운로드완료시 다른 프로그램이 해당파일을 잡고 있어 임시폴더에서 다운폴더로 옮기지 못한 경우가 대부분입니다.\r\n\r\n"
            "[DOVEL]a.bin(1,234,567)\r\nb.txt(3)\r\n\r\n탐색기로 확인하시겠습니까?");
  // A folder full of files gives a box of bounded length.
  const std::vector<LeftoverFile> many(kMostLeftoversNamed + 5, LeftoverFile{"x.bin", 1});
  const std::string question = leftover_files_question(many);
  size_t named = 0;
  for (size_t at = question.find("x.bin(1)"); at != std::string::npos; at = question.find("x.bin(1)", at + 1)) ++named;
  EXPECT_EQ(named, kMostLeftoversNamed);
  EXPECT_NE(question.find("... 외 5개\r\n"), std::string::npos);
}

}  // namespace
}  // namespace dovel::download
