// End to end in one process: requests through the bus, the module's queue,
// worker and handler, the firewall configuration component and the answer,
// each against the floor (a subscriber answering from its bus callback) in
// the same run; first with the null component, so that the module is what is
// measured, then with the kit's component for comparison.
//
// usage: bench_end_to_end [--quick]
//        bench_end_to_end --server-requests module|floor IN_FLIGHT ROUND_TRIPS
//        bench_end_to_end --restore-kit
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/e2e/ComponentRegistration.h"
#include "bench/e2e/Rig.h"
#include "bench/e2e/Targets.h"
#include "bench/e2e/Traffic.h"
#include "wrappers/ScopedHandle.h"

namespace {

using Bench::field;

constexpr long kMaxInFlight = 256;

struct Counts {
  double rateSeconds;     // sending time of one round-trip run
  long rateMax;           // requests of one round-trip run at most
  long latencySamples;    // samples of one latency run at most
  double latencySeconds;  // and its time
  long nullBatch;         // requests of each private-bytes batch with the null component
  long kitBatch;          // and with the kit's, which rewrites its state file at every set
};
constexpr Counts kFull = {1.5, 200000, 2000, 2.0, 50000, 10000};
constexpr Counts kQuick = {0.3, 20000, 300, 0.3, 5000, 2000};

int fail(const char* what) {
  std::fprintf(stderr, "bench_end_to_end: %s\n", what);
  return 1;
}

double perSecond(const Bench::RunResult& run) { return run.seconds > 0 ? run.requests / run.seconds : 0; }

// The module answers each request as expected: exactly with the null
// component, by name with the kit's.
bool probeAll(Bench::Traffic& traffic, const std::vector<Bench::BenchedRequest>& requests, bool exact) {
  for (const Bench::BenchedRequest& r : requests) {
    std::wstring name;
    std::wstring payload;
    const bool answered = traffic.probe(r.target, name, payload);
    if (!answered || name != r.nullAnswer || (exact && payload != r.nullAnswerPayload)) {
      Bench::emit("probe_failed",
                  {field("request", Bench::narrow(r.target.request)),
                   field("answered", std::string(answered ? "yes" : "no")),
                   field("answer", Bench::narrow(name)), field("payload", Bench::narrow(payload))});
      return false;
    }
  }
  return true;
}

// Round trips and latency of one request through the module and the floor.
bool measureRequest(Bench::Traffic& traffic, const Bench::BenchedRequest& r, const char* component,
                    const Counts& counts) {
  const Bench::Target floor = Bench::floorTarget(r.target);
  // A short sequential warm-up; its mean sets the window of a slow request so
  // that its run stays near its time (the window is at most 256 and the floor
  // gets the same).
  std::vector<double> warm;
  if (!traffic.latencies(r.target, 200, 0.25, warm) || warm.empty()) return false;
  double mean = 0;
  for (const double s : warm) mean += s / warm.size();
  const long window = std::clamp(static_cast<long>(counts.rateSeconds / mean / 4), 1L, kMaxInFlight);

  Bench::RunResult module;
  Bench::RunResult base;
  if (!traffic.stream(r.target, window, counts.rateSeconds, counts.rateMax, module) ||
      !traffic.stream(floor, window, 0.1, window, base) ||  // warms the floor up
      !traffic.stream(floor, window, counts.rateSeconds, counts.rateMax, base)) {
    return false;
  }
  std::vector<std::string> fields = {
      field("component", std::string(component)),
      field("request", Bench::narrow(r.target.request)),
      field("answer", Bench::narrow(r.nullAnswer)),
      field("answered_by", std::string(r.target.asRequest ? "reply" : "message")),
      field("in_flight_max", static_cast<double>(window)),
      field("module_requests", static_cast<double>(module.requests)),
      field("module_seconds", module.seconds),
      field("module_per_second", perSecond(module)),
      field("floor_requests", static_cast<double>(base.requests)),
      field("floor_per_second", perSecond(base)),
      field("module_over_floor", perSecond(base) > 0 ? perSecond(module) / perSecond(base) : 0),
      field("failed", static_cast<double>(module.failed + base.failed))};
  if (*r.note) fields.push_back(field("note", std::string(r.note)));
  Bench::emit("round_trips", fields);

  std::vector<double> moduleSamples;
  std::vector<double> floorSamples;
  if (!traffic.latencies(r.target, counts.latencySamples, counts.latencySeconds, moduleSamples) ||
      !traffic.latencies(floor, counts.latencySamples, counts.latencySeconds, floorSamples)) {
    return false;
  }
  const size_t moduleCount = moduleSamples.size();
  const size_t floorCount = floorSamples.size();
  Bench::emit("latency",
              {field("component", std::string(component)), field("request", Bench::narrow(r.target.request)),
               field("in_flight", 1.0), field("module_samples", static_cast<double>(moduleCount)),
               field("module_p50_us", Bench::percentile(moduleSamples, 50) * 1e6),
               field("module_p99_us", Bench::percentile(moduleSamples, 99) * 1e6),
               field("floor_samples", static_cast<double>(floorCount)),
               field("floor_p50_us", Bench::percentile(floorSamples, 50) * 1e6),
               field("floor_p99_us", Bench::percentile(floorSamples, 99) * 1e6)});
  return true;
}

// Private bytes after two identical batches of set requests.
bool measureMemory(Bench::Traffic& traffic, const Bench::BenchedRequest& set, const char* component,
                   long batch) {
  Bench::RunResult run;
  if (!traffic.stream(set.target, kMaxInFlight, 1e9, batch, run)) return false;
  const double first = static_cast<double>(Bench::privateBytes());
  if (!traffic.stream(set.target, kMaxInFlight, 1e9, batch, run)) return false;
  const double second = static_cast<double>(Bench::privateBytes());
  Bench::emit(
      "private_bytes",
      {field("component", std::string(component)), field("request", Bench::narrow(set.target.request)),
       field("batch_requests", static_cast<double>(batch)),
       field("in_flight_max", static_cast<double>(kMaxInFlight)),
       Bench::fixedField("after_first_batch", first, 0), Bench::fixedField("after_second_batch", second, 0),
       Bench::fixedField("growth_bytes_per_request", (second - first) / batch, 2)});
  return true;
}

int measureAll(const Counts& counts) {
  const std::wstring folder = Bench::binFolder();
  Bench::PrefixSeams seams(folder);
  Bench::Rig bench(folder);
  if (!bench.ok()) return fail("no bus");
  const std::vector<Bench::BenchedRequest> requests = Bench::benchedRequests();
  Bench::emit(
      "end_to_end_setup",
      {field("logging", std::string("the product's default back end (ETW): \"Logging Mechanism\" is removed "
                                    "from HKLM\\SOFTWARE\\Brenix\\Logging for this run and put back after")),
       field("floor", std::string("a subscriber on its own bus handle answering from its bus callback: a "
                                  "message with one message, a request with the reply and its non-reply "
                                  "copy, as the module's bus client does")),
       field("null_component", std::string("NullComponent.dll registered in place of BxFWConfig.dll: answers "
                                           "at once, no state, no file, no bus")),
       field("in_flight_max", static_cast<double>(kMaxInFlight))});
  const struct {
    const wchar_t* file;
    const char* name;
    long batch;
  } components[] = {{Bench::kNullComponent, "null", counts.nullBatch},
                    {Bench::kKitComponent, "kit", counts.kitBatch}};
  for (const auto& component : components) {
    if (!bench.start(component.file)) return fail("cannot register the component or load the modules");
    if (!probeAll(bench.traffic(), requests, component.file == Bench::kNullComponent)) {
      return fail("the module does not answer as expected");
    }
    for (const Bench::BenchedRequest& r : requests) {
      if (!measureRequest(bench.traffic(), r, component.name, counts)) return fail("answers stopped coming");
    }
    if (!measureMemory(bench.traffic(), requests.front(), component.name, component.batch)) {
      return fail("answers stopped coming");
    }
    bench.stop();
  }
  return 0;
}

// A line in the Wine server's request trace that a counter finds: opening an
// event that does not exist is one server request carrying the name.
void markTrace(const std::wstring& mark) {
  Ledra::ScopedHandle none(::OpenEventW(SYNCHRONIZE, FALSE, (L"TarnBenchMark." + mark).c_str()));
}

// Set requests through the module, or the same traffic through the floor,
// between two marks in the server's request trace, after as many to warm up.
int countServerRequests(const std::wstring& through, long window, long roundTrips) {
  const std::wstring folder = Bench::binFolder();
  Bench::PrefixSeams seams(folder);
  Bench::Rig bench(folder);
  if (!bench.ok()) return fail("no bus");
  if (!bench.start(Bench::kNullComponent)) return fail("cannot register the component or load the modules");
  const Bench::BenchedRequest set = Bench::benchedRequests().front();
  const Bench::Target target = through == L"floor" ? Bench::floorTarget(set.target) : set.target;
  const std::wstring label = through + L"." + std::to_wstring(window);
  Bench::RunResult run;
  if (!bench.traffic().stream(target, window, 1e9, roundTrips, run)) return fail("answers stopped coming");
  markTrace(L"start." + label);
  const bool done = bench.traffic().stream(target, window, 1e9, roundTrips, run);
  markTrace(L"end." + label);
  if (!done) return fail("answers stopped coming");
  Bench::emit("server_request_run",
              {field("through", Bench::narrow(through)), field("in_flight", static_cast<double>(window)),
               field("round_trips", static_cast<double>(roundTrips)), field("seconds", run.seconds)});
  bench.stop();
  return 0;
}

int run(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"--restore-kit") {
    return Bench::registerServer(Bench::binFolder() + L"\\" + Bench::kKitComponent) == S_OK
               ? 0
               : fail("cannot register the kit");
  }
  if (mode == L"--server-requests" && argc == 5) {
    return countServerRequests(argv[2], std::wcstol(argv[3], nullptr, 10), std::wcstol(argv[4], nullptr, 10));
  }
  if (mode.empty() || mode == L"--quick") return measureAll(mode.empty() ? kFull : kQuick);
  return fail(
      "usage: bench_end_to_end [--quick] | --server-requests module|floor IN_FLIGHT ROUND_TRIPS | "
      "--restore-kit");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    return run(argc, argv);
  } catch (...) {
    return fail("stopped by an exception");
  }
}
