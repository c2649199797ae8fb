#pragma once

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/registry_store.h"
#include "settings/settings.h"
#include "support/temp_folder.h"
#include "ui/mainframe/gui_wait.h"
#include "ui/recording_message_sink.h"
#include "ui/settings/settings_sheet_hooks.h"

namespace dovel::ui::test {

// Settings in a temporary store, loaded with their defaults, and hooks that touch nothing.
class SettingsPageTest : public ::testing::Test {
 protected:
  SettingsPageTest() { settings.Load(); }

  // A folder below the temporary home, created.
  std::string folder(const std::string& name) {
    std::filesystem::create_directories(home / name);
    return (home / name).string();
  }

  dovel::test::TempFolder home;
  platform::RegistryStore store{home / "config"};
  settings::Settings settings{store, home.path()};
  ui::test::RecordingMessageSink messages;
  SettingsSheetHooks hooks;
};

// Types text the way an input method commits it (Hangul cannot be sent as key clicks).
inline void commit_text(QWidget* widget, const QString& text) {
  QInputMethodEvent event;
  event.setCommitString(text);
  QCoreApplication::sendEvent(widget, &event);
}

// Runs Qt's event loop until the condition holds, at most 20 s.
}  // namespace dovel::ui::test
