// One installer at a time for each user: the first start holds the place,
// and a later one, finding it taken, brings the first one's window to the
// front instead of opening a second.
#pragma once

#include <string>

// Claims the place for this process. Returns false when another installer
// of this user holds it. The place is given up when the process ends, however
// it ends.
bool ClaimSingleInstance();

// Gives the place up, so that an installer this one starts can claim it.
// Does nothing when this process holds none.
void ReleaseSingleInstance();

// Brings the window of the installer that holds the place to the front,
// restoring it when it is minimised. Returns false when no such window was
// found or reached.
bool BringRunningInstanceToFront();

// Used by ClaimSingleInstance, one per OS: lets a later start reach this
// process (on Linux, by a signal that raises its window). Called before the
// place is claimed, so that no later start finds it unreachable.
void AnswerLaterStarts();

// The name of the place: one per user, the same in every installer.
const char* SingleInstanceName();

// Used by ClaimSingleInstance, one per OS: the folder that holds the place's
// lock file, or an empty string for the toolkit's own choice. On Linux the
// home folder; without one (a service account's HOME that does not exist),
// the user's XDG_RUNTIME_DIR, else /tmp, where the lock file is the user's
// alone (the toolkit refuses one another user owns or may write).
std::string SingleInstanceFolder();
