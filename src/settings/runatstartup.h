#pragma once

#include "platform/registry.h"

#include <QString>

// The log-on start entry: the string value "Tapestron" under the user's Run key.

// Writes the entry naming executablePath in double quotes. Returns false when the Run key can not
// be opened; a refused write of the value throws.
bool writeRunAtStartup(platform::Registry& registry, const QString& executablePath);

// Removes the entry when it exists; failures are ignored.
void removeRunAtStartup(platform::Registry& registry);
