#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/transfer_meter.h"
#include "service/registration_client.h"
#include "service/registration_messages.h"
#include "service/registration_settings.h"
#include "service/service_session.h"
#include "share/share_totals.h"

namespace dovel::service {

// Masks the listed words of a title with '#'; nullopt refuses the title.
using WordMasker = std::function<std::optional<std::string>(std::string_view)>;

// Titles of this many bytes or more are never masked, and so never registered.
inline constexpr size_t kMaxMaskedTitle = 1024;

// The registration record of this server as it stands: the session's ID, the
// listing and UltraTurbo choices, the share port, the share totals, the peak
// upload speed and the title with the listed words masked. nullopt when the title
// cannot be masked or the record cannot be built.
std::optional<RegistrationRecord> current_registration_record(const ServiceSession& session, const RegistrationSettings& settings,
                                                              const share::ShareTotals& totals, const core::TransferMeter& meter,
                                                              const WordMasker& mask_words);

// register_server with its status line ("[%s] 서버로 등록을 하였습니다." and the failures);
// the result (kRegisterOk when registered).
int register_and_report(RegistrationClient& client, const RegistrationRecord& record);

}  // namespace dovel::service
