// The file layer the installer core uses: Windows paths and their search
// (path.h), text files in the C runtime's text mode (text_file.h), file
// operations that replace a file in one step (file.h), and what a failure
// was (failure.h).
#pragma once

#include "platform/failure.h"
#include "platform/file.h"
#include "platform/path.h"
#include "platform/text_file.h"
