#pragma once
// Clang's thread-safety attributes, so that the compiler checks which lock guards which member
// and which functions expect a lock held. The clang build compiles with -Wthread-safety
// -Werror=thread-safety; GCC and MinGW know none of these attributes, so there they expand to
// nothing.

#if defined(__clang__)
#define ORRA_THREAD_ATTRIBUTE(x) __attribute__((x))
#else
#define ORRA_THREAD_ATTRIBUTE(x)
#endif

// A type whose objects are locks.
#define ORRA_CAPABILITY(name) ORRA_THREAD_ATTRIBUTE(capability(name))
// A type whose objects hold a lock for their lifetime.
#define ORRA_SCOPED_CAPABILITY ORRA_THREAD_ATTRIBUTE(scoped_lockable)

// Members read or written only while the lock is held.
#define ORRA_GUARDED_BY(lock) ORRA_THREAD_ATTRIBUTE(guarded_by(lock))
// Pointer members whose pointee is read or written only while the lock is held.
#define ORRA_PT_GUARDED_BY(lock) ORRA_THREAD_ATTRIBUTE(pt_guarded_by(lock))

// Functions that the caller must call with the lock held, exclusively or shared.
#define ORRA_REQUIRES(...) ORRA_THREAD_ATTRIBUTE(requires_capability(__VA_ARGS__))
#define ORRA_REQUIRES_SHARED(...) ORRA_THREAD_ATTRIBUTE(requires_shared_capability(__VA_ARGS__))
// Functions that take the lock themselves, so the caller must not hold it.
#define ORRA_EXCLUDES(...) ORRA_THREAD_ATTRIBUTE(locks_excluded(__VA_ARGS__))

// Functions that take or give back a lock.
#define ORRA_ACQUIRE(...) ORRA_THREAD_ATTRIBUTE(acquire_capability(__VA_ARGS__))
#define ORRA_ACQUIRE_SHARED(...) ORRA_THREAD_ATTRIBUTE(acquire_shared_capability(__VA_ARGS__))
#define ORRA_RELEASE(...) ORRA_THREAD_ATTRIBUTE(release_capability(__VA_ARGS__))
#define ORRA_RELEASE_SHARED(...) ORRA_THREAD_ATTRIBUTE(release_shared_capability(__VA_ARGS__))
#define ORRA_RELEASE_GENERIC(...) ORRA_THREAD_ATTRIBUTE(release_generic_capability(__VA_ARGS__))
#define ORRA_TRY_ACQUIRE(...) ORRA_THREAD_ATTRIBUTE(try_acquire_capability(__VA_ARGS__))

// Answers the lock a function hands out, so that callers' uses of it can be checked.
#define ORRA_RETURN_CAPABILITY(lock) ORRA_THREAD_ATTRIBUTE(lock_returned(lock))
