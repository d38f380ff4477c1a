// The D-Bus notifier against a private bus (dbus-daemon, started here) on
// which a small stand-in for the desktop's notification server owns
// org.freedesktop.Notifications: it records the calls and emits the
// server's signals.
#include "launcher/dbus_notifier.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QElapsedTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;

const QString kFakeServerPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kFakeServerInterface = QStringLiteral("org.freedesktop.Notifications");

// Runs the event loop until `done`, at most 10 seconds.
bool PumpNotifierUntil(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

struct NotifyCall {
  QString appName;
  uint replacesId = 0;
  QString appIcon;
  QString summary;
  QString body;
  QStringList actions;
  QVariantMap hints;
  int expireTimeout = 0;
};

// The notification server's side: Notify answers the id it replaces, or a
// new one from 7 up.
class FakeNotificationServer final : public QDBusVirtualObject {
 public:
  explicit FakeNotificationServer(QStringList capabilities) : capabilities_(std::move(capabilities)) {}

  QString introspect(const QString&) const override { return {}; }

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.interface() != kFakeServerInterface) return false;
    if (message.member() == QStringLiteral("GetCapabilities")) {
      ++capabilityQueries;
      connection.send(message.createReply(QVariant(capabilities_)));
      return true;
    }
    // Only the signature the desktop's server accepts.
    if (message.member() != QStringLiteral("Notify") || message.signature() != QStringLiteral("susssasa{sv}i"))
      return false;
    const QList<QVariant> a = message.arguments();
    calls.push_back({a[0].toString(), a[1].toUInt(), a[2].toString(), a[3].toString(), a[4].toString(),
                     a[5].toStringList(), qdbus_cast<QVariantMap>(a[6]), a[7].toInt()});
    const uint id = calls.back().replacesId != 0 ? calls.back().replacesId : nextId_++;
    connection.send(message.createReply(QVariant::fromValue(id)));
    return true;
  }

  std::vector<NotifyCall> calls;
  int capabilityQueries = 0;

 private:
  QStringList capabilities_;
  uint nextId_ = 7;
};

struct DbusNotifierTest : ::testing::Test {
  void SetUp() override {
    if (!fs::exists("/usr/bin/dbus-daemon")) GTEST_SKIP() << "dbus-daemon is not installed (package dbus-daemon)";
    // The address is given, so the bus lives and dies in the test's folder.
    daemon = std::make_unique<test::ChildProcess>(
        std::vector<std::string>{"/usr/bin/dbus-daemon", "--session", "--nofork", "--nopidfile",
                                 "--print-address", "--address=unix:path=" + (dir.path() / "bus").string()},
        dir.path());
    const auto address = daemon->ReadLine();
    ASSERT_TRUE(address) << "dbus-daemon printed no address";
    address_ = QString::fromStdString(*address);
    static int serial = 0;
    const QString n = QString::number(++serial);
    notifierName_ = QStringLiteral("notifier-") + n;
    serverName_ = QStringLiteral("server-") + n;
  }
  void TearDown() override {
    notifier.reset();
    if (fake != nullptr) QDBusConnection(serverName_).unregisterObject(kFakeServerPath);
    server.reset();
    if (!notifierName_.isEmpty()) QDBusConnection::disconnectFromBus(notifierName_);
    if (!serverName_.isEmpty()) QDBusConnection::disconnectFromBus(serverName_);
  }

