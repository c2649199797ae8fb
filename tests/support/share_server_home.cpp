#include "support/share_server_home.h"

#include <fstream>
#include <mutex>
#include <stdexcept>

#include "db/database_lock.h"
#include "share/file_hash.h"
#include "support/defaults_on_load.h"

namespace dovel::test {

ShareServerHome::ShareServerHome(ShareServerOptions options) : folder(options.folder.empty() ? temp.path() : options.folder) {
  std::filesystem::create_directories(folder);
  if (std::optional<std::string> failure = app::open_local_databases(folder, databases)) throw std::runtime_error(*failure);
  load_defaults(settings);
  settings.server_usable = true;
  if (!set_shares(options.shares)) throw std::runtime_error("the settings refuse the home's shares");
  session.set_identity(options.owner);
  context.settings = &server_settings;
  context.program_folder = folder;
  context.database_file = folder / "DovelData.dat";
  context.session = &session;
  context.friends = &friends;
  context.blocks = &blocks;
  context.hashing = options.hashing != nullptr ? options.hashing : &hashing;
  context.archive = options.archive != nullptr ? options.archive : &no_archive_check;
  context.meter = &meter;
  context.monitor = &monitor;
  context.clock = options.clock;
  context.bind_address = options.bind_address;
}

std::filesystem::path ShareServerHome::share_folder(std::string_view name) const { return folder / "shares" / std::string(name); }

bool ShareServerHome::set_shares(const std::vector<HomeShare>& shares) {
  std::vector<settings::SharedFolder> folders;
  for (const HomeShare& share : shares) {
    std::filesystem::create_directories(share_folder(share.name));
    folders.push_back({share.name, share_folder(share.name).string(), share.flags});
  }
  return settings.set_shared_folders(folders);
}

std::string ShareServerHome::share_file(settings::ShareIndex index, const std::string& folder_path, const std::string& name,
                                        std::string_view content) {
  const std::vector<settings::SharedFolder> shares = settings.shared_folders();
  if (index < 0 || static_cast<size_t>(index) >= shares.size()) throw std::out_of_range("no share at that index");
  const settings::SharedFolder& share = shares[static_cast<size_t>(index)];
  const std::filesystem::path file = std::filesystem::path(share.path) / folder_path / name;
  std::filesystem::create_directories(file.parent_path());
  {
    std::ofstream out(file, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
  }
  const std::string hash = share::sampled_md5_of_file(file).value_or("");
  const size_t dot = name.rfind('.');
  std::lock_guard guard(db::database_lock());
  db::Sqlite3Statement insert = databases.data.Prepare(
      "Insert Into shared_files (hash,name,extention,file_type,size,path,right,shared_name,shared_index) Values (?,?,?,1,?,?,1,?,?)");
  insert.Bind(0, hash);
  insert.Bind(1, dot == std::string::npos ? name : name.substr(0, dot));
  insert.Bind(2, dot == std::string::npos ? std::string() : name.substr(dot + 1));
  insert.Bind(3, static_cast<int64_t>(content.size()));
  insert.Bind(4, folder_path);
  insert.Bind(5, share.name);
  insert.Bind(6, static_cast<int>(index));
  insert.Execute();
  return hash;
}

}  // namespace dovel::test
