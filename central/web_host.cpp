#include "central/web_host.h"

#include <httplib.h>

#include <chrono>
#include <future>
#include <thread>

#include "base/text.h"
#include "central/web_pages.h"
#include "platform/cp949.h"
#include "service/auth_messages.h"
#include "util/letter_pair.h"

namespace dovel::central {
namespace {

constexpr const char* kHtml = "text/html; charset=euc-kr";
constexpr const char* kXml = "text/xml; charset=euc-kr";
constexpr size_t kMaxRequestBody = 64 * 1024;
// A push travels behind a short length prefix the client reads up to 2047 bytes.
constexpr size_t kMaxPushText = 2000;

void answer(httplib::Response& response, std::string_view utf8, const char* type) {
  response.set_content(platform::utf8_to_cp949(utf8).value_or(std::string()), type);
}

bool from_this_machine(const httplib::Request& request) { return base::starts_with_ascii_nocase(request.remote_addr, "127."); }

void refuse(httplib::Response& response, int status, const std::string& reason) {
  response.status = status;
  response.set_content(reason + "\n", "text/plain");
}

// Replaces `target` with the form field `name` when the request has it; false
// (and the answer set) when its value does not fit.
bool take_field(const httplib::Request& request, httplib::Response& response, const char* name, size_t max_bytes, std::string& target) {
  if (!request.has_param(name)) return true;
  std::string value = request.get_param_value(name);
  if (!fits_startup_document(value, max_bytes)) {
    refuse(response, 400, std::string(name) + " is too long, has control bytes or has no CP949 form");
    return false;
  }
  target = std::move(value);
  return true;
}

// POST /admin/status switches the status file field by field; POST
// /admin/update-file adds or replaces one file of the update list and POST
// /admin/update-clear empties it.
void add_startup_document_admin(httplib::Server& http, StartupDocuments& documents) {
  http.Post("/admin/status", [&documents](const httplib::Request& request, httplib::Response& response) {
    if (!from_this_machine(request)) return refuse(response, 403, "only from this machine");
    StatusFileFields fields = documents.status();
    const bool taken = take_field(request, response, "checking", kMaxSwitchTextBytes, fields.checking) &&
                       take_field(request, response, "message", kMaxStatusTextBytes, fields.message) &&
                       take_field(request, response, "endtime", kMaxStatusTextBytes, fields.endtime) &&
                       take_field(request, response, "magic", kMaxSwitchTextBytes, fields.magic) &&
                       take_field(request, response, "psub", kMaxSwitchTextBytes, fields.psub);
    if (!taken) return;
    documents.set_status(fields);
    response.set_content(status_file(fields), "text/plain; charset=utf-8");
  });
  http.Post("/admin/update-file", [&documents](const httplib::Request& request, httplib::Response& response) {
    if (!from_this_machine(request)) return refuse(response, 403, "only from this machine");
    UpdateListEntry entry;
    if (!request.has_param("name") || request.get_param_value("name").empty()) return refuse(response, 400, "name is needed");
    const bool taken = take_field(request, response, "name", kMaxUpdateNameBytes, entry.name) &&
                       take_field(request, response, "version", kMaxUpdateVersionBytes, entry.version) &&
                       take_field(request, response, "check_size", kMaxSwitchTextBytes, entry.check_size);
    if (!taken) return;
    if (!documents.put_update_file(entry)) {
      return refuse(response, 400, "the update list holds " + std::to_string(kMaxUpdateFiles) + " files already");
    }
    response.set_content(update_list(documents.update_files()), "text/plain; charset=utf-8");
  });
  http.Post("/admin/update-clear", [&documents](const httplib::Request& request, httplib::Response& response) {
    if (!from_this_machine(request)) return refuse(response, 403, "only from this machine");
    documents.clear_update_files();
    response.set_content(update_list({}), "text/plain; charset=utf-8");
  });
}

}  // namespace

struct WebHost::Server {
  explicit Server(const WebHostContext& given) : context(given) {}

