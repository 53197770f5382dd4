#pragma once

#include <QFile>
#include <QString>

// The one way a whole file is written above the platform layer: beside its target under a
// temporary name, then moved over the target only when it is complete. A failure never leaves half
// a file behind (the temporary one is removed) and whatever is at the target, a link included, is
// replaced rather than written through. Every failure throws AppError
// "Cannot create file "<target>". <reason>". The temporary name carries the writer's process id,
// so what a killed write left is told from a write under way and removed by the next write.
class ReplacingFile {
public:
    // User data is flushed to the disk before it takes the target's place, so a power cut can not
    // leave an empty file in its stead; a file the program can make again need not wait for it.
    enum class Durability { Flushed, Remakeable };

    ReplacingFile(const QString& target, Durability durability);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // The temporary file, open for writing.
    QFileDevice& device() { return temp_; }

    void write(const QByteArray& bytes);
    void writeAt(qint64 offset, const void* data, qint64 size);

    // Moves the complete file over the target.
    void commit();

    // Throws the failure for reason.
    [[noreturn]] void failed(const QString& reason) const;

private:
    QString target_;
    Durability durability_;
    QFile temp_;
    bool committed_ = false;
};
