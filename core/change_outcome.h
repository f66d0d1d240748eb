// The outcome of an Install or Remove as the core composes it from what the
// file layer met.
#pragma once

#include <string>

#include "core/installer_core.h"

namespace layout {

// The outcome of a change that failed on path: the problem the file layer's
// last failure stands for, and the path with the system's reason.
ChangeOutcome FailureOutcome(const char* path);

// The outcome of a change whose paths do not fit the path buffers.
ChangeOutcome TooLongOutcome(const std::string& folder);

// Adds an extra that could not be copied to target to the outcome.
void NoteExtraNotCopied(ChangeOutcome& outcome, const char* target);

}  // namespace layout
