#pragma once

// A small data home shared by the share-server fuzz targets: four shares (open,
// adult, friend-only, secret) with a few files, a folder password, an owner and
// a friend, made once per process. It goes with the process, so that runs
// leave nothing in the temporary folder. Its hashing never hashes: an input
// would otherwise leave rows behind that change how the next one is answered.

#include "server/peer_database.h"
#include "support/share_server_home.h"

namespace dovel::fuzz {

inline test::ShareServerHome& share_server_home() {
  static share::IdleHashing idle;
  static test::ShareServerHome home({.owner = {"owner", 5, "label", "tokenA", "tokenB"},
                                     .shares = {{"Public", settings::SHARE_READ},
                                                {"Adult", settings::SHARE_READ | settings::SHARE_ADULT},
                                                {"Friends", settings::SHARE_READ | settings::SHARE_FRIEND},
                                                {"Secret", settings::SHARE_READ | settings::SHARE_SECRET}},
                                     .hashing = &idle});
  static const bool filled = [] {
    home.temp.write("shares/Public/a.txt", "abc");
    home.temp.write("shares/Public/sub/b.bin", "bb");
    home.temp.write("shares/Adult/x.txt", "x");
    home.temp.write("shares/Friends/f.txt", "f");
    home.temp.write("shares/Secret/s.txt", "s");
    home.settings.update([](settings::StoredSettings& values) { values.folder_pass = "pw"; });
    home.friends.set_entries({{"pal", ""}});
    return true;
  }();
  (void)filled;
  return home;
}

// The home's database as a thread serving peers reads it.
inline server::PeerDatabase& share_server_database() {
  static server::PeerDatabase database(share_server_home().context.database_file, *share_server_home().context.hashing);
  return database;
}

}  // namespace dovel::fuzz
