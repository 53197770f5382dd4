#pragma once

#include <QString>
#include <QStringList>

// Appends to list the full paths of the files under folder whose names match mask: the folder's
// own files first (read-only, hidden and system files included), then each subfolder that is
// neither hidden nor a system folder, depth first, in the order the system enumerates them.
// Pending window messages are processed before each file is added. Errors are not reported.
// Linked folders are not entered, so a link that points back up can not make the search endless.
void CollectFiles(const QString& folder, const QString& mask, QStringList& list);
