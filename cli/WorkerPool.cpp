#include "cli/WorkerPool.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <fstream>
#include <string>
#include <thread>
#include <vector>
#if defined(_WIN32)
#include <windows.h>
#else
#include <sched.h>
#endif

namespace tamrovi::cli {
namespace {

int AffinityCount() {
#if defined(_WIN32)
  DWORD_PTR process = 0, system = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) && process != 0) {
    int count = 0;
    for (; process != 0; process &= process - 1) ++count;
    return count;
  }
#elif defined(__linux__)
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return CPU_COUNT(&set);
#endif
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

#if defined(__linux__)
// The processors a cgroup v2 "cpu.max" file allows ("QUOTA PERIOD", quota
// "max" when there is none), rounded up; 0 when it sets no limit.
int QuotaOf(const std::string& cpuMaxPath) {
  std::ifstream file(cpuMaxPath);
  std::string quota;
  long long period = 0;
  if (!(file >> quota >> period) || quota == "max" || period <= 0) return 0;
  long long microseconds = 0;
  std::from_chars(quota.data(), quota.data() + quota.size(), microseconds);
  if (microseconds <= 0) return 0;
  return static_cast<int>(std::min<long long>((microseconds + period - 1) / period, 1 << 20));
}

// The lowest quota of this process's cgroup and of every cgroup above it
// (a limit on a parent binds its children); 0 when none sets one.
int CgroupQuota() {
  std::ifstream membership("/proc/self/cgroup");
  std::string line, group;
  while (std::getline(membership, line)) {
    if (line.rfind("0::", 0) == 0) group = line.substr(3);
  }
  if (group.empty() || group[0] != '/') return 0;
  int lowest = 0;
  for (;;) {
    const int quota = QuotaOf("/sys/fs/cgroup" + (group == "/" ? std::string() : group) + "/cpu.max");
    if (quota > 0 && (lowest == 0 || quota < lowest)) lowest = quota;
    if (group == "/") return lowest;
    group.erase(std::max<std::size_t>(1, group.rfind('/')));
  }
}
#endif

}  // namespace

int ProcessorsAvailable() {
  int processors = std::max(1, AffinityCount());
#if defined(__linux__)
  if (const int quota = CgroupQuota(); quota > 0) processors = std::min(processors, quota);
#endif
  return processors;
}

int RunOnThreads(int threads, const std::function<void()>& work) {
  std::vector<std::thread> workers;
  try {
    workers.reserve(static_cast<std::size_t>(std::max(0, threads - 1)));
    for (int i = 1; i < threads; ++i) workers.emplace_back(work);
  } catch (const std::exception&) {
    // std::system_error (no stack, no thread left) or std::bad_alloc: the
    // threads made so far and this one carry on.
  }
  work();
  for (std::thread& worker : workers) worker.join();
  return static_cast<int>(workers.size()) + 1;
}

}  // namespace tamrovi::cli
