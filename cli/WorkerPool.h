// The threads a batch runs on: how many this process may use, and starting
// them without ever failing for want of one.
#pragma once

#include <functional>

namespace tamrovi::cli {

// The processors this process may run on: the CPUs of its affinity mask
// (taskset, a Slurm task, a container's cpuset), lowered to a cgroup CPU
// quota where one is set (a container's or a job's CPU limit); at least 1.
int ProcessorsAvailable();

// Runs `work` on up to `threads` threads at once, the calling thread among
// them, and returns when every one has finished. A thread that the system
// cannot create (no memory for its stack, the process limit reached) is done
// without: at worst the calling thread does all the work alone. Returns the
// number of threads that ran `work`.
int RunOnThreads(int threads, const std::function<void()>& work);

}  // namespace tamrovi::cli
