// Keyword search answer times over a shared-files table of 1,000,000 rows:
//   (a) building the table (the triggers record the names) and taking all names
//       into the full-text index;
//   (b) p50/p99 of the query path (parse, SQL over the name index, paging,
//       datagrams) per kind of query, and queries answered per second;
//   (c) the same queries over real loopback UDP to a running responder;
//   (d) for comparison, the plain LIKE scan the name index replaces.
// Target: p99 <= 5 ms at 1,000,000 rows.
// Usage: dovel-bench-search_responder [WORK_FOLDER]   (default: a new folder in /tmp;
// a given folder keeps its table, so later runs skip (a))
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "db/database_lock.h"
#include "db/name_index.h"
#include "platform/cp949.h"
#include "server/search_answer.h"
#include "server/search_query.h"
#include "server/search_responder.h"
#include "service/frame.h"
#include "support/share_server_home.h"
#include "util/little_endian.h"
#include "util/log_files.h"
#include "wire/result_datagram.h"
#include "wire/search_datagram.h"

namespace {

namespace fs = std::filesystem;
using namespace dovel;
using Clock = std::chrono::steady_clock;

constexpr int kRows = 1000000;

double milliseconds_since(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

// ---- the table ----

const std::vector<std::string> kAsciiWords = {
    "love", "song", "live", "the", "movie", "season", "episode", "final", "best", "collection", "remix", "original", "sound", "track",
    "drama", "news", "music", "video", "game", "story", "world", "night", "day", "star", "dream", "city", "road", "river", "blue",
    "red", "black", "white", "summer", "winter", "spring", "autumn", "korea", "seoul", "busan", "hd", "1080p", "720p", "x264",
    "hevc", "aac", "dts", "web", "dl", "bluray", "dvdrip", "part", "vol", "disc", "cd", "edition", "special", "concert", "tour",
    "album", "single", "mix", "club", "dance", "party", "baby", "girl", "boy", "heart", "fire", "rain", "snow", "wind", "sky",
};
const std::vector<std::string> kKoreanWords = {
    "사랑", "노래", "영화", "드라마", "뉴스", "음악", "자막", "한국", "가요", "모음", "최신", "완결", "시즌", "고화질", "예능",
    "무한", "도전", "런닝맨", "라디오", "콘서트", "라이브", "발라드", "댄스", "트로트", "팝송", "클래식", "재즈", "힙합", "동요",
    "만화", "애니", "게임", "공략", "강의", "수학", "영어", "국어", "과학", "역사", "여행", "요리", "사진", "풍경", "하늘",
    "바다", "산", "강", "꽃", "별", "달", "해", "비", "눈", "바람", "봄", "여름", "가을", "겨울", "첫사랑", "이별", "추억",
    "우리", "너", "나", "그대", "친구", "가족", "엄마", "아빠", "학교", "회사", "서울", "부산", "제주", "똠방각하", "햏자",
};
const std::vector<std::string> kExtensions = {"mp3", "avi", "mkv", "mp4", "jpg", "zip", "txt", "pdf", "hwp", "smi", "flac", "wmv", "rar", "exe", "iso"};

// A word of generated letters, so that the vocabulary has a long tail of rare words.
std::string made_up_word(std::mt19937& random) {
  static const char* const kSyllables[] = {"ka", "ri", "mo", "ne", "su", "to", "la", "vi", "ze", "po", "qu", "xa", "jo", "be", "fi", "gu"};
  std::string word;
  for (int i = 0, n = 2 + static_cast<int>(random() % 3); i < n; ++i) word += kSyllables[random() % 16];
  return word;
}

std::string made_up_korean(std::mt19937& random) {
  std::string word;
  for (int i = 0, n = 1 + static_cast<int>(random() % 3); i < n; ++i) {
    char32_t syllable = 0xAC00 + static_cast<char32_t>(random() % 11172);
    word += static_cast<char>(0xE0 | (syllable >> 12));
    word += static_cast<char>(0x80 | ((syllable >> 6) & 0x3F));
    word += static_cast<char>(0x80 | (syllable & 0x3F));
  }
  return platform::utf8_to_cp949(word) ? word : "가";
}

// Skewed choice: low indexes far more often, as with real words.
const std::string& skewed(const std::vector<std::string>& words, std::mt19937& random) {
  std::uniform_real_distribution<double> unit(0, 1);
  const double u = unit(random);
  return words[static_cast<size_t>(u * u * u * static_cast<double>(words.size()))];
}

std::string random_name(std::mt19937& random) {
  static const char* const kSeparators[] = {" ", " ", " ", ".", "_", "-"};
  std::string name;
  const int words = 2 + static_cast<int>(random() % 5);
  for (int i = 0; i < words; ++i) {
    if (i > 0) name += kSeparators[random() % 6];
    switch (random() % 10) {
      case 0: case 1: case 2: name += skewed(kAsciiWords, random); break;
      case 3: case 4: case 5: name += skewed(kKoreanWords, random); break;
      case 6: name += made_up_word(random); break;
      case 7: name += made_up_korean(random); break;
      case 8: name += std::to_string(random() % 2030); break;
      default: {
        std::string word = skewed(kAsciiWords, random);
        word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
        name += word;
      }
    }
  }
  return name;
}

std::string random_hash(std::mt19937& random) {
  static const char kHex[] = "0123456789abcdef";
  std::string hash;
  for (int i = 0; i < 32; ++i) hash += kHex[random() % 16];
  return hash;
}

int row_count(db::Sqlite3Connection& data) {
  std::lock_guard guard(db::database_lock());
  return data.QueryScalar("Select count(*) From shared_files");
}

void build_table(db::Sqlite3Connection& data) {
  std::mt19937 random(20240607);
  std::lock_guard guard(db::database_lock());
  data.Execute("Delete From shared_files; begin transaction;");
  db::Sqlite3Statement insert = data.Prepare(
      "Insert Into shared_files (hash,name,extention,file_type,size,hashed_size,last_write_time,path,down_requested,search_requested,"
      "[level],[right],shared_name,shared_index,hash_version,uniq_id) Values (?,?,?,?,?,?,0,?,0,0,0,?,'bench',?,7,1)");
  for (int i = 0; i < kRows; ++i) {
    const bool folder = random() % 20 == 0;
    const int share = static_cast<int>(random() % 10 < 7 ? 0 : random() % 3);
    const int64_t size = folder ? 0 : static_cast<int64_t>(random() % 4000000000u);
    insert.Bind(0, folder || random() % 5 == 0 ? std::string() : random_hash(random));
    insert.Bind(1, random_name(random));
    insert.Bind(2, folder ? std::string() : kExtensions[std::min<size_t>(random() % 20, kExtensions.size() - 1)]);
    insert.Bind(3, folder ? 0 : 1);
    insert.Bind(4, static_cast<double>(size));
    insert.Bind(5, static_cast<double>(size));
    insert.Bind(6, random() % 3 == 0 ? std::string() : skewed(kKoreanWords, random) + "\\" + made_up_word(random));
    insert.Bind(7, share == 1 ? 5 : share == 2 ? 8 : 1);
    insert.Bind(8, share);
    insert.Execute();
  }
  insert.Finish();
  data.Execute("commit transaction; ANALYZE shared_files;");
}

// ---- queries ----

struct Query {
  std::string kind;
  std::string text;  // UTF-8: words split by 0x01, then 0x02 and an extension
};

const std::vector<Query> kQueries = {
    {"ascii, 1 word, common", "love"},
    {"ascii, 1 word, common", "song"},
    {"ascii, 1 word, rare", "kariqu"},
    {"ascii, 1 word, rare", "bluray"},
    {"ascii, 1 word, 2 letters", "hd"},
    {"ascii, 1 word, no match", "zzyzx"},
    {"ascii, 2 words", "love\x01song"},
    {"ascii, 2 words", "night\x01" "city"},
    {"ascii, 2 words, rare pair", "xajo\x01" "bluray"},
    {"ascii + extension", "love\x02mp3"},
    {"ascii + extension", "season\x01" "episode\x02mkv"},
    {"ascii + rare extension", "dream\x02iso"},
    {"korean, 1 syllable", "랑"},
    {"korean, 1 syllable", "별"},
    {"korean, 1 syllable, rare", "햏"},
    {"korean, 2 syllables", "사랑"},
    {"korean, 2 syllables", "노래"},
    {"korean, 2 syllables, rare", "똠방"},
    {"korean, 2 words", "사랑\x01노래"},
    {"korean, 2 words", "영화\x01자막"},
    {"korean + extension", "노래\x02mp3"},
    {"korean + extension", "드라마\x01시즌\x02avi"},
    {"korean + rare extension", "사랑\x02exe"},
    {"mixed", "love\x01사랑"},
    {"no match, common grams", "love\x01song\x01night\x01dream\x01" "city"},
};

std::string datagram_of(const Query& query, uint32_t number, bool usable, service::Endpoint reply) {
  std::string datagram(wire::kKeywordQuerySize, '\0');
  datagram[0] = static_cast<char>(service::search_check_byte(wire::kKeywordQuery));
  datagram[1] = static_cast<char>(wire::kKeywordQuery);
  datagram[wire::kQuerySearcherUsable] = usable ? 1 : 0;
  std::string fields;
  util::append_u32(fields, number);
  util::append_u32(fields, 0);
  datagram.replace(wire::kQuerySearchNumber, 8, fields);
  datagram[wire::kQueryDestination] = static_cast<char>(wire::kSearchWindowDestination);
  std::string text = platform::utf8_to_cp949(query.text).value();
  text.resize(wire::kQueryTextSize, '\0');
  datagram.replace(wire::kQueryText, wire::kQueryTextSize, service::scrambled(text));
  datagram.replace(wire::kQueryUserId, 6, "seeker");
  datagram.replace(wire::kQueryReplyAddress, 4, reinterpret_cast<const char*>(&reply.address), 4);
  std::string port;
  util::append_u32(port, reply.port);
  datagram.replace(wire::kQueryReplyPort, 4, port);
  return datagram;
}

struct Timings {
  std::vector<double> all;
  std::map<std::string, std::vector<double>> by_kind;
};

double percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<size_t>(fraction * static_cast<double>(values.size())))];
}

