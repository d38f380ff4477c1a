#include "launcher/dbus_notifier.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace torvel {
namespace {

const QString kNotificationsService = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kNotificationsInterface = QStringLiteral("org.freedesktop.Notifications");
// The action a click on the notice itself invokes.
const QString kNoticeDefaultAction = QStringLiteral("default");
constexpr int kNotifyCallTimeoutMs = 10000;
// The server's own time-out for the notice.
constexpr std::int32_t kNoticeExpiry = -1;

QDBusMessage NotificationsCall(const QString& method) {
  return QDBusMessage::createMethodCall(kNotificationsService, kNotificationsPath, kNotificationsInterface,
                                        method);
}

std::string DbusErrorText(const QDBusError& error) {
  return (error.name() + QStringLiteral(": ") + error.message()).toStdString();
}

}  // namespace

DbusNotifier::DbusNotifier(const QDBusConnection& bus, TraceLine trace)
    : bus_(bus), trace_(std::move(trace)) {
  if (!bus_.isConnected()) return;
  bus_.connect(kNotificationsService, kNotificationsPath, kNotificationsInterface,
               QStringLiteral("ActionInvoked"), this, SLOT(OnActionInvoked(uint, QString)));
  bus_.connect(kNotificationsService, kNotificationsPath, kNotificationsInterface,
               QStringLiteral("NotificationClosed"), this, SLOT(OnNotificationClosed(uint, uint)));
}

void DbusNotifier::Notify(const DesktopNotice& notice) {
  if (!bus_.isConnected()) {
    const QDBusError error = bus_.lastError();
    Failed("desktop notifications are off: no session bus" +
           (error.isValid() ? " (" + DbusErrorText(error) + ")" : std::string()));
    return;
  }
  // Only the newest counts: one that has not left yet is replaced.
  waiting_ = notice;
  if (!busy_) SendNext();
}

void DbusNotifier::SendNext() {
  if (!waiting_) return;
  busy_ = true;
  if (markup_) {
    const DesktopNotice notice = *waiting_;
    waiting_.reset();
    SendNotify(notice, *markup_);
    return;
  }
  // Whether the body is read as markup decides how it is written, so the
  // server is asked first, once.
  const QDBusMessage call = NotificationsCall(QStringLiteral("GetCapabilities"));
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kNotifyCallTimeoutMs), this);
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    const QDBusPendingReply<QStringList> reply = *w;
    // Asked again next time when the server did not answer.
    const bool markup = !reply.isError() && reply.value().contains(QStringLiteral("body-markup"));
    if (!reply.isError()) markup_ = markup;
    if (!waiting_) {
      busy_ = false;
      return;
    }
    const DesktopNotice notice = *waiting_;
    waiting_.reset();
    SendNotify(notice, markup);
  });
}

void DbusNotifier::SendNotify(const DesktopNotice& notice, bool markup) {
  const QString body = QString::fromStdString(notice.body);
  QVariantMap hints;
  hints.insert(QStringLiteral("urgency"), QVariant::fromValue(static_cast<uchar>(notice.urgency)));
  hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("torvel"));
  QDBusMessage call = NotificationsCall(QStringLiteral("Notify"));
  call << QStringLiteral("Torvel") << QVariant::fromValue(static_cast<uint>(id_)) << QStringLiteral("torvel")
       << QString::fromStdString(notice.summary) << (markup ? body.toHtmlEscaped() : body)
       << QStringList{kNoticeDefaultAction, QStringLiteral("Open Torvel")} << hints
       << QVariant::fromValue(static_cast<int>(kNoticeExpiry));
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kNotifyCallTimeoutMs), this);
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    const QDBusPendingReply<uint> reply = *w;
    if (reply.isError()) {
      Failed("desktop notification not shown: " + DbusErrorText(reply.error()));
    } else {
      id_ = reply.value();
      traced_ = false;
    }
    busy_ = false;
    SendNext();
  });
}

void DbusNotifier::OnActionInvoked(uint id, const QString& action) {
  if (id != 0 && id == id_ && action == kNoticeDefaultAction && open_) open_();
}

void DbusNotifier::OnNotificationClosed(uint id, uint) {
  // The next notice is a new one rather than the replacement of one gone.
  if (id == id_) id_ = 0;
}

void DbusNotifier::Failed(const std::string& line) {
  if (traced_) return;
  traced_ = true;
  if (trace_) trace_(line);
}

}  // namespace torvel
