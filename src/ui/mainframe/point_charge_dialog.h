#pragma once

#include <QDialog>
#include <QTimer>

#include <functional>
#include <string>

namespace dovel::ui {

// The point-shortage window: its title counts down the seconds until it hides
// itself; its two buttons open the point pages of the web host.
class CPointChargeDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kCountdownSeconds = 20;
  static constexpr const char* kChargePage = "/point/home.html?q_where=client";
  static constexpr const char* kPremiumPage = "/point/premium.html?q_where=client";

  // `open_page` gets the page's path on the web host.
  CPointChargeDialog(std::function<void(const std::string& page)> open_page, QWidget* parent = nullptr);

  // Shows the window centred over its parent and in front, the count starting again.
  void show_shortage();
  int seconds_left() const { return kCountdownSeconds - ticks_; }

 private:
  void tick();
  void show_title();

  std::function<void(const std::string&)> open_page_;
  QTimer countdown_;
  int ticks_ = 0;
};

}  // namespace dovel::ui
