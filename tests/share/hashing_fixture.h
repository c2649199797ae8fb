#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "app/local_databases.h"
#include "db/database_lock.h"
#include "settings/live_settings.h"
#include "share/hash_run.h"
#include "share/hash_settings.h"
#include "support/defaults_on_load.h"
#include "support/first_file_gate.h"
#include "support/recording_target.h"
#include "support/temp_folder.h"
#include "util/log_files.h"

namespace dovel::share {

// A data home with its databases and settings, shared folders made on demand,
// and the table's rows read back after a run.
class HashingFixture : public ::testing::Test {
 protected:
  struct Row {
    std::string hash;
    std::string name;
    std::string extension;
    int file_type = 0;
    int64_t size = 0;
    int64_t last_write_time = 0;
    std::string path;
    int64_t right = 0;
    std::string shared_name;
    int64_t shared_index = 0;
  };

  void SetUp() override {
    util::ConfigureLogFiles(temp.path(), platform::system_clock());
    ASSERT_FALSE(app::open_local_databases(temp.path(), databases));
    test::load_defaults(settings);
    settings.server_usable = true;
  }
  void TearDown() override { util::ConfigureLogFiles(temp.path(), platform::system_clock()); }

  std::filesystem::path share_folder(const std::string& name) const { return temp / ("shares/" + name); }

  // Makes the folders and stores them as the shared-folder list, in order.
  void set_shares(const std::vector<std::pair<std::string, uint32_t>>& shares) {
    std::vector<settings::SharedFolder> folders;
    for (const auto& [name, flags] : shares) {
      std::filesystem::create_directories(share_folder(name));
      folders.push_back({name, share_folder(name).string(), flags});
    }
    ASSERT_TRUE(settings.set_shared_folders(folders));
  }

  // A file of `size` bytes that takes no disk space.
  static std::filesystem::path sparse(const std::filesystem::path& path, int64_t size) { return test::write_sparse_file(path, size); }

  HashRunContext context() { return {&hash_settings, temp / "DovelData.dat", &platform::system_clock(), &totals, &target, {}}; }

  std::unique_ptr<HashRun> run(int mode = 0, std::function<void()> after_each_file = {}) {
    HashRunContext run_context = context();
    run_context.after_each_file = std::move(after_each_file);
    auto hash_run = std::make_unique<HashRun>(run_context, mode);
    hash_run->Run();
    return hash_run;
  }

  std::vector<Row> rows(const std::string& where = "1") {
    std::lock_guard guard(db::database_lock());
    std::vector<Row> found;
    auto text = [](const char* value) { return std::string(value != nullptr ? value : ""); };
    for (auto query = databases.data.Query("Select hash,name,extention,file_type,size,last_write_time,path,right,shared_name,shared_index "
                                           "From shared_files Where " + where + " Order By shared_index, path, name, extention");
         !query.AtEnd(); query.Next()) {
      found.push_back({text(query.Text(0)), text(query.Text(1)), text(query.Text(2)), query.Int(3), query.Int64(4), query.Int64(5),
                       text(query.Text(6)), query.Int64(7), text(query.Text(8)), query.Int64(9)});
    }
    return found;
  }

  std::vector<Row> rows_named(const std::string& name) {
    std::vector<Row> found;
    for (const Row& row : rows()) {
      if (row.name == name) found.push_back(row);
    }
    return found;
  }

  test::TempFolder temp;
  settings::LiveSettings settings;
  HashSettings hash_settings{settings};
  app::LocalDatabases databases;
  test::RecordingTarget target;
  ShareTotals totals;
};

}  // namespace dovel::share
