// The cost of the module's enqueue callback, the only work a bus thread does
// for a request: 1, 2 and 8 threads publishing at once into one module.
//
// usage: bench_enqueue [CALLS_PER_THREAD]
#include <windows.h>

#include <atomic>
#include <cwchar>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchSupport.h"
#include "firewall/TarnModuleImpl.h"
#include "message/Message.h"
#include "module/IOCContainer.h"

constexpr long kBatch = 16;

int wmain(int argc, wchar_t** argv) {
  const long calls = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 20000;
  for (const int threads : {1, 2, 8}) {
    // A module that is constructed but not initialized: no worker takes the
    // messages off, so each call measures the append alone.
    auto module = std::make_unique<Ledra::TarnModuleImpl>(std::make_shared<Basalt::IOCContainer>());
    const auto message = Ledra::Message::create(L"Core.Firewall.UpdateTrafficController", L"Bench",
                                                L"{\"traffic_controller\":\"stealth\"}");
    std::vector<std::vector<double>> samples(static_cast<size_t>(threads));
    std::atomic<int> ready{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
      workers.emplace_back([&, t] {
        std::vector<double>& mine = samples[static_cast<size_t>(t)];
        mine.reserve(static_cast<size_t>(calls / kBatch));
        ready.fetch_add(1);
        while (ready.load() < threads) std::this_thread::yield();
        // The clock ticks every 100 ns under Wine: each sample is the mean of a
        // short run of calls, so that its median and 99th percentile mean something.
        for (long i = 0; i + kBatch <= calls; i += kBatch) {
          const double start = Bench::now();
          for (long j = 0; j < kBatch; ++j) module->callback_enqueue_message(message);
          mine.push_back((Bench::now() - start) / kBatch);
        }
      });
    }
    for (std::thread& worker : workers) worker.join();
    std::vector<double> all;
    for (const auto& s : samples) all.insert(all.end(), s.begin(), s.end());
    const double median = Bench::percentile(all, 50) * 1e9;
    const double p99 = Bench::percentile(all, 99) * 1e9;
    Bench::emit("enqueue", {Bench::field("threads", static_cast<double>(threads)),
                            Bench::field("calls_per_thread", static_cast<double>(calls)),
                            Bench::field("sample", std::string("mean of 16 consecutive calls")),
                            Bench::field("median_ns", median), Bench::field("p99_ns", p99)});
    module.reset();
  }
  return 0;
}