void print_timings(const char* title, const Timings& timings, double seconds) {
  std::printf("%s\n", title);
  for (const auto& [kind, values] : timings.by_kind) {
    std::printf("    %-32s p50 %7.3f ms   p99 %7.3f ms   max %7.3f ms\n", kind.c_str(), percentile(values, 0.5), percentile(values, 0.99),
                *std::max_element(values.begin(), values.end()));
  }
  std::printf("    %-32s p50 %7.3f ms   p99 %7.3f ms   (target p99 <= 5 ms)\n", "ALL", percentile(timings.all, 0.5), percentile(timings.all, 0.99));
  std::printf("    %zu queries in %.2f s: %.0f answered queries/s\n", timings.all.size(), seconds, static_cast<double>(timings.all.size()) / seconds);
}

// The responder's own path without the network: parse, query, page, build.
size_t answer_directly(db::Sqlite3Connection& data, server::SearchTermPlanner& planner, const std::string& datagram,
                       const std::vector<settings::ShareIndex>& shares) {
  std::optional<wire::SearchQuery> query = wire::parse_search_query(datagram);
  if (!query) return 0;
  std::lock_guard guard(db::database_lock());
  size_t bytes = 0;
  for (const std::string& payload : server::answer_search(data, planner, *query, shares, "owner")) {
    bytes += wire::build_result_datagram({}, payload).size();
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  // A folder named on the command line keeps the table for the next run.
  test::ShareServerHome home({.owner = {"owner", 0, "", "", ""},
                              .shares = {{"공유", settings::SHARE_READ},
                                         {"성인", settings::SHARE_READ | settings::SHARE_ADULT},
                                         {"친구", settings::SHARE_FRIEND}},
                              .folder = argc > 1 ? fs::path(argv[1]) : fs::path()});
  util::ConfigureLogFiles(home.folder, platform::system_clock());
  db::Sqlite3Connection& table = home.databases.data;

  // (a)
  if (row_count(table) != kRows) {
    std::printf("building %d rows in %s ...\n", kRows, home.folder.c_str());
    const auto start = Clock::now();
    build_table(table);
    std::printf("(a) %d rows inserted with the name index kept by its triggers: %.1f s (%.0f rows/s); file %.0f MiB\n", kRows,
                milliseconds_since(start) / 1000, kRows / (milliseconds_since(start) / 1000),
                static_cast<double>(fs::file_size(home.context.database_file)) / 1048576.0);
  } else {
    std::printf("(a) reusing the %d rows in %s\n", kRows, home.folder.c_str());
  }
  {
    std::lock_guard guard(db::database_lock());
    const auto start = Clock::now();
    int batches = 0;
    while (!db::CatchUpNameIndex(table, 50000)) ++batches;
    if (batches > 0) {
      std::printf("    names taken into the full-text index: %.1f s; file now %.0f MiB\n", milliseconds_since(start) / 1000,
                  static_cast<double>(fs::file_size(home.context.database_file)) / 1048576.0);
    }
  }
  const std::vector<settings::ShareIndex> shares = server::searchable_shares(home.settings.shared_folders(), server::ShareVisitor{.is_adult = true});

  // (b)
  db::Sqlite3Connection data;
  {
    std::lock_guard guard(db::database_lock());
    data.Open(home.context.database_file);
  }
  server::SearchTermPlanner planner;
  constexpr int kRounds = 40;
  const service::Endpoint nowhere{*platform::parse_ipv4("127.0.0.1"), 9};  // the direct path sends nothing
  // The first query of each kind counts its grams once (the planner remembers them).
  Timings first;
  for (const Query& query : kQueries) {
    const auto start = Clock::now();
    answer_directly(data, planner, datagram_of(query, 1, true, nowhere), shares);
    first.all.push_back(milliseconds_since(start));
    first.by_kind[query.kind].push_back(first.all.back());
  }
  std::printf("(b0) first answer of each query (grams counted, cache cold): max %.3f ms, median %.3f ms\n",
              *std::max_element(first.all.begin(), first.all.end()), percentile(first.all, 0.5));
  Timings direct;
  std::map<std::string, size_t> datagrams_per_query;
  const auto direct_start = Clock::now();
  for (int round = 0; round < kRounds; ++round) {
    for (size_t i = 0; i < kQueries.size(); ++i) {
      const bool usable = (round + i) % 2 == 0;
      const std::string datagram = datagram_of(kQueries[i], 1, usable, nowhere);
      const auto start = Clock::now();
      answer_directly(data, planner, datagram, shares);
      const double ms = milliseconds_since(start);
      direct.all.push_back(ms);
      direct.by_kind[kQueries[i].kind].push_back(ms);
    }
  }
  print_timings("(b) query path (parse, name index, paging, datagrams), 1 thread:", direct, milliseconds_since(direct_start) / 1000);

  // (c)
  const server::ShareServerContext& context = home.context;
  wire::DroppedSearchResults results;
  server::NoListSync lists;
  // One client asking as fast as it can: no limit of the responder may stand in the way.
  server::SearchRateLimits limits{.burst = 1000000, .per_second = 1000000, .max_sources = 16};
  limits.reply_bytes_per_second = limits.destination_bytes_per_second = 1u << 30;
  server::SearchResponder responder(context, service::ServiceEndpoints::defaults(), results, lists, limits);
  if (!responder.start_search_responder(0)) {
    std::fprintf(stderr, "cannot start the responder\n");
    return 1;
  }
  platform::UniqueFd client(platform::make_udp_socket_bound(context.bind_address, 0));
  const service::Endpoint me{context.bind_address, platform::local_port(client.get())};
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = context.bind_address;
  target.sin_port = htons(responder.port());
  // How many datagrams each query brings, from the direct path.
  auto expected_datagrams = [&](const std::string& datagram) {
    std::optional<wire::SearchQuery> query = wire::parse_search_query(datagram);
    std::lock_guard guard(db::database_lock());
    return server::answer_search(data, planner, *query, shares, "owner").size();
  };
  Timings udp;
  std::string buffer(2048, '\0');
  // Each worker has its own planner: a few unmeasured rounds let both count their grams.
  for (int round = 0; round < 4; ++round) {
    for (const Query& query : kQueries) {
      const std::string datagram = datagram_of(query, 1, true, me);
      ::sendto(client.get(), datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&target), sizeof target);
      while (platform::receive_some(client.get(), buffer.data(), buffer.size(), 100) > 0) {
      }
    }
  }
  int lost = 0;
  const auto udp_start = Clock::now();
  for (int round = 0; round < kRounds / 2; ++round) {
    for (size_t i = 0; i < kQueries.size(); ++i) {
      const std::string datagram = datagram_of(kQueries[i], static_cast<uint32_t>(round * 100 + i), (round + i) % 2 == 0, me);
      const size_t expected = expected_datagrams(datagram);
      if (expected == 0) continue;
      const auto start = Clock::now();
      ::sendto(client.get(), datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&target), sizeof target);
      size_t got = 0;
      while (got < expected && platform::receive_some(client.get(), buffer.data(), buffer.size(), 1000) > 0) ++got;
      if (got < expected) {
        ++lost;
        continue;
      }
      const double ms = milliseconds_since(start);
      udp.all.push_back(ms);
      udp.by_kind[kQueries[i].kind].push_back(ms);
    }
  }
  print_timings("(c) over loopback UDP to a running responder (query sent to last answer datagram received):", udp,
                milliseconds_since(udp_start) / 1000);
  if (lost > 0) std::printf("    %d queries lost datagrams on loopback\n", lost);
  responder.stop_search_responder();

  // (d)
  std::printf("(d) the plain LIKE scan without the name index, for comparison:\n");
  for (const char* word : {"love", "사랑", "zzyzx"}) {
    std::lock_guard guard(db::database_lock());
    db::Sqlite3Statement scan = data.Prepare(
        "Select [name],[hash],[extention],[file_type],[size],[right],[path],[shared_index] From [shared_files] "
        "Where [right] < 16 And [name] Like ? Escape '\\' And [shared_index] In (0,1)");
    scan.Bind(0, "%" + std::string(word) + "%");
    const auto start = Clock::now();
    int rows = 0;
    for (db::Sqlite3Query query = scan.Query(); !query.AtEnd() && rows < 100; query.Next()) ++rows;
    std::printf("    %-8s first %d rows: %8.3f ms\n", word, rows, milliseconds_since(start));
    scan.Finish();
  }

  return 0;
}
