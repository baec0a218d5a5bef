// The user-space lock, condition and one-shot value: exclusion across many
// threads, timeouts, wake-ups that come without the predicate holding.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "wrappers/SrwFuture.h"
#include "wrappers/SrwSync.h"

namespace {

using Ledra::SrwConditionVariable;
using Ledra::SrwFuture;
using Ledra::SrwMutex;
using Ledra::SrwPromise;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr auto kGenerous = std::chrono::seconds(30);

TEST(SrwMutexTest, KeepsReadModifyWriteWholeAcrossManyThreads) {
  SrwMutex mutex;
  long counter = 0;  // deliberately not atomic: only the lock keeps it right
  constexpr int kThreads = 8;
  constexpr int kRounds = 20000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRounds; ++i) {
        std::lock_guard<SrwMutex> lock(mutex);
        const long seen = counter;
        if (i % 256 == 0) ::SwitchToThread();  // invites another thread in, were the lock open
        counter = seen + 1;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(counter, static_cast<long>(kThreads) * kRounds);
  ASSERT_TRUE(mutex.try_lock());  // free again; held, it refuses (see the timed waits)
  mutex.unlock();
}

TEST(SrwConditionVariableTest, TimedWaitsReportTimeoutOnlyAfterTheirDeadline) {
  SrwMutex mutex;
  SrwConditionVariable condition;
  std::unique_lock<SrwMutex> lock(mutex);

  const auto deadline = steady_clock::now() + milliseconds(30);
  EXPECT_EQ(condition.wait_until(lock, deadline), std::cv_status::timeout);
  EXPECT_GE(steady_clock::now(), deadline);

  EXPECT_FALSE(condition.wait_for(lock, milliseconds(20), [] { return false; }));

  // A deadline already passed, zero and negative timeouts return at once.
  EXPECT_EQ(condition.wait_until(lock, steady_clock::now() - milliseconds(1)), std::cv_status::timeout);
  EXPECT_EQ(condition.wait_for(lock, milliseconds(0)), std::cv_status::timeout);
  EXPECT_FALSE(condition.wait_for(lock, milliseconds(-5), [] { return false; }));
  EXPECT_TRUE(condition.wait_for(lock, milliseconds(-5), [] { return true; }));
  // The lock is held again whenever a wait returns.
  EXPECT_TRUE(lock.owns_lock());
  EXPECT_FALSE(mutex.try_lock());
}

TEST(SrwConditionVariableTest, PredicateWaitsSleepThroughWakeUpsUntilThePredicateHolds) {
  SrwMutex mutex;
  SrwConditionVariable condition;
  bool ready = false;
  int checks = 0;  // of the predicates, under the lock
  bool sawReady[2] = {false, false};
  bool timedOut = false;
  const auto predicate = [&] {
    ++checks;
    return ready;
  };
  std::thread untimed([&] {
    std::unique_lock<SrwMutex> lock(mutex);
    condition.wait(lock, predicate);
    sawReady[0] = ready;
  });
  std::thread timed([&] {
    std::unique_lock<SrwMutex> lock(mutex);
    timedOut = !condition.wait_for(lock, kGenerous, predicate);
    sawReady[1] = ready;
  });
  // Wake-ups without the predicate holding, until the waiters have checked it again and again.
  for (const auto deadline = steady_clock::now() + kGenerous; steady_clock::now() < deadline;) {
    {
      std::lock_guard<SrwMutex> lock(mutex);
      if (checks >= 40) break;
    }
    condition.notify_all();
  }
  {
    std::lock_guard<SrwMutex> lock(mutex);
    ready = true;
  }
  condition.notify_one();  // one waiter each
  condition.notify_one();
  untimed.join();
  timed.join();
  EXPECT_TRUE(sawReady[0] && sawReady[1]);
  EXPECT_FALSE(timedOut);
}

TEST(SrwFutureTest, CarriesAValueOrAnErrorFromAnotherThread) {
  SrwPromise<std::string> valuePromise;
  SrwFuture<std::string> value = valuePromise.get_future();
  EXPECT_EQ(value.wait_for(milliseconds(1)), std::future_status::timeout);
  std::thread([&] { valuePromise.set_value("answer"); }).join();
  EXPECT_EQ(value.wait_for(milliseconds(0)), std::future_status::ready);
  EXPECT_EQ(value.get(), "answer");
  EXPECT_FALSE(value.valid());

  SrwPromise<std::string> errorPromise;
  SrwFuture<std::string> error = errorPromise.get_future();
  std::thread([&] {
    errorPromise.set_exception(std::make_exception_ptr(std::runtime_error("late")));
  }).join();
  EXPECT_THROW(error.get(), std::runtime_error);

  EXPECT_THROW(valuePromise.set_value("again"), std::future_error);
  EXPECT_THROW(valuePromise.get_future(), std::future_error);
}

TEST(SrwFutureTest, APromiseDroppedUnsatisfiedBreaksItsFuture) {
  SrwFuture<int> future;
  {
    SrwPromise<int> promise;
    future = promise.get_future();
  }
  try {
    future.get();
    FAIL() << "a broken promise gave a value";
  } catch (const std::future_error& error) {
    EXPECT_EQ(error.code(), std::make_error_code(std::future_errc::broken_promise));
  }
  // A promise moved over an unsatisfied one breaks the one it replaces.
  SrwPromise<int> first;
  SrwFuture<int> firstFuture = first.get_future();
  first = SrwPromise<int>();
  EXPECT_THROW(firstFuture.get(), std::future_error);
}

}  // namespace
