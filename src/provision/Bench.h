#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/Clock.h"
#include "link/PortNames.h"
#include "provision/BenchPort.h"
#include "provision/BenchTypes.h"
#include "provision/Job.h"
#include "store/RecordStore.h"

namespace lum {

/// A provisioning bench: every mapped port watched by a thread of its own (up to 16 in
/// parallel), each unit plugged in read, checked against the job, written, verified,
/// recorded and waited for until it is taken away.
///
///   Bench bench(job, records, ports, settings, observer);
///   bench.Start();
///   bench.WaitFinished();  // until settings.count units were finished, or Stop()
///
/// The job, the record store, the observer and the clock must outlive the bench. The clock
/// paces the ports' waits between looks and for a restarting unit.
class Bench {
 public:
  Bench(const ProvisioningJob& job, store::RecordStore& records, const PortMap& ports, BenchSettings settings,
        BenchObserver& observer, Clock& clock = SystemClock());
  ~Bench();
  Bench(const Bench&) = delete;
  Bench& operator=(const Bench&) = delete;

  /// The ports watched, COMn in order.
  const std::vector<std::string>& Ports() const { return port_names_; }
  void Start();
  /// Each port ends the attempt under way (a unit being written is finished and recorded)
  /// and stops; then the records waiting in a spool are sent if the server answers (a failure
  /// there is a fault). Safe from any thread but the ports'.
  void Stop();
  /// Asks the ports to stop without waiting for them (from a signal watcher, say); the
  /// thread in WaitFinished then stops the bench.
  void RequestStop();
  /// Blocks until `count` units were finished (then stops the bench) or Stop was called.
  /// With a count of 0, until Stop.
  void WaitFinished();
  bool Running() const { return !stopping_; }
  /// Every port has ended its work (after a stop was asked for): Stop then returns at once.
  bool Ended() const { return running_ports_ == 0; }
  BenchCounts Counts() const;
  /// Every unit handled but not recorded, and every port that could not go on, in order.
  std::vector<BenchFault> Faults() const;

 private:
  void Count(const store::CommissioningRecord& record);
  /// Keeps the fault and stops taking new units.
  void Fault(const BenchFault& fault);

  const ProvisioningJob& job_;
  store::RecordStore& records_;
  BenchSettings settings_;
  BenchObserver& observer_;
  Clock& clock_;
  std::vector<std::string> port_names_;
  std::vector<std::unique_ptr<BenchPort>> ports_;
  std::vector<std::thread> threads_;
  std::atomic<bool> stopping_{true};
  std::atomic<size_t> running_ports_{0};
  std::chrono::steady_clock::time_point started_;
  mutable std::mutex mutex_;  // guards counts_ and faults_
  std::condition_variable changed_;
  BenchCounts counts_;
  std::vector<BenchFault> faults_;
};

}  // namespace lum
