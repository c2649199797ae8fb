#include "settings/service_switches.h"

#include <atomic>

namespace dovel::settings {
namespace {

// Written once before other threads exist; atomics keep later readers on any
// thread well-defined at no cost.
std::atomic<bool> magic_switch{false};
std::atomic<bool> psub_switch{false};

}  // namespace

bool ServiceSwitches::magic() { return magic_switch.load(std::memory_order_relaxed); }
bool ServiceSwitches::psub() { return psub_switch.load(std::memory_order_relaxed); }

void ServiceSwitches::set(bool magic, bool psub) {
  magic_switch.store(magic, std::memory_order_relaxed);
  psub_switch.store(psub, std::memory_order_relaxed);
}

}  // namespace dovel::settings
