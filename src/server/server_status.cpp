#include "server/server_status.h"

#include <algorithm>

#include "base/string_printf.h"
#include "wire/wire_text.h"

namespace dovel::server {
namespace {

struct UploadFigures {
  int most = 0;
  int running = 0;
  double kib_per_second = 0;
};

UploadFigures upload_figures(const ShareServerContext& context) {
  UploadFigures figures;
  figures.most = static_cast<int>(context.settings->values().max_upload);
  figures.running = std::min(figures.most, context.meter->running_uploads.load());
  figures.kib_per_second = context.meter->upload_speed.load() / 1024.0;
  return figures;
}

}  // namespace

std::string status_message(const ShareServerContext& context) {
  UploadFigures figures = upload_figures(context);
  const uint32_t limit = context.settings->upload_speed_limit();
  std::string shown_limit = limit < kShownUploadLimitCeiling ? std::to_string(limit / 1024) : "-1";
  // Numbers only: the text is the same in either form.
  std::string message = base::string_printf("2%d\a%d\a%.2f\a%s", figures.most, figures.running, figures.kib_per_second, shown_limit.c_str());
  message += '\0';
  return message;
}

std::optional<std::string> identity_answer(const ShareServerContext& context) {
  const std::optional<std::string> user_id = wire::field(context.session->identity().user_id, "\a");
  if (!user_id) return std::nullopt;
  UploadFigures figures = upload_figures(context);
  std::string answer = base::string_printf("I%s\a%d\a%d\a%.2f", user_id->c_str(), figures.most, figures.running, figures.kib_per_second);
  answer += '\0';
  return answer;
}

}  // namespace dovel::server
