// Operations whose subsystem is not built yet: they keep their final names and signatures and,
// until their module is written, only say so once on standard error.
#pragma once

// Writes "not available yet: NAME" to standard error the first time NAME is reported.
void ReportNotAvailable(const char* name);
