#pragma once

#include <QFile>

// A file read only when it is a regular file. A FIFO, device or folder in its place (a profile
// entry, a settings file, a picture) is refused at once: opening one could wait forever for a
// writer that never comes.
class RegularFile : public QFile {
public:
    using QFile::QFile;

    // Opens the file named at construction for reading, with extra modes such as Unbuffered or
    // Text. False when it can not be opened or is no regular file; errorString() then says why.
    bool openForReading(QIODevice::OpenMode extra = {});
};
