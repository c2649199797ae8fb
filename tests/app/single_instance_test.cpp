#include "app/single_instance.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "core/message_ids.h"
#include "platform/file_lock.h"
#include "platform/unix_socket.h"
#include "support/recording_target.h"
#include "support/temp_folder.h"
#include "util/little_endian.h"

namespace dovel::app {
namespace {

using namespace std::chrono_literals;

// Long enough for a loaded machine; reached only when something is wrong.
constexpr auto kArrival = 30s;
constexpr int kPatientWaitMs = 30000;

// A data home whose first copy has claimed it and serves its mailbox.
struct ServingHome {
  ServingHome() : files(InstanceFiles::in(home.path())), first(FirstInstance::claim(files)) {}

  bool serve() { return first && first->serve(hub); }

  test::TempFolder home;
  InstanceFiles files;
  test::RecordingTarget hub;
  std::unique_ptr<FirstInstance> first;
};

// Writes raw bytes into the mailbox, as a copy that does not follow the format might.
void send_raw(const InstanceFiles& files, const std::string& bytes) {
  platform::UniqueFd connection = platform::connect_unix(files.mailbox);
  ASSERT_TRUE(connection.valid());
  ASSERT_EQ(platform::send_all(connection.get(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

std::string korean_text_of(size_t bytes) {
  std::string text(bytes % 3, 'a');
  while (text.size() < bytes) text += "한";
  return text;
}

TEST(SingleInstance, OnlyOneCopyClaimsADataHome) {
  test::TempFolder home;
  test::TempFolder other_home;
  const InstanceFiles files = InstanceFiles::in(home.path());

  std::unique_ptr<FirstInstance> first = FirstInstance::claim(files);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(FirstInstance::claim(files), nullptr);
  EXPECT_NE(FirstInstance::claim(InstanceFiles::in(other_home.path())), nullptr) << "another data home is another program";

  first.reset();
  EXPECT_NE(FirstInstance::claim(files), nullptr) << "the lock ends with the copy that held it";
}

TEST(SingleInstance, HandsKindAndTextToTheFirstCopyExactly) {
  struct Case {
    uint32_t kind;
    std::string text;
  };
  const std::vector<Case> cases = {
      {0, ""},
      {3, "dovel://search/노래 모음"},
      {2, korean_text_of(kMaxHandoverText)},
      {256, ""},
      {0xFFFFFFFF, std::string("nul\0inside", 10)},
  };
  ServingHome serving;
  ASSERT_TRUE(serving.serve());
  for (size_t i = 0; i < cases.size(); ++i) {
    ASSERT_EQ(hand_over(serving.files, cases[i].kind, cases[i].text, kPatientWaitMs), Handover::HandedOver) << i;
    ASSERT_TRUE(serving.hub.wait_for(i + 1, kArrival)) << i;
    const test::RecordingTarget::Seen seen = serving.hub.seen()[i];
    EXPECT_EQ(seen.id, core::UM_HANDOVER);
    EXPECT_EQ(seen.wparam, cases[i].kind) << i;
    EXPECT_EQ(seen.text, cases[i].text) << i;
  }
}

TEST(SingleInstance, TextLongerThanTheMailboxOnlyBringsTheFirstCopyForward) {
  ServingHome serving;
  ASSERT_TRUE(serving.serve());
  ASSERT_EQ(hand_over(serving.files, 3, korean_text_of(kMaxHandoverText + 1), kPatientWaitMs), Handover::HandedOver);
  ASSERT_TRUE(serving.hub.wait_for(1, kArrival));
  const test::RecordingTarget::Seen seen = serving.hub.seen()[0];
  EXPECT_EQ(seen.id, core::UM_HANDOVER);
  EXPECT_EQ(seen.wparam, 0u);
  EXPECT_EQ(seen.text, "");
}

TEST(SingleInstance, NobodyTakesTheHandoverWithoutAServingFirstCopy) {
  ServingHome claimed_only;
  EXPECT_EQ(hand_over(claimed_only.files, 1, "dovel://search/x", 100), Handover::NoFirstCopy);

  test::TempFolder empty_home;
  EXPECT_EQ(hand_over(InstanceFiles::in(empty_home.path()), 1, "dovel://search/x", 100), Handover::NoFirstCopy);

  // A first copy that was killed leaves its socket file behind.
  test::TempFolder crashed_home;
  const InstanceFiles crashed = InstanceFiles::in(crashed_home.path());
  ASSERT_TRUE(platform::listen_unix(crashed.mailbox, 1).valid());
  ASSERT_TRUE(std::filesystem::exists(crashed.mailbox));
  EXPECT_EQ(hand_over(crashed, 1, "dovel://search/x", 100), Handover::NoFirstCopy);
}

TEST(SingleInstance, WaitsForAFirstCopyThatIsStillStarting) {
  ServingHome serving;
  std::future<Handover> handover = std::async(std::launch::async, [&] { return hand_over(serving.files, 3, "dovel://search/늦게", kPatientWaitMs); });
  ASSERT_TRUE(serving.serve());
  EXPECT_EQ(handover.get(), Handover::HandedOver);
  ASSERT_TRUE(serving.hub.wait_for(1, kArrival));
  EXPECT_EQ(serving.hub.seen()[0].text, "dovel://search/늦게");
}

TEST(SingleInstance, OnlyOneOfTwoSecondCopiesHandsOver) {
  ServingHome serving;
  ASSERT_TRUE(serving.serve());
  {
    std::optional<platform::FileLock> other_copy = platform::FileLock::try_acquire(serving.files.handover_lock);
    ASSERT_TRUE(other_copy.has_value());
    EXPECT_EQ(hand_over(serving.files, 3, "dovel://search/second", kPatientWaitMs), Handover::AnotherCopyHandsOver);
  }
  ASSERT_EQ(hand_over(serving.files, 3, "dovel://search/third", kPatientWaitMs), Handover::HandedOver);
  ASSERT_TRUE(serving.hub.wait_for(1, kArrival));
  const std::vector<test::RecordingTarget::Seen> seen = serving.hub.seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "dovel://search/third") << "the copy that stood back delivered nothing";
}

TEST(SingleInstance, MailboxIsForItsOwnerOnlyAndGoesWithTheFirstCopy) {
  ServingHome serving;
  ASSERT_TRUE(serving.serve());
  struct stat status {};
  ASSERT_EQ(::lstat(serving.files.mailbox.c_str(), &status), 0);
  EXPECT_TRUE(S_ISSOCK(status.st_mode));
  EXPECT_EQ(status.st_mode & 07777, 0600u);

  serving.first->stop();
  EXPECT_FALSE(std::filesystem::exists(serving.files.mailbox));
  EXPECT_EQ(hand_over(serving.files, 1, "dovel://search/x", 100), Handover::NoFirstCopy);
}

TEST(SingleInstance, MalformedHandoversAreDroppedAndTheMailboxKeepsServing) {
  ServingHome serving;
  ASSERT_TRUE(serving.serve());
  send_raw(serving.files, "");
  send_raw(serving.files, "abc");
  std::string oversize;
  util::append_u32(oversize, 3);
  oversize.append(kMaxHandoverText + 1, 'x');
  send_raw(serving.files, oversize);
  // A copy that connects and then says nothing is dropped after its read time-out.
  platform::UniqueFd silent = platform::connect_unix(serving.files.mailbox);
  ASSERT_TRUE(silent.valid());

  ASSERT_EQ(hand_over(serving.files, 3, "dovel://search/after", kPatientWaitMs), Handover::HandedOver);
  ASSERT_TRUE(serving.hub.wait_for(1, kArrival));
  const std::vector<test::RecordingTarget::Seen> seen = serving.hub.seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].wparam, 3u);
  EXPECT_EQ(seen[0].text, "dovel://search/after");
}

TEST(SingleInstance, MailboxPathTooLongForASocketIsRefused) {
  test::TempFolder base;
  const std::filesystem::path deep = base.path() / std::string(120, 'd');
  std::filesystem::create_directories(deep);
  test::RecordingTarget hub;
  const InstanceFiles files = InstanceFiles::in(deep);
  std::unique_ptr<FirstInstance> first = FirstInstance::claim(files);
  ASSERT_NE(first, nullptr);
  errno = 0;
  EXPECT_FALSE(first->serve(hub));
  EXPECT_EQ(errno, ENAMETOOLONG);
  EXPECT_EQ(hand_over(files, 1, "dovel://search/x", 100), Handover::NoFirstCopy);
}

}  // namespace
}  // namespace dovel::app
