// The library's process-wide resource lock.
#include "ireslock.hpp"

IPrivateResource& IPrivateResource::processResource() {
  // Deliberately never destroyed: library objects with static storage may be destroyed after
  // any static lock would be, and still take it.
  static IPrivateResource* const resource = new IPrivateResource;
  return *resource;
}
