// An EventLoop over Qt's: the window-message layer's sockets served by the
// toolkit's loop, so a modal box or window keeps answering other processes.
#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QObject>
#include <QSocketNotifier>
#include <QThread>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "platform/event_loop.h"

namespace torvel {

// Watches are socket notifiers and posted tasks are queued calls, so a
// nested Qt loop (a box's exec) serves them as well as RunUntil does.
class QtEventLoop final : public EventLoop {
 public:
  QtEventLoop() = default;
  ~QtEventLoop() override = default;
  QtEventLoop(const QtEventLoop&) = delete;
  QtEventLoop& operator=(const QtEventLoop&) = delete;

  void Watch(int fd, std::function<void()> ready) override {
    // A notifier belongs to its thread: other threads' watches are applied
    // on the loop's thread, in order.
    if (!OnLoopThread()) {
      Post([this, fd, ready = std::move(ready)]() mutable { Watch(fd, std::move(ready)); });
      return;
    }
    auto callback = std::make_shared<Callback>(std::move(ready));
    if (const auto it = watches_.find(fd); it != watches_.end()) {
      it->second.callback = std::move(callback);
      return;
    }
    Entry entry;
    entry.notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    entry.serial = ++lastSerial_;
    entry.callback = std::move(callback);
    QObject::connect(entry.notifier.get(), &QSocketNotifier::activated, &context_,
                     [this, fd] { Dispatch(fd); });
    watches_.emplace(fd, std::move(entry));
  }

  void Unwatch(int fd) override {
    if (!OnLoopThread()) {
      Post([this, fd] { Unwatch(fd); });
      return;
    }
    // Deleting a notifier inside its own activation is allowed by Qt: it
    // checks for that after emitting.
    watches_.erase(fd);
  }

  void Post(std::function<void()> task) override {
    QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
  }

  void RunUntil(const std::function<bool()>& done) override {
    // Blocks in the dispatcher while nothing happens, so idle costs no CPU.
    while (!done())
      QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }

 private:
  using Callback = std::function<void()>;

  struct Entry {
    std::unique_ptr<QSocketNotifier> notifier;
    std::uint64_t serial = 0;  // tells a re-created watch from the one dispatched
    std::shared_ptr<Callback> callback;
  };

  bool OnLoopThread() const { return QThread::currentThread() == context_.thread(); }

  void Dispatch(int fd) {
    auto it = watches_.find(fd);
    if (it == watches_.end()) return;
    const std::uint64_t serial = it->second.serial;
    // The copy keeps the callback alive should it unwatch or replace itself.
    const std::shared_ptr<Callback> callback = it->second.callback;
    // Off while the callback runs: a nested loop inside it would otherwise
    // call it again and again for data it has not read yet.
    it->second.notifier->setEnabled(false);
    (*callback)();
    it = watches_.find(fd);
    if (it != watches_.end() && it->second.serial == serial) it->second.notifier->setEnabled(true);
  }

  // Receives the queued calls; they die with it.
  QObject context_;
  std::map<int, Entry> watches_;
  std::uint64_t lastSerial_ = 0;
};

}  // namespace torvel
