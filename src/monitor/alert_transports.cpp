#include "monitor/alert_transports.h"

#include "notify/mail.h"
#include "notify/net_message.h"
#include "notify/system_event_log.h"
#include "platform/system_info.h"

namespace torvel {

int AlertTransports::SendAlertMail(const std::string& text) {
  AlertMailContext ctx{p_.store, p_.log, p_.trace, p_.messages, ComputerName(), p_.localNow()};
  return torvel::SendAlertMail(ctx, p_.worker, p_.mailDone, notifyWindow_, text);
}

int AlertTransports::SendNetworkAlert(int drive, const std::string& text) {
  NetMessageContext ctx{p_.store, p_.log, p_.messages, p_.ui, p_.system, ComputerName()};
  return torvel::SendNetworkAlert(ctx, drive, text);
}

void AlertTransports::SendNetMessage(const std::string& name, const std::string& text) {
  NetMessageContext ctx{p_.store, p_.log, p_.messages, p_.ui, p_.system, ComputerName()};
  torvel::SendNetMessage(ctx, name, text);
}

void AlertTransports::ReportAlertEvent(unsigned eventId, const std::string& s1,
                                       const std::string& s2, const std::string& s3,
                                       const std::string& s4) {
  p_.events.ReportAlertEvent(eventId, s1, s2, s3, s4);
}

}  // namespace torvel