  WebHostContext context;
  httplib::Server http;
  std::thread thread;
  std::future<void> finished;
};

WebHost::WebHost(const WebHostContext& given) : server_(std::make_unique<Server>(given)) {
  const WebHostContext& context = server_->context;
  httplib::Server& http = server_->http;
  http.set_read_timeout(5, 0);
  http.set_write_timeout(5, 0);
  http.set_keep_alive_timeout(2);
  http.set_payload_max_length(kMaxRequestBody);
  http.set_logger([&context](const httplib::Request& request, const httplib::Response& response) {
    context.log.write("web", request.remote_addr + ":" + std::to_string(request.remote_port), request.method + " " + request.path,
                      std::to_string(response.status));
  });

  auto status = [&context](const httplib::Request&, httplib::Response& response) {
    answer(response, status_file(context.documents.status()), kXml);
  };
  http.Get(R"(/server\.xml)", status);
  http.Get(R"(/dovel/server\.xml)", status);
  auto updates = [&context](const httplib::Request&, httplib::Response& response) {
    answer(response, update_list(context.documents.update_files()), kXml);
  };
  http.Get(R"(/update\.xml)", updates);
  http.Get(R"(/dovel/update/update\.xml)", updates);

  http.Get(R"(/client/warn_status\.html)", [&context](const httplib::Request& request, httplib::Response& response) {
    // The ID comes in the letter-pair encoding of its CP949 form.
    std::string id = util::DecodeWire(request.get_param_value("q_id"));
    std::optional<Account> account;
    try {
      if (!id.empty()) account = context.accounts.find(id);
    } catch (const std::exception&) {
      response.status = 500;
      return;
    }
    answer(response, warning_status(account), kHtml);
  });

  auto placeholder = [](const httplib::Request&, httplib::Response& response) { answer(response, placeholder_page(), kHtml); };
  for (const char* path : {R"(/)", R"(/client/banner\.html)", R"(/login/logout\.html)", R"(/client/dovel\.html)", R"(/client/hompy\.html)",
                           R"(/client/srh_fileid\.html)", R"(/client/srh_warn\.html)", R"(/user/.*)"}) {
    http.Get(path, placeholder);
  }
  http.Get(R"(/app/recommend_dovel\.html)", [](const httplib::Request&, httplib::Response& response) { answer(response, empty_page(), kHtml); });

  auto admin_push = [&context](uint16_t type) {
    return [&context, type](const httplib::Request& request, httplib::Response& response) {
      if (!from_this_machine(request)) {
        response.status = 403;
        return;
      }
      const std::string text = request.get_param_value("text");
      std::optional<std::string> to;
      if (request.has_param("to")) to = request.get_param_value("to");
      std::optional<size_t> taken;
      if (!text.empty() && text.size() <= kMaxPushText) taken = context.push(type, text, to);
      if (!taken) {
        response.status = 400;
        response.set_content("text missing, too long or without a CP949 form\n", "text/plain");
        return;
      }
      response.set_content("pushed to " + std::to_string(*taken) + " sessions\n", "text/plain");
    };
  };
  // Ends, in order, every registration and announcement connection from one client address.
  http.Post("/admin/end-registration", [&context](const httplib::Request& request, httplib::Response& response) {
    if (!from_this_machine(request)) return refuse(response, 403, "only from this machine");
    std::optional<platform::Ipv4> client = platform::parse_ipv4(request.get_param_value("address"));
    if (!client) return refuse(response, 400, "address takes an IPv4 address");
    response.set_content("ended " + std::to_string(context.held.end_from(*client)) + " connections\n", "text/plain");
  });
  http.Post("/admin/notice", admin_push(service::kNoticePush));
  http.Post("/admin/line", admin_push(service::kSystemLinePush));
  add_startup_document_admin(http, context.documents);
}

WebHost::~WebHost() { stop(); }

bool WebHost::start(platform::Ipv4 address, uint16_t port) {
  if (!server_->http.bind_to_port(platform::format_ipv4(address), port)) return false;
  std::packaged_task<void()> serve([this] { server_->http.listen_after_bind(); });
  server_->finished = serve.get_future();
  server_->thread = std::thread(std::move(serve));
  return true;
}

void WebHost::stop() {
  if (!server_->thread.joinable()) return;
  // A stop that comes before the server thread began listening is not seen by
  // it, so it is repeated until the thread ends.
  do {
    server_->http.stop();
  } while (server_->finished.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready);
  server_->thread.join();
}

}  // namespace dovel::central
