#pragma once
// Taking a QLockFile without being held up by a lock whose owner is gone.
//
// QLockFile finds a dead owner by the process id in the file, but a lock left empty (its
// writer killed between making the file and writing the id), and an empty ".rmlock" beside
// a lock (its writer killed while removing a stale one), only go by their age: 30 s by
// default, in which every writer gives up. These are taken over at once here: a lock is the
// owner's while its process holds the native lock on the file (as a live QLockFile does).
#include <QLockFile>
#include <QString>

namespace kovel::files {

// Tries to lock for up to `timeoutMs`, removing dead owners' lock files as it waits. False
// when the lock is held by a live owner all that time, or cannot be made (lock.error()).
bool PrenBloqueig(QLockFile& lock, int timeoutMs);

} // namespace kovel::files
