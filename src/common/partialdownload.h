#pragma once

#include <QString>

// A download is written under a name of its own beside its target and renamed into place only
// once its body is whole, so a broken transfer or a killed program never leaves part of a body
// under the target's name. That name starts with a dot, which no name taken from the service
// does, and ends in ".part", so it is never taken for a picture, a list or a cached bitmap.

// The name the body for target is written under while it arrives.
QString partialDownloadPath(const QString& target);

// Deletes the partial downloads in folder (not in its subfolders) that no transfer is writing any
// more: those a killed program left behind. Failures are not reported.
void removeAbandonedDownloads(const QString& folder);
