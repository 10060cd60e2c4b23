#pragma once
// A reader-writer lock the compiler's thread-safety analysis knows, with its scoped holders:
// WriterLock takes it exclusively, ReaderLock shares it.

#include <shared_mutex>

#include "common/thread_annotations.h"

namespace orra {

class ORRA_CAPABILITY("shared mutex") SharedMutex {
 public:
  SharedMutex() = default;
  SharedMutex(const SharedMutex&) = delete;
  SharedMutex& operator=(const SharedMutex&) = delete;

  void lock() ORRA_ACQUIRE() { mutex_.lock(); }
  void unlock() ORRA_RELEASE() { mutex_.unlock(); }
  void lock_shared() ORRA_ACQUIRE_SHARED() { mutex_.lock_shared(); }
  void unlock_shared() ORRA_RELEASE_SHARED() { mutex_.unlock_shared(); }

 private:
  std::shared_mutex mutex_;
};

class ORRA_SCOPED_CAPABILITY WriterLock {
 public:
  explicit WriterLock(SharedMutex& mutex) ORRA_ACQUIRE(mutex) : mutex_(mutex) { mutex_.lock(); }
  ~WriterLock() ORRA_RELEASE() { mutex_.unlock(); }
  WriterLock(const WriterLock&) = delete;
  WriterLock& operator=(const WriterLock&) = delete;

 private:
  SharedMutex& mutex_;
};

class ORRA_SCOPED_CAPABILITY ReaderLock {
 public:
  explicit ReaderLock(SharedMutex& mutex) ORRA_ACQUIRE_SHARED(mutex) : mutex_(mutex) { mutex_.lock_shared(); }
  ~ReaderLock() ORRA_RELEASE_GENERIC() { mutex_.unlock_shared(); }
  ReaderLock(const ReaderLock&) = delete;
  ReaderLock& operator=(const ReaderLock&) = delete;

 private:
  SharedMutex& mutex_;
};

}  // namespace orra
