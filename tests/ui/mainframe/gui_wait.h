#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

namespace dovel::ui::test {

// Runs Qt's event loop until the condition holds, at most 20 s.
inline bool process_until(const std::function<bool()>& condition) {
  QElapsedTimer waited;
  waited.start();
  while (!condition() && waited.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return condition();
}

}  // namespace dovel::ui::test
