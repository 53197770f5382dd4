#pragma once

#include <QFileDevice>
#include <QString>
#include <QTemporaryFile>

// A file written beside its target under a temporary name and moved over the target only when it
// is complete, so a failure never leaves half a file behind (the temporary one is removed) and
// whatever is at the target, a link included, is replaced rather than written through. Every
// failure throws AppError "Cannot create file "<target>". <reason>".
class ReplacingFile {
public:
    explicit ReplacingFile(const QString& target);

    // The temporary file, open for writing.
    QFileDevice& device() { return temp_; }

    void writeAt(qint64 offset, const void* data, qint64 size);

    // Moves the complete file over the target.
    void commit();

    // Throws the failure for reason.
    [[noreturn]] void failed(const QString& reason) const;

private:
    QString target_;
    QTemporaryFile temp_;
};
