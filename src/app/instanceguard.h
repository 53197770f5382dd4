#pragma once

#include "platform/instance.h"

#include <QString>

#include <cstdint>
#include <memory>

// One running instance per executable path, counted in a named 8-byte record shared by all
// instances: offset 0 the window handle of the instance that registered last, offset 4 the count.
class InstanceGuard {
public:
    static constexpr std::uint32_t MaxInstances = 1;

    // The record's name: the executable's full path without path separators and blanks, so
    // "D:\My Apps\x.exe" and "D:\MyApps\x.exe" share one record.
    static QString recordName(const QString& executablePath);

    // Checks this start in. Throws PlatformError with the system's text when the record can not be
    // created.
    InstanceGuard(const QString& executablePath, std::uint32_t ownWindow);
    // A counted instance takes itself out of the count.
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    // The limit was reached: this start must end without showing anything.
    bool isDuplicate() const { return duplicate_; }
    bool isCounted() const { return counted_; }
    // The window handle of the running instance (valid for a duplicate).
    std::uint32_t storedWindow() const { return storedWindow_; }

private:
    std::unique_ptr<platform::SharedBlock> record_;
    bool duplicate_ = false;
    bool counted_ = false;
    std::uint32_t storedWindow_ = 0;
};
