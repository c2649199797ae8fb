#include "app/service_status.h"

#include "app/xml_document.h"
#include "base/string_printf.h"
#include "base/text.h"
#include "settings/service_switches.h"

namespace dovel::app {

// The one writer of the program-wide switches.
class ServiceStatusCheck {
 public:
  static void apply(const StatusFile& file) {
    if (file.switches) settings::ServiceSwitches::set(file.switches->magic, file.switches->psub);
  }
};

namespace {

bool switch_is_on(const std::string& text) { return text == "1" || base::iequals_ascii(text, "true"); }

std::string maintenance_notice(const std::string& message, const std::string& end_time) {
  return base::string_printf("서비스 점검중입니다.\r\n\r\n<<내용>>\r\n\r\n%s\r\n\r\n<<일시>>\r\n\r\n%s", message.c_str(), end_time.c_str());
}

}  // namespace

StatusFile ReadStatusFile(std::string_view document) {
  StatusFile file;
  pugi::xml_document xml;
  if (!LoadXmlDocument(document, xml)) return file;
  if (pugi::xml_node config = FirstElementNamed(xml, "config")) {
    file.switches = StatusFile::Switches{switch_is_on(AttributeText(config, "magic")), switch_is_on(AttributeText(config, "psub"))};
  }
  pugi::xml_node status = FirstElementNamed(xml, "status");
  if (!status || !switch_is_on(AttributeText(status, "checking"))) return file;
  file.status.closed_for_maintenance = true;
  file.status.notice = maintenance_notice(AttributeText(status, "message"), AttributeText(status, "endtime"));
  return file;
}

ServiceStatus CheckServiceStatus(const UpdateHost& host) {
  if (!host.fetch) return {};
  std::optional<std::string> document = host.fetch(StatusFileUrl(host.base, platform::system_clock().tick()));
  if (!document) return {};
  StatusFile file = ReadStatusFile(*document);
  ServiceStatusCheck::apply(file);
  return file.status;
}

}  // namespace dovel::app
