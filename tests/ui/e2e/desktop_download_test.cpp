// The desktop client as a user drives it: a stand-in service and a headless
// client sharing a folder run as programs on loopback addresses of their own;
// the desktop client's application, its windows and its views run here on the
// offscreen platform. The user browses the sharer, queues a file from the
// list and watches it complete in the transfers view.
#include <QComboBox>
#include <QTreeView>

#include <gtest/gtest.h>

#include <random>

#include "app/dovel_app.h"
#include "download/download_texts.h"
#include "e2e/local_network.h"
#include "mainframe/status_log.h"
#include "support/temp_folder.h"
#include "ui/app/desktop_browser_front.h"
#include "ui/app/desktop_core.h"
#include "ui/app/desktop_views.h"
#include "ui/app/desktop_windows.h"
#include "ui/app/qt_message_loop.h"
#include "ui/browse/browse_list_model.h"
#include "ui/download/down_status_dialog.h"
#include "ui/download/download_list_model.h"
#include "ui/mainframe/gui_wait.h"
#include "ui/mainframe/main_frame_window.h"
#include "ui/mainframe/qt_front.h"
#include "ui/recording_message_sink.h"

namespace dovel::ui {
namespace {

constexpr int kNetworkWaitMs = 60000;
constexpr size_t kFileSize = 3 * 1048576;

std::string random_bytes(size_t size, uint32_t seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator());
  return bytes;
}

// What the status log holds, for a failure's message.
std::string log_text(const mainframe::StatusLog& log) {
  std::string text;
  for (const std::string& line : log.since(0).lines) text += line + '\n';
  return text;
}

int row_named(const QAbstractItemModel& model, const QString& name) {
  for (int row = 0; row < model.rowCount(); ++row) {
    if (model.index(row, 0).data().toString() == name) return row;
  }
  return -1;
}

class DesktopDownloadTest : public ::testing::Test {
 protected:
  DesktopDownloadTest() : front(messages), browser_front(loop, messages) {}

  void SetUp() override {
    ASSERT_TRUE(network.started()) << network.central_output();
    content = random_bytes(kFileSize, 11);
    const std::filesystem::path shared = network.folder().write("share/노래.bin", content);
    dovel::test::LocalNetwork::Client& sharer = network.add_client("s", "sharer");
    ASSERT_EQ(network.tool(sharer, {"share", "add", "공유", shared.parent_path().string()}).exit_code, 0);
    ASSERT_TRUE(network.start_and_register(sharer)) << network.status(sharer);

    viewer = &network.add_client("v", "viewer");
    app::ProgramOptions options;
    options.home = viewer->home.string();
    options.bind_address = viewer->address;
    options.service_host = network.service_host();
    const std::optional<platform::DataHome> home = platform::resolve_data_home(options.home);
    ASSERT_TRUE(home);
    app::AppSetup setup = app::app_setup(options, *home);
    setup.loop = &loop;
    setup.front = &front;
    setup.prompt = &front;
    setup.status_log = &status_log;
    setup.browser_front = &browser_front;
    application = std::make_unique<app::CDovelApp>(setup);
    ASSERT_EQ(application->InitInstance(), app::StartOutcome::Running);

    windows = std::make_unique<DesktopWindows>(*application, home->root, "/usr/bin/dovel", messages);
    views = std::make_unique<DesktopViews>(*application, *windows, browser_front, loop);
    WindowOpeners openers = windows->openers();
    views->add_to(openers);
    CMainFrameWindow::Options window_options;
    window_options.use_tray = false;
    window = std::make_unique<CMainFrameWindow>(make_window_core(*application, status_log, loop), std::move(openers), window_options);
    front.attach_window(window.get());
    loop.attach(&windows->message_handler());
    window->show();
  }

  void TearDown() override {
    loop.attach(nullptr);
    front.attach_window(nullptr);
    window.reset();
    views.reset();
    windows.reset();
    application.reset();
  }

  dovel::test::LocalNetwork network;
  std::string content;
  dovel::test::LocalNetwork::Client* viewer = nullptr;
  test::RecordingMessageSink messages;
  QtMessageLoop loop;
  mainframe::StatusLog status_log;
  QtFront front;
  DesktopBrowserFront browser_front;
  std::unique_ptr<app::CDovelApp> application;
  std::unique_ptr<DesktopWindows> windows;
  std::unique_ptr<DesktopViews> views;
  std::unique_ptr<CMainFrameWindow> window;
};

TEST_F(DesktopDownloadTest, ABrowsedFileQueuedFromTheListCompletesInTheTransfersView) {
  ASSERT_TRUE(test::process_until([&] { return application->main_frame().status().logged_in; }, kNetworkWaitMs));

  CConnectDialog& browse = *views->browse();
  browse.connect_box()->setEditText(QStringLiteral("sharer"));
  browse.connect_to_typed_id();
  const QString share = QString::fromUtf8("공유");
  ASSERT_TRUE(test::process_until([&] { return row_named(*browse.model(), share) >= 0; }, kNetworkWaitMs))
      << log_text(status_log);
  EXPECT_EQ(window->current_view(), kViewBrowse) << "the connection brings the browse view to the front";

  browse.open_row(row_named(*browse.model(), share));
  const QString file = QString::fromUtf8("노래.bin");
  ASSERT_TRUE(test::process_until([&] { return row_named(*browse.model(), file) >= 0; }, kNetworkWaitMs));
  browse.open_row(row_named(*browse.model(), file));

  window->show_view(kViewTransferLists);
  CDownStatusDialog& downloads = *views->transfers()->download_window();
  const QString finished = QString::fromUtf8(download::state_text(download::ItemState::Finished).data());
  ASSERT_TRUE(test::process_until(
      [&] {
        const int row = row_named(*downloads.model(), finished);
        return row >= 0 && downloads.model()->index(row, 2).data().toString() == file;
      },
      kNetworkWaitMs))
      << log_text(status_log);
  EXPECT_TRUE(views->transfers()->download_window()->isVisible());
  const std::string folder = application->settings().values().down_path;
  EXPECT_EQ(dovel::test::read_file(std::filesystem::path(folder) / "노래.bin"), content);
}

}  // namespace
}  // namespace dovel::ui
