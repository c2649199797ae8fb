#include "ui/settings/prop_general.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include "settings_page_fixture.h"
#include "ui/settings/server_subject_edit.h"

namespace dovel::ui {
namespace {

class PropGeneralTest : public test::SettingsPageTest {
 protected:
  PropGeneralTest() {
    hooks.web_base = "http://www.dovel.test:8080";
    hooks.send_server_subject = [this](const std::string& title) { sent_titles.push_back(title); };
  }
  std::unique_ptr<CPropGeneral> open_page() { return std::make_unique<CPropGeneral>(settings, messages, hooks); }

  std::vector<std::string> sent_titles;
};

TEST_F(PropGeneralTest, ApplyTrimsAndStoresTheTitleAndSendsItOnlyWhenItChanged) {
  auto page = open_page();
  page->title_edit()->setText(QStringLiteral("  도벨 자료실  "));
  page->intro_url_edit()->setText(QStringLiteral(" http://example.test/me "));
  page->use_intro_url_box()->setChecked(true);
  ASSERT_TRUE(page->apply());
  EXPECT_EQ(settings.values().server_subject, "도벨 자료실");
  EXPECT_EQ(settings.values().intro_url, "http://example.test/me");
  EXPECT_TRUE(settings.values().use_intro_url);
  EXPECT_EQ(sent_titles, std::vector<std::string>{"도벨 자료실"});
  ASSERT_TRUE(page->apply());
  EXPECT_EQ(sent_titles.size(), 1u);

  settings::Settings reloaded(store, home.path());
  reloaded.Load();
  EXPECT_EQ(reloaded.values().server_subject, "도벨 자료실") << "saved";
}

TEST_F(PropGeneralTest, ApplyRefusesAnEmptyTitleAndAnAddressOfTheService) {
  const std::string title = settings.values().server_subject;
  auto page = open_page();
  page->title_edit()->setText(QStringLiteral("   "));
  EXPECT_FALSE(page->apply());
  EXPECT_EQ(messages.informed, QStringList{QStringLiteral("내서버제목이 없습니다.")});

  page->title_edit()->setText(QStringLiteral("내 서버"));
  page->intro_url_edit()->setText(QStringLiteral("http://WWW.Dovel.Test/intro"));
  EXPECT_FALSE(page->apply());
  ASSERT_EQ(messages.informed.size(), 2);
  EXPECT_TRUE(messages.informed[1].contains(QStringLiteral("www.dovel.test")));
  EXPECT_EQ(settings.values().server_subject, title) << "a refused page stores nothing";
  EXPECT_TRUE(sent_titles.empty());
}

TEST_F(PropGeneralTest, ChoosingAnUploadRowSetsTheCountAtOnce) {
  auto page = open_page();
  QComboBox* list = page->upload_count_list();
  ASSERT_EQ(list->count(), 100);
  EXPECT_EQ(list->itemText(0), QStringLiteral("1 명"));
  EXPECT_EQ(list->itemText(99), QStringLiteral("100 명"));
  EXPECT_EQ(list->currentIndex(), 9) << "the default ten uploads";
  list->setCurrentIndex(4);
  emit list->activated(4);
  EXPECT_EQ(settings.values().max_upload, 5u);
}

TEST_F(PropGeneralTest, TheMemoChoiceIsStoredOnlyWhenTheServiceTookIt) {
  bool service_takes = false;
  std::vector<bool> sent;
  hooks.send_allow_memo = [&](bool allow) {
    sent.push_back(allow);
    return service_takes;
  };
  auto page = open_page();
  ASSERT_TRUE(page->allow_memo_box()->isChecked());
  page->allow_memo_box()->click();
  EXPECT_EQ(sent, std::vector<bool>{false});
  EXPECT_TRUE(page->allow_memo_box()->isChecked()) << "a failed send puts the box back";
  EXPECT_TRUE(settings.values().allow_memo);

  service_takes = true;
  page->allow_memo_box()->click();
  EXPECT_FALSE(page->allow_memo_box()->isChecked());
  EXPECT_FALSE(settings.values().allow_memo);
}

}  // namespace
}  // namespace dovel::ui