  // The server is up before the notifier connects, as a desktop's is.
  void StartServer(QStringList capabilities) {
    QDBusConnection bus = QDBusConnection::connectToBus(address_, serverName_);
    ASSERT_TRUE(bus.isConnected()) << bus.lastError().message().toStdString();
    server = std::make_unique<FakeNotificationServer>(std::move(capabilities));
    fake = server.get();
    ASSERT_TRUE(bus.registerVirtualObject(kFakeServerPath, fake));
    ASSERT_TRUE(bus.registerService(kFakeServerInterface));
  }
  void StartNotifier(const QString& address) {
    notifier = std::make_unique<DbusNotifier>(QDBusConnection::connectToBus(address, notifierName_),
                                              [this](const std::string& line) { traced.push_back(line); });
    notifier->SetOpenAction([this] { ++opened; });
  }
  void StartNotifier() { StartNotifier(address_); }
  // What the server tells every client that listens.
  void Emit(const char* signal, const QList<QVariant>& arguments) {
    QDBusMessage message =
        QDBusMessage::createSignal(kFakeServerPath, kFakeServerInterface, QString::fromLatin1(signal));
    message.setArguments(arguments);
    ASSERT_TRUE(QDBusConnection(serverName_).send(message));
  }
  void NotifyAndAwait(const DesktopNotice& notice) {
    const std::size_t before = fake->calls.size();
    notifier->Notify(notice);
    ASSERT_TRUE(PumpNotifierUntil([&] { return fake->calls.size() == before + 1 && notifier->idle(); }));
  }

  test::TempDir dir;
  std::unique_ptr<test::ChildProcess> daemon;
  QString address_;
  QString notifierName_;
  QString serverName_;
  std::unique_ptr<FakeNotificationServer> server;
  FakeNotificationServer* fake = nullptr;
  std::unique_ptr<DbusNotifier> notifier;
  std::vector<std::string> traced;
  int opened = 0;
};

const DesktopNotice kTecNotice{"A disk reports a critical condition", "Disk A\n[SMART reported CRITICAL]", 2};
const DesktopNotice kChangeNotice{"A disk needs attention", "Disk A\n[ 1 SMART attribute changed. ]", 1};
const DesktopNotice kOkNotice{"The disks are OK again", "Disk A\n[SMART OK. ]", 0};

TEST_F(DbusNotifierTest, NotifyCarriesTheNoticeAndLaterOnesReplaceIt) {
  StartServer({QStringLiteral("actions"), QStringLiteral("body")});
  StartNotifier();
  NotifyAndAwait(kTecNotice);
  const NotifyCall& first = fake->calls[0];
  EXPECT_EQ(first.appName, QStringLiteral("Torvel"));
  EXPECT_EQ(first.replacesId, 0u);
  EXPECT_EQ(first.appIcon, QStringLiteral("torvel"));
  EXPECT_EQ(first.summary, QStringLiteral("A disk reports a critical condition"));
  EXPECT_EQ(first.body, QStringLiteral("Disk A\n[SMART reported CRITICAL]"));
  EXPECT_EQ(first.actions, (QStringList{QStringLiteral("default"), QStringLiteral("Open Torvel")}));
  EXPECT_EQ(first.hints.value(QStringLiteral("urgency")).userType(), QMetaType::UChar) << "a byte, as servers read it";
  EXPECT_EQ(first.hints.value(QStringLiteral("urgency")).toInt(), 2);
  EXPECT_EQ(first.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("torvel"));
  EXPECT_EQ(first.expireTimeout, -1);
  EXPECT_EQ(notifier->shownId(), 7u);

  NotifyAndAwait(kChangeNotice);
  EXPECT_EQ(fake->calls[1].replacesId, 7u);
  EXPECT_EQ(fake->calls[1].hints.value(QStringLiteral("urgency")).toInt(), 1);

  // One on its way and two more behind it: the newer of those two takes the
  // older's place, and each replaces the notice on screen.
  notifier->Notify(kOkNotice);
  notifier->Notify(kChangeNotice);
  notifier->Notify(kTecNotice);
  ASSERT_TRUE(PumpNotifierUntil([&] { return notifier->idle(); }));
  NotifyAndAwait(kOkNotice);
  ASSERT_EQ(fake->calls.size(), 5u);
  EXPECT_EQ(fake->calls[2].summary, QStringLiteral("The disks are OK again"));
  EXPECT_EQ(fake->calls[3].summary, QStringLiteral("A disk reports a critical condition"));
  EXPECT_EQ(fake->calls[4].summary, QStringLiteral("The disks are OK again"));
  for (std::size_t i = 1; i < fake->calls.size(); ++i) EXPECT_EQ(fake->calls[i].replacesId, 7u) << i;
  EXPECT_EQ(fake->capabilityQueries, 1) << "asked once";
  EXPECT_TRUE(traced.empty());
}

