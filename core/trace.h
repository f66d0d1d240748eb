// The trace of the core's operations: Veldrin.log in the working directory,
// written only while the core's trace switch (m_bLog) is on.
#pragma once

#include "core/installer_core.h"

// Appends one printf-style message to the trace when core's switch is on;
// nothing otherwise.
void Trace(const InstallerCore& core, const char* format, ...) VELDRIN_PRINTF_FORMAT(2, 3);
