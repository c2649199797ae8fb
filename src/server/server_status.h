#pragma once

#include <optional>
#include <string>

#include "server/share_server_context.h"

namespace dovel::server {

// Uploads above this limit (bytes per second) are shown as unlimited.
inline constexpr uint32_t kShownUploadLimitCeiling = 104857600;

// The '2' status message (wire form, with its terminating zero): the most
// uploads, the running ones (never more than the most), the upload speed in KiB/s
// and the upload limit in KiB ("-1" when unlimited).
std::string status_message(const ShareServerContext& context);

// The side channel's 'I' answer (wire form, with its terminating zero): own ID,
// the most uploads, the running ones and the upload speed in KiB/s. None when
// the own ID has no wire form.
std::optional<std::string> identity_answer(const ShareServerContext& context);

}  // namespace dovel::server
