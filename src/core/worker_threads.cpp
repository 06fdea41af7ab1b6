// Tintwell core: a few worker threads for passes over whole pictures.
//
// Layer: core/. POSIX threads (winpthreads in the Windows build): their
// calls report failure by result, so a worker that cannot start just leaves
// the work to the others. The pool lives on the heap and is only ever freed
// by StopWorkerThreads: no static destructor joins threads or destroys a
// lock that a parked worker waits on (at process exit, or under the loader
// lock when the library is unloaded).
#include "core/worker_threads.h"

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sched.h>
#endif

namespace {

struct WorkerPool;

// What a worker is started with; it lives in the pool, which outlives every
// worker.
struct WorkerStart {
  WorkerPool* pool;
  int32_t index;        // 1-based; the caller is 0
  uint32_t firstRound;  // the round current when it was started: its first is the next
};

struct WorkerPool {
  pthread_mutex_t mutex;
  pthread_cond_t wake;  // a new round or the end
  pthread_t threads[kMaxWorkerThreads];
  WorkerStart starts[kMaxWorkerThreads];
  int32_t started = 0;       // workers running (parked or working)
  uint32_t round = 0;        // incremented for every call that uses workers
  int32_t roundWorkers = 0;  // workers 1..roundWorkers may take part in this round
  bool roundOpen = false;    // workers may still join the round
  int32_t joined = 0;        // workers that joined this round
  std::atomic<int32_t> inside{0};  // of them, those still running the task
  void (*task)(void*) = nullptr;
  void* data = nullptr;
  bool busy = false;  // a call is using the pool
  bool quit = false;
#if defined(_WIN32)
  HMODULE pinned = nullptr;  // our own library, held loaded while workers exist
#endif
};

// The one pool. Not part of GState: the worker threads share it, while
// GState is the host thread's alone. Only the host's thread reads or sets
// this pointer (workers reach the pool through their start record): the first
// pass that wants workers creates the pool, StopWorkerThreads frees it.
WorkerPool* gPool = nullptr;

void* WorkerMain(void* argument) {
  const WorkerStart* start = static_cast<const WorkerStart*>(argument);
  WorkerPool* pool = start->pool;
  const int32_t index = start->index;
  uint32_t seen = start->firstRound;
  pthread_mutex_lock(&pool->mutex);
  for (;;) {
    while (!pool->quit && pool->round == seen) pthread_cond_wait(&pool->wake, &pool->mutex);
    if (pool->quit) break;
    seen = pool->round;
    // A worker woken after the caller ran out of work has nothing to add.
    if (!pool->roundOpen || index > pool->roundWorkers) continue;
    ++pool->joined;
    pool->inside.fetch_add(1, std::memory_order_relaxed);
    void (*task)(void*) = pool->task;
    void* data = pool->data;
    pthread_mutex_unlock(&pool->mutex);
    task(data);
    pool->inside.fetch_sub(1, std::memory_order_release);
    pthread_mutex_lock(&pool->mutex);
  }
  pthread_mutex_unlock(&pool->mutex);
  return nullptr;
}

WorkerPool* CreatePool() {
  WorkerPool* pool = new (std::nothrow) WorkerPool;
  if (!pool) return nullptr;
  if (pthread_mutex_init(&pool->mutex, nullptr) != 0) {
    delete pool;
    return nullptr;
  }
  if (pthread_cond_init(&pool->wake, nullptr) != 0) {
    pthread_mutex_destroy(&pool->mutex);
    delete pool;
    return nullptr;
  }
  return pool;
}

// Starts workers until `wanted` run (or one fails to start). Called with
// the mutex held and no round in progress.
void StartWorkers(WorkerPool* pool, int32_t wanted) {
  while (pool->started < wanted) {
#if defined(_WIN32)
    if (!pool->pinned) {
      // Taken once per pool, given back after the workers are joined.
      HMODULE self = nullptr;
      if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&WorkerMain),
                              &self)) {
        return;  // without the hold an unload could pull the code from under a worker
      }
      pool->pinned = self;
    }
#endif
    const int32_t slot = pool->started;
    pool->starts[slot] = WorkerStart{pool, slot + 1, pool->round};
    if (pthread_create(&pool->threads[slot], nullptr, WorkerMain, &pool->starts[slot]) != 0) return;
    ++pool->started;
  }
}

}  // namespace

int32_t UsableProcessorCount() {
  int32_t count = 1;
#if defined(_WIN32)
  DWORD_PTR process = 0;
  DWORD_PTR system = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) {
    count = 0;
    for (; process; process &= process - 1) ++count;
  }
#else
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) count = CPU_COUNT(&set);
#endif
  return std::clamp<int32_t>(count, 1, kMaxWorkerThreads);
}

int32_t RunOnWorkerThreads(int32_t threads, void (*task)(void* data), void* data) {
  threads = std::min(threads, kMaxWorkerThreads);
  if (threads <= 1) {
    task(data);
    return 1;
  }
  if (!gPool) gPool = CreatePool();
  WorkerPool* pool = gPool;
  if (!pool) {
    task(data);
    return 1;
  }
  pthread_mutex_lock(&pool->mutex);
  if (pool->busy) {
    pthread_mutex_unlock(&pool->mutex);
    task(data);
    return 1;
  }
  StartWorkers(pool, threads - 1);
  const int32_t workers = std::min(threads - 1, pool->started);
  if (workers > 0) {
    pool->busy = true;
    pool->task = task;
    pool->data = data;
    pool->roundWorkers = workers;
    pool->roundOpen = true;
    pool->joined = 0;
    ++pool->round;
    pthread_cond_broadcast(&pool->wake);
  }
  pthread_mutex_unlock(&pool->mutex);

  task(data);
  if (workers == 0) return 1;

  // The caller's task returns once all the work is claimed: workers that
  // have not joined yet (still waking, or not given a processor on a busy
  // system) are not waited for, and those that did are finishing their last
  // claim. Waiting for them awake, giving the processor away meanwhile,
  // spares a round of sleeping and waking.
  pthread_mutex_lock(&pool->mutex);
  pool->roundOpen = false;
  const int32_t joined = pool->joined;
  pthread_mutex_unlock(&pool->mutex);
  while (pool->inside.load(std::memory_order_acquire) > 0) std::this_thread::yield();
  pthread_mutex_lock(&pool->mutex);
  pool->busy = false;
  pool->task = nullptr;
  pool->data = nullptr;
  pthread_mutex_unlock(&pool->mutex);
  return 1 + joined;
}

void StopWorkerThreads() {
  WorkerPool* pool = gPool;
  if (!pool) return;
  gPool = nullptr;
  pthread_mutex_lock(&pool->mutex);
  pool->quit = true;
  pthread_cond_broadcast(&pool->wake);
  pthread_mutex_unlock(&pool->mutex);
  for (int32_t i = 0; i < pool->started; ++i) pthread_join(pool->threads[i], nullptr);
  pthread_cond_destroy(&pool->wake);
  pthread_mutex_destroy(&pool->mutex);
#if defined(_WIN32)
  // The host holds its own reference while it calls PI_Close, so this never
  // unloads the code that runs it.
  if (pool->pinned) FreeLibrary(pool->pinned);
#endif
  delete pool;
}

int32_t StartedWorkerThreads() { return gPool ? gPool->started : 0; }
