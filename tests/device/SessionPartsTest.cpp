// The parts a device session is built from: the event queue between its threads, the job
// thread, and carrying a working copy's reply changes back into an entry.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <latch>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "device/EntryChanges.h"
#include "device/EventQueue.h"
#include "device/JobThread.h"

namespace lum {
namespace {

TEST(EventQueueTest, EventsPostedElsewhereRunInOrderOnTheDrainingThread) {
  EventQueue queue;
  std::atomic<int> wakes = 0;
  queue.SetWake([&] { ++wakes; });
  std::vector<int> order;
  std::vector<std::thread::id> ranOn;
  std::thread poster([&] {
    for (int i = 0; i < 3; ++i)
      queue.Post([&, i] {
        order.push_back(i);
        ranOn.push_back(std::this_thread::get_id());
      });
  });
  poster.join();
  EXPECT_TRUE(order.empty()) << "nothing runs before the owner drains";
  EXPECT_EQ(wakes, 1) << "woken once when the queue stopped being empty";

  EXPECT_EQ(queue.Drain(), 3u);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  for (const auto& id : ranOn) EXPECT_EQ(id, std::this_thread::get_id());
  EXPECT_EQ(queue.Drain(), 0u);

  queue.Post([] {});
  EXPECT_EQ(wakes, 2) << "an empty queue wakes its owner again";
  queue.SetWake({});
  queue.Drain();
  queue.Post([] {});
  EXPECT_EQ(wakes, 2) << "a cleared wake is never called";
}

TEST(EventQueueTest, AnEventThatDrainsAgainKeepsTheOrder) {
  EventQueue queue;
  std::vector<int> order;
  queue.Post([&] {
    order.push_back(0);
    queue.Post([&] { order.push_back(2); });
    queue.Drain();  // a nested event loop, as a message box would run
  });
  queue.Post([&] { order.push_back(1); });
  queue.Drain();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
}

TEST(EventQueueTest, WaitingEndsOnAnEventOrWhenTheConditionHolds) {
  EventQueue queue;
  std::thread poster([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    queue.Post([] {});
  });
  queue.WaitForEventOr([] { return false; });
  EXPECT_EQ(queue.Drain(), 1u);
  poster.join();

  std::atomic<bool> ready = false;
  std::thread notifier([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ready = true;
    queue.Notify();
  });
  queue.WaitForEventOr([&] { return ready.load(); });
  EXPECT_TRUE(ready);
  notifier.join();
}

TEST(JobThreadTest, JobsRunOneAtATimeInOrderOffTheCallersThread) {
  std::atomic<int> finished = 0;
  std::vector<int> order;
  std::atomic<int> running = 0;
  std::atomic<bool> overlapped = false;
  std::promise<std::thread::id> worker;
  std::latch allFinished(6);
  {
    JobThread jobs([&] {
      ++finished;
      allFinished.count_down();
    });
    jobs.Push([&] { worker.set_value(std::this_thread::get_id()); });
    for (int i = 0; i < 5; ++i)
      jobs.Push([&, i] {
        if (++running > 1) overlapped = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        order.push_back(i);
        --running;
      });
    EXPECT_NE(worker.get_future().get(), std::this_thread::get_id());
    allFinished.wait();
    EXPECT_EQ(jobs.Pending(), 0u) << "counted out before it is told finished";
  }
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_FALSE(overlapped);
  EXPECT_EQ(finished, 6);
}

TEST(JobThreadTest, AJobThatThrowsIsHandedOverAndTheNextJobRuns) {
  std::atomic<int> finished = 0;
  std::string thrown;
  std::latch bothFinished(2);
  std::atomic<bool> nextRan = false;
  {
    JobThread jobs(
        [&] {
          ++finished;
          bothFinished.count_down();
        },
        [&](std::exception_ptr failure) {
          try {
            std::rethrow_exception(failure);
          } catch (const std::runtime_error& e) {
            thrown = e.what();
          }
        });
    jobs.Push([] { throw std::runtime_error("database or disk is full"); });
    jobs.Push([&] { nextRan = true; });
    bothFinished.wait();
  }
  EXPECT_TRUE(nextRan);
  EXPECT_EQ(thrown, "database or disk is full");
  EXPECT_EQ(finished, 2) << "the failed job is counted out like any other";
}

TEST(JobThreadTest, EndingDropsWaitingJobsAndLetsTheRunningOneFinish) {
  std::promise<void> started;
  std::promise<void> release;
  std::atomic<bool> firstEnded = false;
  std::atomic<bool> secondRan = false;
  auto jobs = std::make_unique<JobThread>(nullptr);
  jobs->Push([&] {
    started.set_value();
    release.get_future().wait();
    firstEnded = true;
  });
  jobs->Push([&] { secondRan = true; });
  started.get_future().wait();
  EXPECT_EQ(jobs->Pending(), 2u);
  std::thread ender([&] { jobs.reset(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  release.set_value();
  ender.join();
  EXPECT_TRUE(firstEnded);
  EXPECT_FALSE(secondRan);
}

TEST(EntryChangesTest, OnlyWhatTheRepliesChangedReachesTheEntry) {
  TDEVICE_CONFIG before;
  before.SerialNumber = 1;
  before.Model = "OLD";
  before.Config.SetOTP(60);
  before.Config.SetBattOVP(14400);
  TDEVICE_CONFIG after = before;
  after.SerialNumber = 2;          // a serial number reply
  after.Config.SetOTP(75);         // a temperature reply
  after.Config.SetBattFCV(14100);  // a late reply
  TDEVICE_CONFIG target = before;
  target.Model = "EDITED";  // the owner edited meanwhile: not a reply's change
  target.Config.SetBattOVP(14800);
  target.Modified = true;

  ApplyReplyChanges(before, after, target);

  EXPECT_EQ(target.SerialNumber, 2u);
  EXPECT_EQ(target.Config.OTP(), 75);
  EXPECT_EQ(target.Config.BattFCV(), 14100);
  EXPECT_EQ(target.Model, "EDITED");
  EXPECT_EQ(target.Config.BattOVP(), 14800);
  EXPECT_TRUE(target.Modified);
}

}  // namespace
}  // namespace lum
