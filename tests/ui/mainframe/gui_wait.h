#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

namespace dovel::ui::test {

// Runs Qt's event loop (deferred deletes included) until the condition holds, at
// most `limit_ms` (20 s unless told): the widget tests' counterpart of eventually.
inline bool process_until(const std::function<bool()>& condition, int limit_ms = 20000) {
  QElapsedTimer waited;
  waited.start();
  while (!condition() && waited.elapsed() < limit_ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  return condition();
}

}  // namespace dovel::ui::test
