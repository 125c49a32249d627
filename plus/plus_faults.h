// A fault seam for tests: makes one creation of a drawing object fail as GDI+ does when it has
// no memory left, so the code that asked for it can be driven through its failure path.
#pragma once

namespace plus {

// From now on, the `n`-th creation or clone through a wrapper (1: the next one) fails with
// OutOfMemory without calling GDI+, leaving its target as a failed creation does; 0 turns the
// seam off. Either way the count of creations starts again from 0.
void RefuseCreation(int n);
// Creations and clones asked for since the last RefuseCreation (the refused one included).
int CreationsAsked();

// Creations and clones that failed with OutOfMemory since the process started (refused ones
// included): code that composes a picture compares it before and after to learn whether the
// picture is whole.
int CreationsOutOfMemory();

// Calls through the wrappers that answered another status than Ok since the process started:
// code that keeps a picture compares it before and after drawing, and keeps only a picture
// whose every step succeeded.
int CallsFailed();

// Called on every creation or clone with its number since the last RefuseCreation, before the
// refusal is decided (null: none): a test learns there where each creation is asked for.
using CreationWatcher = void (*)(int number);
void WatchCreations(CreationWatcher watcher);

// Used by the library's creation path: counts one creation, true when it is the refused one.
bool CreationRefused();

} // namespace plus
