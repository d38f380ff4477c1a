// Desktop notifications through org.freedesktop.Notifications on a D-Bus
// connection, normally the session bus. Calls never block the launcher's
// loop, which serves the core's window messages: each one is sent
// asynchronously, and a notice that comes while one is on its way waits for
// that one's id, so it replaces it rather than adding a second.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "launcher/desktop_notifier.h"

namespace torvel {

class DbusNotifier final : public QObject, public DesktopNotifier {
  Q_OBJECT

 public:
  using TraceLine = std::function<void(const std::string&)>;

  // `trace` gets one line, not a box, when the bus or the notification
  // service cannot be reached; again only after a notice got through.
  DbusNotifier(const QDBusConnection& bus, TraceLine trace);

  // Notify(summary, body, "default" action "Open Torvel", urgency hint),
  // with the id of the notice shown before as replaces_id. The body is
  // escaped for servers that read markup in it.
  void Notify(const DesktopNotice& notice) override;
  void SetOpenAction(std::function<void()> open) override { open_ = std::move(open); }

  // The server's id of the notice on screen; 0 before the first and after
  // the server closed it.
  std::uint32_t shownId() const { return id_; }
  // No call on its way and no notice waiting for one (tests).
  bool idle() const { return !busy_ && !waiting_; }

 private Q_SLOTS:
  void OnActionInvoked(uint id, const QString& action);
  void OnNotificationClosed(uint id, uint reason);

 private:
  void SendNext();
  void SendNotify(const DesktopNotice& notice, bool markup);
  void Failed(const std::string& line);

  QDBusConnection bus_;
  TraceLine trace_;
  std::function<void()> open_;
  std::optional<DesktopNotice> waiting_;
  bool busy_ = false;           // a call is on its way
  std::optional<bool> markup_;  // the server's "body-markup", once it answered
  std::uint32_t id_ = 0;
  bool traced_ = false;  // a failure was traced since the last notice got through
};

}  // namespace torvel
