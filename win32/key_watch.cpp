#include "win32/key_watch.h"

#include "win32/process.h"

namespace {

LONG Arm(const registry::Key& key, DWORD filter, const UniqueKernelHandle& event)
{
    return RegNotifyChangeKeyValue(key.get(), FALSE, filter, event.get(), TRUE);
}

// Wine tells a new value as a change of names, Windows as one of values.
constexpr DWORD kValues = REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME;
constexpr DWORD kSubkeys = REG_NOTIFY_CHANGE_NAME;

} // namespace

LONG KeyWatch::Start(const std::wstring& path)
{
    path_ = path;
    // Reset by hand, so that both can be asked after one wait for either.
    keyEvent_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    parentEvent_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!keyEvent_ || !parentEvent_)
        return static_cast<LONG>(GetLastError());
    key_ = registry::CreateKey(HKEY_CURRENT_USER, path_, KEY_NOTIFY);
    if (!key_)
        return key_.error;
    const std::wstring parent = FolderOf(path_);
    parent_ =
        registry::OpenKey(HKEY_CURRENT_USER, parent.substr(0, parent.empty() ? 0 : parent.size() - 1), KEY_NOTIFY);
    if (parent_)
        Arm(parent_, kSubkeys, parentEvent_);
    return Arm(key_, kValues, keyEvent_);
}

KeyWatch::Change KeyWatch::Poll()
{
    const HANDLE events[] = {keyEvent_.get(), parentEvent_.get()};
    if (!events[0] || WaitForMultipleObjects(2, events, FALSE, 0) == WAIT_TIMEOUT)
        return Change::None;
    const bool keyFired = WaitForSingleObject(events[0], 0) == WAIT_OBJECT_0;
    const bool parentFired = WaitForSingleObject(events[1], 0) == WAIT_OBJECT_0;
    ResetEvent(events[0]);
    LONG armed = Arm(key_, kValues, keyEvent_);
    const bool deleted =
        armed == ERROR_KEY_DELETED || (parentFired && !registry::OpenKey(HKEY_CURRENT_USER, path_, KEY_NOTIFY));
    if (deleted) {
        key_ = registry::CreateKey(HKEY_CURRENT_USER, path_, KEY_NOTIFY);
        armed = key_ ? Arm(key_, kValues, keyEvent_) : key_.error;
        if (armed != ERROR_SUCCESS)
            SetEvent(events[0]); // not there again yet: the next poll tries once more
    }
    // The parent is armed again last: making the key again changed it too.
    if (parentFired) {
        ResetEvent(events[1]);
        if (parent_)
            Arm(parent_, kSubkeys, parentEvent_);
    }
    if (deleted)
        return Change::Recreated;
    return keyFired || parentFired ? Change::Changed : Change::None;
}
