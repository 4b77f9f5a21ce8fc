// IPrivateResource on POSIX: a recursive pthread mutex.
#include "ireslock.hpp"

#include <new>

#include <pthread.h>

IPrivateResource::IPrivateResource() : lock_(nullptr) {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  auto* mutex = new pthread_mutex_t;
  int rc = pthread_mutex_init(mutex, &attributes);
  pthread_mutexattr_destroy(&attributes);
  if (rc != 0) {
    delete mutex;
    throw std::bad_alloc();
  }
  lock_ = mutex;
}

IPrivateResource::~IPrivateResource() {
  auto* mutex = static_cast<pthread_mutex_t*>(lock_);
  pthread_mutex_destroy(mutex);
  delete mutex;
}

IPrivateResource& IPrivateResource::lock() {
  pthread_mutex_lock(static_cast<pthread_mutex_t*>(lock_));
  return *this;
}

IPrivateResource& IPrivateResource::unlock() {
  pthread_mutex_unlock(static_cast<pthread_mutex_t*>(lock_));
  return *this;
}
