#include "instanceguard.h"

#include "common/strings.h"

namespace {
constexpr std::size_t RecordSize = 8;
constexpr std::size_t HandleOffset = 0;
constexpr std::size_t CountOffset = 4;
} // namespace

QString InstanceGuard::recordName(const QString& executablePath)
{
    QString name = executablePath;
    name.remove(u'\\').remove(u'/').remove(u' ');
    return name;
}

InstanceGuard::InstanceGuard(const QString& executablePath, std::uint32_t ownWindow)
{
    const std::string name = toStd(recordName(executablePath));
    bool existed = false;
    record_ = platform::createSharedBlock(name, RecordSize, existed);
    if (!existed) {
        record_->writeWord(HandleOffset, ownWindow);
        record_->writeWord(CountOffset, 1);
        counted_ = true;
        return;
    }
    // The record exists: look at it with full access; without it this start runs uncounted.
    auto opened = platform::openSharedBlock(name, RecordSize);
    if (!opened)
        return;
    record_ = std::move(opened);
    if (record_->readWord(CountOffset) < MaxInstances) {
        record_->writeWord(HandleOffset, ownWindow);
        record_->writeWord(CountOffset, record_->readWord(CountOffset) + 1);
        counted_ = true;
        return;
    }
    duplicate_ = true;
    storedWindow_ = record_->readWord(HandleOffset);
    record_.reset();
}

InstanceGuard::~InstanceGuard()
{
    if (counted_ && record_)
        record_->writeWord(CountOffset, record_->readWord(CountOffset) - 1);
}
