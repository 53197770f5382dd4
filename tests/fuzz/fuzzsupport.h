#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// What every fuzz target shares: a scratch folder of its own process, and a way to stop the run on
// a broken promise so that libFuzzer keeps the input that broke it.

// Stops the process with what when holds is false.
void fuzzCheck(bool holds, const char* what);

// A folder of this process only, removed at exit; APPDATA points into it, so the program's own
// paths (userDataDir() and the folders below it) lie there too.
QString scratchFolder();
// scratchFolder() + "/" + name.
QString scratchPath(const QString& name);
// Writes bytes to scratchPath(name) and returns that path.
QString writeScratch(const QString& name, const std::uint8_t* data, std::size_t size);
QString writeScratch(const QString& name, const QByteArray& bytes);
// The whole file; an empty array for a missing one.
QByteArray readScratch(const QString& path);

// Whether path names a file directly inside folder: no "..", no second separator, no other root.
bool directlyIn(const QString& path, const QString& folder);
