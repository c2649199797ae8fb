// Listing rows of a remote folder: the column texts, the parse of a listing
// (including what a hostile server may send), the content lists and sorting.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "browse/listing.h"
#include "browse/row_sorting.h"
#include "platform/cp949.h"
#include "support/cp949_text.h"
#include "util/letter_pair.h"

namespace dovel::browse {
namespace {

using dovel::test::cp949;

std::vector<std::string> names_of(const std::vector<ListingRow>& rows) {
  std::vector<std::string> names;
  for (const ListingRow& row : rows) names.push_back(row.name);
  return names;
}

TEST(ListingColumnTexts, Size) {
  struct Case {
    std::string kind;
    std::string name;
    int64_t size;
    uint32_t attributes;
    std::string expected;
  } cases[] = {
      {kFileKind, "a", 0, 0, "0KB"},
      {kFileKind, "a", 1, 0, "1KB"},
      {kFileKind, "a", 1023, 0, "1KB"},
      {kFileKind, "a", 2047, 0, "1KB"},
      {kFileKind, "a", 2048, 0, "2KB"},
      {kFileKind, "a", 1536LL * 1024 * 1024, 0, "1,572,864KB"},
      {kFolderKind, "sub", 0, 1, "<폴더>"},
      {kShareRootKind, "Public", 0, 1, "<루트폴더>"},
      {kParentKind, "..", 0, 1, "<상위폴더>"},
      {kBackRowKind, "..", 0, 0, "<이전페이지>"},
  };
  for (const Case& c : cases) EXPECT_EQ(size_column_text(c.kind, c.name, c.size, c.attributes), c.expected) << c.kind << " " << c.size;
}

TEST(ListingColumnTexts, TimeInLocalTime) {
  const char* saved = std::getenv("TZ");
  const std::string previous = saved != nullptr ? saved : "";
  ::setenv("TZ", "UTC0", 1);
  ::tzset();
  EXPECT_EQ(time_column_text(132593080190000000ULL), "21-03-04 05:06");
  EXPECT_EQ(time_column_text(0), "") << "no time known";
  EXPECT_EQ(time_column_text(1), "") << "before 1970";
  ::setenv("TZ", "KST-9", 1);
  ::tzset();
  EXPECT_EQ(time_column_text(132593080190000000ULL), "21-03-04 14:06");
  if (saved != nullptr) {
    ::setenv("TZ", previous.c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();
}

TEST(ListingColumnTexts, Attributes) {
  const std::pair<uint32_t, std::string> cases[] = {
      {0, ""}, {1, ""}, {4, "성인"}, {8, "친구"}, {16, "비밀"}, {4 | 8, "성인/친구"}, {8 | 16, "친구/비밀"}, {4 | 8 | 16 | 1, "성인/친구/비밀"},
  };
  for (const auto& [bits, text] : cases) EXPECT_EQ(attribute_column_text(bits), text) << bits;
}

TEST(ListingPaths, RelativePathOfTheCurrentPath) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""}, {"x", "x"}, {"\\Public", "\\Public"}, {"\\Public\\sub", "\\Public\\sub"}, {"ab", "\\"}, {"ab\\c", "\\c"},
  };
  for (const auto& [path, relative] : cases) EXPECT_EQ(relative_path_of(path), relative) << path;
}

TEST(ListingParse, TheTopLevelStartsWithTheBackRow) {
  auto page = parse_listing(cp949("root*R|Public|0|0|1*R|비밀창고|0|0|17*"), {});
  ASSERT_TRUE(page);
  EXPECT_EQ(page->current_path, "");
  EXPECT_EQ(page->relative_path, "");
  ASSERT_EQ(page->rows.size(), 3u);
  const ListingRow& back = page->rows[0];
  EXPECT_EQ(back.kind, kBackRowKind);
  EXPECT_EQ(back.name, "..");
  EXPECT_EQ(back.size_text, "<이전페이지>");
  const ListingRow& secret = page->rows[2];
  EXPECT_EQ(secret.kind, kShareRootKind);
  EXPECT_EQ(secret.name, "비밀창고");
  EXPECT_EQ(secret.shown_name, "비밀창고");
  EXPECT_EQ(secret.size_text, "<루트폴더>");
  EXPECT_EQ(secret.attribute_text, "비밀");
  EXPECT_EQ(secret.attributes, 17u);
  EXPECT_EQ(util::Decode(secret.encoded_name), "비밀창고");
  EXPECT_EQ(page->listing_attributes, 17u) << "the last row's bits";
}

TEST(ListingParse, AFolderListsItsEntriesWithAllColumns) {
  const std::string body = cp949("root\\Public\\sub*D|..|0|0|5|*D|영화|0|132593080190000000|5|*F|a.txt|3000|0|5|*F|Thumbs.db|10|0|5|*F|THUMBS.DB|10|0|5|*");
  auto page = parse_listing(body, {});
  ASSERT_TRUE(page);
  EXPECT_EQ(page->current_path, "\\Public\\sub");
  EXPECT_EQ(page->relative_path, "\\Public\\sub");
  EXPECT_EQ(names_of(page->rows), (std::vector<std::string>{"..", "영화", "a.txt"})) << "Thumbs.db never shows";
  EXPECT_EQ(page->rows[0].kind, kParentKind);
  EXPECT_EQ(page->rows[0].size_text, "<상위폴더>");
  EXPECT_EQ(page->rows[1].kind, kFolderKind);
  EXPECT_EQ(page->rows[1].time, 132593080190000000ULL);
  EXPECT_FALSE(page->rows[1].time_text.empty());
  const ListingRow& file = page->rows[2];
  EXPECT_EQ(file.kind, kFileKind);
  EXPECT_EQ(file.size, 3000);
  EXPECT_EQ(file.size_text, "2KB");
  EXPECT_EQ(file.time_text, "");
  EXPECT_EQ(file.attribute_text, "성인");
  EXPECT_EQ(file.hash, "") << "the listing leaves the hash column empty";
}

TEST(ListingParse, RecordsThatCannotBeShownAreLeftOut) {
  const std::string bad_cp949 = "\xff\xff";
  const std::pair<std::string, std::string> refused[] = {
      {"F|..|5|0|1|", "a file named .."},
      {"F|.|5|0|1|", "a file named ."},
      {"F|../../etc/passwd|5|0|1|", "a path instead of a name"},
      {"F|a/b|5|0|1|", "a slash"},
      {"F|a\\b|5|0|1|", "a backslash"},
      {"F|a:b|5|0|1|", "a colon"},
      {"F|a\x01" "b|5|0|1|", "a control byte"},
      {"F|a\nb|5|0|1|", "a line break"},
      {"D|..\\..|0|0|1|", "a folder that climbs"},
      {"R|..|0|0|1", "a share named .."},
      {"R|a\\b|0|0|1", "a share with a backslash"},
      {"F|" + bad_cp949 + "|5|0|1|", "not CP949"},
      {"F||5|0|1|", "no name"},
      {"F|a.txt|5|0", "too few fields"},
      {"F", "only the kind"},
      {"F|a.txt|-5|0|1|", "a negative size"},
      {"F|a.txt|5x|0|1|", "a size that is no number"},
      {"F|a.txt|99999999999999999999|0|1|", "a size beyond 64 bits"},
      {"F|a.txt|5|-1|1|", "a negative time"},
      {"F|a.txt|5|0|-1|", "negative attributes"},
      {"F|" + std::string(2000, 'n') + "|5|0|1|", "a huge name"},
  };
  for (const auto& [record, why] : refused) {
    auto page = parse_listing("root\\Public*" + record + "*F|ok.txt|1|0|1|*", {});
    ASSERT_TRUE(page) << why;
    EXPECT_EQ(names_of(page->rows), std::vector<std::string>{"ok.txt"}) << why;
  }
}

TEST(ListingParse, BodiesWithoutAUsablePathAreIgnored) {
  EXPECT_FALSE(parse_listing("", {}));
  EXPECT_FALSE(parse_listing("****", {}));
  EXPECT_FALSE(parse_listing("root\\\xff\xff*F|a|1|0|1|*", {})) << "a path that is not CP949";
  EXPECT_FALSE(parse_listing("root\\a\x02" "b*", {})) << "a path with control bytes";
  auto short_path = parse_listing("ro*F|a.txt|1|0|1|*", {});
  ASSERT_TRUE(short_path);
  EXPECT_EQ(short_path->current_path, "");
}

TEST(ListingParse, SeparatorFloodsCostOnlyTheRecordsKept) {
  std::string body = "root\\Public" + std::string(4'000'000, '*') + "F|a.txt|1|0|1|" + std::string(4'000'000, '|') + "*F|b.txt|1|0|1|*";
  auto page = parse_listing(body, {});
  ASSERT_TRUE(page);
  EXPECT_EQ(names_of(page->rows), (std::vector<std::string>{"a.txt", "b.txt"})) << "fields after the sixth are not looked at";
}

TEST(ListingParse, AListingHoldsABoundedNumberOfRows) {
  std::string body = "root\\Public*";
  for (size_t i = 0; i < kMaxListingRows + 10; ++i) body += "F|f" + std::to_string(i) + "|1|0|1|*";
  auto page = parse_listing(body, {});
  ASSERT_TRUE(page);
  EXPECT_EQ(page->rows.size(), kMaxListingRows);
}

// Lists that name one thing of each kind, to see which rule applies where.
class ListingLists final : public ContentLists {
 public:
  bool forbidden_name(std::string_view name) const override { return name.find("bad") != std::string_view::npos; }
  bool restricted_folder_name(std::string_view name) const override { return name.find("adult") != std::string_view::npos; }
  bool restricted_file_name(std::string_view stem) const override { return stem == "adult"; }
  bool forbidden_file(std::string_view hash) const override { return hash == "0123456789abcdef0123456789abcdef"; }
  bool forbidden_extension(std::string_view extension) const override { return extension == "exe"; }
  std::string masked(std::string_view name) const override {
    std::string shown(name);
    for (size_t at; (at = shown.find("xx")) != std::string::npos;) shown.replace(at, 2, "##");
    return shown;
  }
};

TEST(ListingParse, TheContentListsHideAndMask) {
  const std::string body =
      "root\\Public*"
      "D|bad folder|0|0|1|*D|adult stuff|0|0|1|*D|adult friends|0|0|9|*D|xx club|0|0|1|*"
      "F|bad.avi|1|0|1|*F|tool.EXE|1|0|1|*F|adult.avi|1|0|1|*F|adult.avi|1|0|16|*"
      "F|listed.avi|1|0|1|0123456789ABCDEF0123456789ABCDEF*F|listed.avi|1|0|8|0123456789abcdef0123456789abcdef*F|xx.avi|1|0|1|*";
  const ListingLists lists;
  struct Case {
    bool transfer_flag;
    bool magic;
    std::vector<std::string> shown;
  } cases[] = {
      {false, false, {"## club", "##.avi"}},
      {false, true, {"adult friends", "## club", "adult.avi", "listed.avi", "##.avi"}},
      {true, false, {"bad folder", "adult stuff", "adult friends", "xx club", "bad.avi", "tool.EXE", "adult.avi", "adult.avi", "listed.avi",
                     "listed.avi", "xx.avi"}},
  };
  for (const Case& c : cases) {
    auto page = parse_listing(body, {c.transfer_flag, c.magic, &lists});
    ASSERT_TRUE(page);
    std::vector<std::string> shown;
    for (const ListingRow& row : page->rows) shown.push_back(row.shown_name);
    EXPECT_EQ(shown, c.shown) << "transfer_flag " << c.transfer_flag << " magic " << c.magic;
  }
  auto masked = parse_listing("root\\Public*F|xx.avi|1|0|1|*", {false, false, &lists});
  ASSERT_TRUE(masked);
  EXPECT_EQ(masked->rows[0].name, "xx.avi") << "requests use the real name";
}

ListingRow row(const std::string& kind, const std::string& name, int64_t size = 0, uint64_t time = 0, uint32_t attributes = 0) {
  ListingRow made;
  made.kind = kind;
  made.name = made.shown_name = name;
  made.size = size;
  made.time = time;
  made.attributes = attributes;
  made.attribute_text = attribute_column_text(attributes);
  return made;
}

TEST(RowSorting, KindsStayInOrderWhateverTheColumn) {
  const std::vector<ListingRow> rows = {
      row(kFileKind, "b.txt", 300, 1),   row(kFolderKind, "zeta", 0, 9),  row(kFileKind, "a.txt", 100, 3),
      row(kParentKind, ".."),            row(kFileKind, "c.txt", 200, 2), row(kFolderKind, "alpha", 0, 8),
      row(kShareRootKind, "Share"),      row(kBackRowKind, ".."),
  };
  struct Case {
    SortColumn column;
    bool ascending;
    std::vector<std::string> order;
  } cases[] = {
      {SortColumn::Name, true, {"..", "Share", "..", "alpha", "zeta", "a.txt", "b.txt", "c.txt"}},
      {SortColumn::Name, false, {"..", "Share", "..", "zeta", "alpha", "c.txt", "b.txt", "a.txt"}},
      {SortColumn::Size, true, {"..", "Share", "..", "zeta", "alpha", "a.txt", "c.txt", "b.txt"}},
      {SortColumn::Time, true, {"..", "Share", "..", "alpha", "zeta", "b.txt", "c.txt", "a.txt"}},
      {SortColumn::Time, false, {"..", "Share", "..", "zeta", "alpha", "a.txt", "c.txt", "b.txt"}},
  };
  for (const Case& c : cases) {
    std::vector<ListingRow> sorted = rows;
    sort_rows(sorted, c.column, c.ascending);
    EXPECT_EQ(names_of(sorted), c.order) << static_cast<int>(c.column) << " " << c.ascending;
    EXPECT_EQ(sorted[0].kind, kBackRowKind);
    EXPECT_EQ(sorted[2].kind, kParentKind);
  }
}

TEST(RowSorting, SizesCompareAsNumbersNotText) {
  std::vector<ListingRow> rows = {row(kFileKind, "big", 10000000000LL), row(kFileKind, "small", 9), row(kFileKind, "mid", 100)};
  sort_rows(rows, SortColumn::Size, true);
  EXPECT_EQ(names_of(rows), (std::vector<std::string>{"small", "mid", "big"}));
}

TEST(RowSorting, AttributesCompareAsTextAndTiesKeepTheirOrder) {
  std::vector<ListingRow> rows = {row(kFileKind, "s1", 0, 0, 16), row(kFileKind, "a1", 0, 0, 4), row(kFileKind, "s2", 0, 0, 16),
                                  row(kFileKind, "a2", 0, 0, 4)};
  sort_rows(rows, SortColumn::Attributes, true);
  EXPECT_EQ(names_of(rows), (std::vector<std::string>{"s1", "s2", "a1", "a2"})) << "\"비밀\" sorts before \"성인\"";
}

TEST(RowSorting, UnknownSortIndexesSortByName) {
  const std::pair<int, SortColumn> cases[] = {{0, SortColumn::Name}, {1, SortColumn::Size}, {2, SortColumn::Time},
                                              {3, SortColumn::Attributes}, {-1, SortColumn::Name}, {99, SortColumn::Name}};
  for (const auto& [index, column] : cases) EXPECT_EQ(sort_column_of(index), column) << index;
}

}  // namespace
}  // namespace dovel::browse
