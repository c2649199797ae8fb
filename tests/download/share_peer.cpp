#include "share_peer.h"

#include <gtest/gtest.h>

#include <mutex>

#include "db/database_lock.h"
#include "server/data_thread.h"
#include "share/file_hash.h"
#include "support/defaults_on_load.h"

namespace dovel::download::test {

SharePeer::SharePeer(platform::Ipv4 address, const std::string& user_id) {
  EXPECT_FALSE(app::open_local_databases(temp.path(), databases));
  dovel::test::load_defaults(settings);
  settings.server_usable = true;
  std::filesystem::create_directories(temp / "shares/public");
  EXPECT_TRUE(settings.set_shared_folders({{"public", (temp / "shares/public").string(), settings::SHARE_READ}}));
  session.set_identity({user_id, 5, user_id + "님", "tokenA-" + user_id, "tokenB-" + user_id});
  context.settings = &server_settings;
  context.program_folder = temp.path();
  context.database_file = temp / "DovelData.dat";
  context.session = &session;
  context.friends = &friends;
  context.blocks = &blocks;
  context.hashing = &hashing;
  context.archive = &archive;
  context.meter = &meter;
  context.monitor = &monitor;
  context.bind_address = address;
  server = std::make_unique<server::LocalServer>(
      context, [](server::ShareServerContext& served, server::DataConnectionList& list, std::shared_ptr<server::DataConnection> connection) {
        server::serve_data_connection(served, list, std::move(connection));
      });
  EXPECT_TRUE(server->start_share_server(0));
}

SharePeer::~SharePeer() { server.reset(); }

std::string SharePeer::share_file(const std::string& folder, const std::string& name, const std::string& content) {
  const std::filesystem::path file = temp.write("shares/public/" + folder + "/" + name, content);
  const std::string hash = share::sampled_md5_of_file(file).value_or("");
  const size_t dot = name.rfind('.');
  std::lock_guard guard(db::database_lock());
  db::Sqlite3Statement insert = databases.data.Prepare(
      "Insert Into shared_files (hash,name,extention,file_type,size,path,right,shared_name,shared_index) "
      "Values (?,?,?,1,?,?,1,'public',0)");
  insert.Bind(0, hash);
  insert.Bind(1, dot == std::string::npos ? name : name.substr(0, dot));
  insert.Bind(2, dot == std::string::npos ? std::string() : name.substr(dot + 1));
  insert.Bind(3, static_cast<int64_t>(content.size()));
  insert.Bind(4, folder);
  insert.Execute();
  return hash;
}

}  // namespace dovel::download::test
