#pragma once

#include <QString>

// Copies the file `from` to `to`, replacing a file already there only once
// the new copy is complete: the bytes go to a temporary file beside `to`,
// are flushed to disk and checked to be as long as the source, and the
// temporary file is then renamed over `to`. On failure `to` is left as it
// was and no temporary file remains. Returns whether the copy is at `to`.
bool copyFileReplacing(const QString &from, const QString &to);
