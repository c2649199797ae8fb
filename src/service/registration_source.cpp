#include "service/registration_source.h"

#include "base/text.h"
#include "util/log_files.h"

namespace dovel::service {

std::optional<RegistrationRecord> current_registration_record(const ServiceSession& session, const RegistrationSettings& settings,
                                                              const share::ShareTotals& totals, const core::TransferMeter& meter,
                                                              const WordMasker& mask_words) {
  const RegistrationChoices values = settings.values();
  if (values.server_subject.size() >= kMaxMaskedTitle) return std::nullopt;
  std::optional<std::string> title = mask_words ? mask_words(values.server_subject) : std::optional<std::string>(values.server_subject);
  if (!title) return std::nullopt;
  const share::ShareTotalsValue shared = totals.get();
  RegistrationRecord record;
  record.user_id = session.identity().user_id;
  record.show_server = values.show_server;
  record.ultra_turbo = values.ultra_turbo;
  record.port = static_cast<uint16_t>(values.share_port);
  record.shared_mib = shared.mib;
  record.shared_files = shared.files;
  record.peak_speed = meter.highest_upload_speed;
  record.title = *title;
  if (!build_registration_record(record)) return std::nullopt;
  return record;
}

int register_and_report(RegistrationClient& client, const RegistrationRecord& record) {
  const int result = client.register_server(record);
  const std::string line = registration_result_text(result, client.channel());
  if (!line.empty()) util::LogSystem("%s", line.c_str());
  return result;
}

}  // namespace dovel::service
