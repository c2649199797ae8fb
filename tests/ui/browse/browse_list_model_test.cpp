#include "ui/browse/browse_list_model.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "browse/listing.h"
#include "util/letter_pair.h"

namespace dovel::ui {
namespace {

// Rows as the core builds them from a listing in wire form.
std::vector<browse::ListingRow> listing_rows(const std::string& wire_body) {
  std::optional<browse::ListingPage> page = browse::parse_listing(wire_body, {});
  EXPECT_TRUE(page.has_value()) << wire_body;
  return page ? page->rows : std::vector<browse::ListingRow>{};
}

std::string text_at(const BrowseListModel& model, int row, int column) {
  return model.data(model.index(row, column)).toString().toStdString();
}

int row_named(const BrowseListModel& model, const std::string& name) {
  for (int row = 0; row < model.rowCount(); ++row) {
    if (model.row_at(row).name == name) return row;
  }
  return -1;
}

browse::ListingRow file_row(const std::string& name, int64_t size) {
  browse::ListingRow row;
  row.name = row.shown_name = name;
  row.kind = browse::kFileKind;
  row.size = size;
  row.size_text = browse::size_column_text(row.kind, row.name, size, 0);
  row.encoded_name = util::Encode(name);
  return row;
}

TEST(BrowseListModelTest, SizeColumnFollowsTheListingRules) {
  struct Case {
    const char* listing;
    const char* name;
    const char* size_text;
  };
  const Case cases[] = {
      {"root*R|Public|0|0|1*", "..", "<이전페이지>"},
      {"root*R|Public|0|0|1*", "Public", "<루트폴더>"},
      {"root\\Public*D|..|0|0|1*", "..", "<상위폴더>"},
      {"root\\Public*D|docs|0|0|1*", "docs", "<폴더>"},
      {"root\\Public*F|one.bin|1|0|1|*", "one.bin", "1KB"},
      {"root\\Public*F|empty.bin|0|0|1|*", "empty.bin", "0KB"},
      {"root\\Public*F|almost.bin|2047|0|1|*", "almost.bin", "1KB"},
      {"root\\Public*F|two.bin|2048|0|1|*", "two.bin", "2KB"},
      {"root\\Public*F|big.bin|5000000|0|1|*", "big.bin", "4,882KB"},
  };
  for (const Case& c : cases) {
    BrowseListModel model;
    model.set_rows(listing_rows(c.listing));
    const int row = row_named(model, c.name);
    ASSERT_GE(row, 0) << c.listing;
    EXPECT_EQ(text_at(model, row, BrowseListModel::kSizeColumn), c.size_text) << c.listing;
  }
}

TEST(BrowseListModelTest, HeadingsAndAlignmentsOfTheTenColumns) {
  BrowseListModel model;
  ASSERT_EQ(model.columnCount(), 10);
  const std::vector<std::string> headings = {"파일", "크기", "시간", "권한", "", "", "", "hash", "", ""};
  for (int column = 0; column < 10; ++column) {
    EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString().toStdString(), headings[static_cast<size_t>(column)]) << column;
  }
  model.set_rows(listing_rows("root\\Public*F|one.bin|1|0|1|*"));
  auto alignment = [&](int column) {
    return model.data(model.index(0, column), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask;
  };
  EXPECT_EQ(alignment(BrowseListModel::kNameColumn), Qt::AlignLeft);
  EXPECT_EQ(alignment(BrowseListModel::kSizeColumn), Qt::AlignRight);
  EXPECT_EQ(alignment(BrowseListModel::kTimeColumn), Qt::AlignRight);
  EXPECT_FALSE(model.data(model.index(0, BrowseListModel::kNameColumn), Qt::DecorationRole).isNull()) << "the name has an icon";
}

TEST(BrowseListModelTest, EveryColumnShowsItsValueOfTheRow) {
  BrowseListModel model;
  // 2021-01-01 00:00 UTC as FILETIME.
  model.set_rows(listing_rows("root\\Public*D|docs|0|132539328000000000|12*F|one.bin|3000|132539328000000000|4|*"));
  ASSERT_EQ(model.rowCount(), 2);
  const int folder = row_named(model, "docs");
  const int file = row_named(model, "one.bin");
  EXPECT_EQ(text_at(model, folder, BrowseListModel::kNameColumn), "docs");
  EXPECT_EQ(text_at(model, folder, BrowseListModel::kAttributeColumn), "성인/친구");
  EXPECT_EQ(text_at(model, folder, BrowseListModel::kBytesColumn), "0") << "rows without size";
  EXPECT_EQ(text_at(model, folder, BrowseListModel::kAttributeBitsColumn), "12");
  EXPECT_EQ(text_at(model, folder, BrowseListModel::kKindColumn), "2");
  EXPECT_EQ(text_at(model, file, BrowseListModel::kKindColumn), "3");
  EXPECT_EQ(text_at(model, file, BrowseListModel::kBytesColumn), "3000");
  EXPECT_EQ(text_at(model, file, BrowseListModel::kHashColumn), "") << "the listing does not fill the hash column";
  EXPECT_EQ(text_at(model, file, BrowseListModel::kEncodedNameColumn), util::Encode("one.bin"));
  EXPECT_EQ(text_at(model, file, BrowseListModel::kFiletimeColumn), "132539328000000000");
  EXPECT_FALSE(text_at(model, file, BrowseListModel::kTimeColumn).empty());
  EXPECT_EQ(model.row_at(file).name, "one.bin");
}

TEST(BrowseListModelTest, TheSelectionFollowsItsEntryThroughResortsAndRefreshes) {
  BrowseListModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  QItemSelectionModel selection(&model);
  model.set_rows({file_row("a", 1), file_row("b", 2), file_row("c", 3)});
  selection.select(model.index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  selection.setCurrentIndex(model.index(1, 0), QItemSelectionModel::NoUpdate);
  QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
  QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

  auto selected_names = [&] {
    std::vector<std::string> names;
    for (const QModelIndex& index : selection.selectedRows()) names.push_back(model.row_at(index.row()).name);
    return names;
  };

  model.set_rows({file_row("c", 3), file_row("b", 2), file_row("a", 1)});
  EXPECT_EQ(selected_names(), std::vector<std::string>{"b"}) << "re-sorted";
  EXPECT_EQ(model.row_at(selection.currentIndex().row()).name, "b");
  EXPECT_EQ(removed.count(), 0) << "a re-sort moves rows, it does not replace them";

  model.set_rows({file_row("new", 9), file_row("c", 3), file_row("b", 5), file_row("a", 1)});
  EXPECT_EQ(selected_names(), std::vector<std::string>{"b"}) << "a row added before it";
  EXPECT_EQ(text_at(model, row_named(model, "b"), BrowseListModel::kBytesColumn), "5") << "updated in place";

  model.set_rows({file_row("b", 5), file_row("a", 1)});
  EXPECT_EQ(selected_names(), std::vector<std::string>{"b"}) << "rows removed around it";
  EXPECT_EQ(model.rowCount(), 2);
  EXPECT_EQ(reset.count(), 0);

  model.set_rows({file_row("x", 1)});
  EXPECT_TRUE(selected_names().empty()) << "another folder";
  ASSERT_EQ(model.rowCount(), 1);
  EXPECT_EQ(model.row_at(0).name, "x");
}

TEST(BrowseListModelTest, KeepsEveryRowOfAListingThatRepeatsANameInTheGivenOrder) {
  BrowseListModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.set_rows({file_row("same", 1), file_row("other", 2), file_row("same", 3)});
  ASSERT_EQ(model.rowCount(), 3);
  model.set_rows({file_row("same", 3), file_row("same", 1), file_row("other", 2), file_row("last", 4)});
  ASSERT_EQ(model.rowCount(), 4);
  const std::vector<std::string> sizes = {"3", "1", "2", "4"};
  for (int row = 0; row < 4; ++row) EXPECT_EQ(text_at(model, row, BrowseListModel::kBytesColumn), sizes[static_cast<size_t>(row)]) << row;
  model.set_rows({});
  EXPECT_EQ(model.rowCount(), 0);
}

}  // namespace
}  // namespace dovel::ui
