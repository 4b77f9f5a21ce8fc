// IPrivateResource and IResourceLock: the library's recursive locks and their scoped holder.
#ifndef IRESLOCK_HPP
#define IRESLOCK_HPP

// A recursive lock: the thread that holds it may take it again, and must release it as often.
// Waits without time limit. A critical section on Windows, a recursive mutex on POSIX.
class IPrivateResource {
public:
  IPrivateResource();
  IPrivateResource(const IPrivateResource&) = delete;
  IPrivateResource& operator=(const IPrivateResource&) = delete;
  ~IPrivateResource();

  IPrivateResource& lock();
  IPrivateResource& unlock();

  // The library's process-wide resource lock (guards the module registry). It is made at its
  // first use and never destroyed, so that objects destroyed at process exit can still take it.
  static IPrivateResource& processResource();

private:
  void* lock_; // the platform's lock object, made by the backend
};

// Holds a resource's lock for the lifetime of the object.
class IResourceLock {
public:
  explicit IResourceLock(IPrivateResource& resource) : resource_(resource) { resource_.lock(); }
  IResourceLock(const IResourceLock&) = delete;
  IResourceLock& operator=(const IResourceLock&) = delete;
  ~IResourceLock() { resource_.unlock(); }

private:
  IPrivateResource& resource_;
};

#endif