TEST_F(DbusNotifierTest, TheBodyIsEscapedOnlyForAServerThatReadsMarkup) {
  const DesktopNotice notice{"A disk needs attention", "Disk <A&B>\n[ 1 SMART attribute changed. ]", 1};
  StartServer({QStringLiteral("actions"), QStringLiteral("body"), QStringLiteral("body-markup")});
  StartNotifier();
  NotifyAndAwait(notice);
  EXPECT_EQ(fake->calls[0].body, QStringLiteral("Disk &lt;A&amp;B&gt;\n[ 1 SMART attribute changed. ]"));
  EXPECT_EQ(fake->calls[0].summary, QStringLiteral("A disk needs attention")) << "a summary is never markup";
}

TEST_F(DbusNotifierTest, PlainServerGetsTheBodyAsItIs) {
  const DesktopNotice notice{"A disk needs attention", "Disk <A&B>", 1};
  StartServer({QStringLiteral("body")});
  StartNotifier();
  NotifyAndAwait(notice);
  EXPECT_EQ(fake->calls[0].body, QStringLiteral("Disk <A&B>"));
}

TEST_F(DbusNotifierTest, ItsDefaultActionOpensTheMainWindowAndAClosedNoticeIsNotReplaced) {
  StartServer({QStringLiteral("actions")});
  StartNotifier();
  NotifyAndAwait(kTecNotice);
  ASSERT_EQ(notifier->shownId(), 7u);
  // Another program's notice, another action, then ours: signals keep their order.
  Emit("ActionInvoked", {QVariant::fromValue(8u), QStringLiteral("default")});
  Emit("ActionInvoked", {QVariant::fromValue(7u), QStringLiteral("snooze")});
  Emit("ActionInvoked", {QVariant::fromValue(7u), QStringLiteral("default")});
  ASSERT_TRUE(PumpNotifierUntil([&] { return opened > 0; }));
  Emit("ActionInvoked", {QVariant::fromValue(7u), QStringLiteral("default")});
  ASSERT_TRUE(PumpNotifierUntil([&] { return opened > 1; }));
  EXPECT_EQ(opened, 2) << "only our notice's default action";

  Emit("NotificationClosed", {QVariant::fromValue(8u), QVariant::fromValue(2u)});
  Emit("NotificationClosed", {QVariant::fromValue(7u), QVariant::fromValue(2u)});
  ASSERT_TRUE(PumpNotifierUntil([&] { return notifier->shownId() == 0; }));
  NotifyAndAwait(kOkNotice);
  EXPECT_EQ(fake->calls[1].replacesId, 0u) << "the closed notice is gone: a new one";
  EXPECT_EQ(notifier->shownId(), 8u);
}

TEST_F(DbusNotifierTest, WithoutAServerOrABusALineIsTracedOnce) {
  StartNotifier();  // a bus, but nothing owns the service
  notifier->Notify(kTecNotice);
  ASSERT_TRUE(PumpNotifierUntil([&] { return !traced.empty(); }));
  EXPECT_NE(traced[0].find("desktop notification not shown: org.freedesktop.DBus.Error.ServiceUnknown"),
            std::string::npos)
      << traced[0];
  // It may or may not find the server that starts now.
  notifier->Notify(kChangeNotice);
  StartServer({QStringLiteral("actions")});
  notifier->Notify(kOkNotice);
  ASSERT_TRUE(PumpNotifierUntil([&] {
    return !fake->calls.empty() && fake->calls.back().summary == QStringLiteral("The disks are OK again");
  }));
  EXPECT_EQ(traced.size(), 1u) << "a second failure is not traced again";

  notifier.reset();
  QDBusConnection::disconnectFromBus(notifierName_);
  traced.clear();
  StartNotifier(QStringLiteral("unix:path=") + QString::fromStdString((dir.path() / "no-bus").string()));
  notifier->Notify(kTecNotice);
  notifier->Notify(kTecNotice);
  ASSERT_EQ(traced.size(), 1u) << "said at once, and once";
  EXPECT_EQ(traced[0].rfind("desktop notifications are off: no session bus", 0), 0u) << traced[0];
}

}  // namespace
}  // namespace torvel
