#pragma once

#include <QWidget>

#include "ui/search/keyword_history.h"
#include "ui/search/search_commands.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace dovel::ui {

class CSearchDialog;
class MessageSink;

// View 2 of the main window: the search bar over the search window. The bar
// keeps the keyword history and the last extension, and the choices of its
// combos and check boxes, in the settings.
class CTotalSearchDialog final : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kSearchText = "검 색";
  static constexpr const char* kSearchingText = "검색중";
  static constexpr const char* kKeywordHint = "찾을 파일이름을 입력하세요";
  static constexpr const char* kExtensionLabel = "확장자:";
  static constexpr const char* kPrecisionLabel = "정밀도:";
  static constexpr const char* kAutoSortLabel = "자동정렬:";
  static constexpr const char* kAutoMoveText = "다운창으로 자동전환";
  static constexpr const char* kRefineText = "결과내 재검색";
  static constexpr const char* kAutoSortTexts[] = {"파일명", "크기", "파일수", "응답시간", "정렬안함"};
  static constexpr const char* kCommonExtensions[] = {"", "avi", "wmv", "mpg", "mp3", "zip", "exe", "jpg", "smi"};

  // `messages` outlives the view.
  CTotalSearchDialog(SearchCommands commands, MessageSink& messages, QWidget* parent = nullptr);

  // The search button: a search, or with "결과내 재검색" a filter on the shown tab.
  void search();
  // Puts a keyword into the bar (a search asked for from elsewhere).
  void set_keyword(const QString& keyword);

  CSearchDialog* search_window() const { return search_window_; }
  QComboBox* keyword_box() const { return keyword_; }
  QComboBox* extension_box() const { return extension_; }
  QPushButton* search_button() const { return search_button_; }
  QComboBox* precision_box() const { return precision_; }
  QComboBox* auto_sort_box() const { return auto_sort_; }
  QCheckBox* auto_move_box() const { return auto_move_; }
  QCheckBox* refine_box() const { return refine_; }

 public slots:
  // Reads the search's state and rows again.
  void refresh();

 private:
  void load_settings();
  void remember(const search::SearchRequest& request);
  void show_busy(bool busy);
  void downloads_queued();
  uint32_t stored_number(const settings::NumberSetting& row) const;
  bool stored_flag(const settings::FlagSetting& row) const;
  template <typename Row, typename Value>
  void store(const Row& row, const Value& value) const {
    if (commands_.values != nullptr) commands_.values->write(row, value);
  }

  const SearchCommands commands_;
  MessageSink& messages_;
  QComboBox* keyword_;
  QComboBox* extension_;
  QPushButton* search_button_;
  QComboBox* precision_;
  QComboBox* auto_sort_;
  QCheckBox* auto_move_;
  QCheckBox* refine_;
  CSearchDialog* search_window_;
  KeywordHistory history_;
};

}  // namespace dovel::ui
