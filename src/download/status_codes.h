#pragma once

namespace dovel::download {

// The status codes of a download item and of its connections: set by the
// client, or the refusal byte a server answered (the list's "비고" column
// shows their texts, download_texts.h).
inline constexpr int kStatusNoAnswer = 4;           // "끊어짐": the server said nothing
inline constexpr int kStatusFileInfoError = 5;      // "파일정보에러": no request could be made, or the content is not the file
inline constexpr int kStatusUnreachable = 8;        // "연결실패(서버중단됨)"
inline constexpr int kStatusNoSources = 9;          // "파일없음 - 서버사용자에게 문의"
inline constexpr int kStatusNoPiece = 11;           // a connection left without a piece
inline constexpr int kStatusPeerClosed = 12;        // "상대가 끊음"
inline constexpr int kStatusPeerError = 13;         // "상대측에러"
inline constexpr int kStatusWriteFailed = 14;       // "파일쓰기실패": never retried automatically
inline constexpr int kStatusDropped = 15;           // a connection dropped (not ready, stopped, silent)
inline constexpr int kStatusForbidden = 16;         // "전송금지파일"
inline constexpr int kStatusNameTaken = 17;         // "같은파일이름있음 - 다운로드폴더확인"
inline constexpr int kStatusFalselyReported = 18;   // "허위신고됨"
inline constexpr int kStatusPointServer = 21;       // "포인트서버에러"
inline constexpr int kStatusPointShortage = 22;     // "포인트부족"
inline constexpr int kStatusTooLargeForFat = 32;    // "4G이상파일불가: NTFS로 변환권장"
inline constexpr int kStatusWrongVersion = 37;      // "버전틀림"
inline constexpr int kStatusForbiddenArchive = 39;  // "금지확장자 포함된 압축파일"
inline constexpr int kStatusPaidUnconfirmed = 41;   // "저작권파일"
inline constexpr int kStatusBalanceShort = 42;      // "별머니부족"

}  // namespace dovel::download
