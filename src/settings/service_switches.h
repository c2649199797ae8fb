#pragma once

namespace dovel::app {
class ServiceStatusCheck;
}

namespace dovel::settings {

// The two program-wide switches of the service's status file: `magic`, read by
// the listing filter of remote folders, and `psub`, which hands completed
// downloads to the subtitle upload. Both are off until the service status check
// at start-up sets them, and only that check writes them (it is the one friend);
// every other part only reads them, from any thread.
class ServiceSwitches {
 public:
  static bool magic();
  static bool psub();

 private:
  friend class app::ServiceStatusCheck;
  static void set(bool magic, bool psub);
};

}  // namespace dovel::settings
