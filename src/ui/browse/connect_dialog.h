#pragma once

#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "browse/browser_snapshot.h"
#include "ui/browse/browse_commands.h"
#include "ui/browse/select_sub_folder_dialog.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTreeView;

namespace dovel::ui {

class BrowseListModel;
class IntroBrowser;
class MessageSink;

// Asks the user for a protected share's password; nothing when the user cancels.
using PasswordPrompt = std::function<std::optional<QString>(QWidget* parent)>;

// A modal input box with the typed text hidden.
PasswordPrompt password_dialog_prompt();

// The remote-browsing view: the connect box with the explored IDs, the
// current path, the peer's shared folder as a list, the commands on its rows,
// and two panes about the peer (its introduction and its home page). It only
// shows the browser's snapshot and hands every action to BrowseCommands.
class CConnectDialog final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kNameWidth = 150;
  static constexpr int kSizeWidth = 100;
  static constexpr int kTimeWidth = 90;
  // The name column takes the window's width less this.
  static constexpr int kWidthBesideName = 220;
  static constexpr int kVisibleColumns = 3;

  enum class Pane { Intro = 0, HomePage = 1 };

  CConnectDialog(BrowseCommands commands, MessageSink& messages, QWidget* parent = nullptr);

  // Asks for a protected share's password (on the GUI thread, from inside
  // open_entry); nothing when the user cancels.
  std::optional<std::string> ask_folder_password();
  void set_password_prompt(PasswordPrompt prompt) { password_prompt_ = std::move(prompt); }
  void set_sub_folder_prompt(SubFolderPrompt prompt) { sub_folder_prompt_ = std::move(prompt); }

  // Shows a snapshot as refresh() does with the one it reads.
  void show_snapshot(const browse::BrowserSnapshot& snapshot);

  // The list's pop-up menu for the current row, as it would open (the caller owns it).
  QMenu* list_menu(QWidget* parent);

  // Explores the ID in the connect box.
  void connect_to_typed_id();
  // What a double click or Enter on a row does.
  void open_row(int row);

  BrowseListModel* model() const { return model_; }
  QTreeView* list() const { return list_; }
  QComboBox* connect_box() const { return connect_box_; }
  QPushButton* connect_button() const { return connect_button_; }
  QLineEdit* path_box() const { return path_box_; }
  QComboBox* sort_box() const { return sort_box_; }
  QCheckBox* move_to_download_box() const { return move_to_download_; }
  QPushButton* up_button() const { return up_; }
  QPushButton* folder_download_button() const { return folder_download_; }
  QPushButton* reconnect_button() const { return reconnect_; }
  QPushButton* close_button() const { return close_; }
  QLabel* title_line() const { return title_; }
  QLabel* speed_line() const { return speed_; }
  QLabel* transfers_line() const { return transfers_; }
  QRadioButton* intro_choice() const { return intro_choice_; }
  QRadioButton* home_page_choice() const { return home_page_choice_; }
  QCheckBox* pane_area_box() const { return pane_area_box_; }
  QCheckBox* no_script_box() const { return no_script_; }
  QCheckBox* no_new_window_box() const { return no_new_window_; }
  QWidget* pane_area() const { return pane_area_; }
  IntroBrowser* intro_pane() const { return intro_; }
  QLabel* home_page_pane() const { return home_page_; }

 public slots:
  // Reads the snapshot again and shows it.
  void refresh();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLayout* make_connect_row();
  QLayout* make_status_row();
  QLayout* make_button_row();
  QLayout* make_option_row();
  QLayout* make_pane_choice_row();
  void make_pane_area();
  void configure_list();
  void read_stored_choices();
  void connect_signals();

  void fit_name_column();
  void show_history(const std::vector<std::string>& history);
  void show_intro(const browse::PeerIntro& intro);
  void show_home_page(const std::string& url);
  void clear_panes();
  void enable_controls(const browse::BrowserSnapshot& snapshot);
  void choose_pane(Pane pane);

  void history_chosen(int index);
  void clear_history();
  void sort_chosen(int index);
  void intro_link_clicked(const QUrl& url);
  void go_up();
  void download_current_folder();
  void reconnect();
  void close_session();
  void touch();

  // The selected rows (the current one when none is selected), in list order.
  std::vector<browse::ListingRow> selected_rows() const;
  std::optional<browse::ListingRow> current_row() const;
  std::vector<std::string> selected_file_names() const;
  void download_selected(bool ask_sub_folder);
  void request_first_selected(const std::function<bool(const std::string&)>& request);
  void explore_current();
  void download_current_as_folder();

  bool stored_flag(const settings::FlagSetting& row) const;
  int stored_number(const settings::ProfileSetting& row) const;
  void store_flag(const settings::FlagSetting& row, bool value);

  BrowseCommands commands_;
  MessageSink& messages_;
  PasswordPrompt password_prompt_;
  SubFolderPrompt sub_folder_prompt_;
  browse::BrowserSnapshot snapshot_;
  // What the intro pane shows now, so a refresh does not reload it.
  std::optional<browse::PeerIntro> shown_intro_;
  bool intro_neutralised_ = false;
  std::vector<std::string> shown_history_;

  BrowseListModel* model_;
  QComboBox* connect_box_;
  QPushButton* connect_button_;
  QLineEdit* path_box_;
  QLabel* title_;
  QLabel* speed_;
  QLabel* transfers_;
  QTreeView* list_;
  QComboBox* sort_box_;
  QCheckBox* move_to_download_;
  QPushButton* up_;
  QPushButton* folder_download_;
  QPushButton* reconnect_;
  QPushButton* close_;
  QRadioButton* intro_choice_;
  QRadioButton* home_page_choice_;
  QButtonGroup* pane_choices_;
  QCheckBox* pane_area_box_;
  QCheckBox* no_script_;
  QCheckBox* no_new_window_;
  QWidget* pane_area_;
  QStackedWidget* panes_;
  IntroBrowser* intro_;
  QLabel* home_page_;
};

}  // namespace dovel::ui
