#include "engine/sound_slots.h"

#include "engine/scheme_store.h"

namespace {

// What a scheme gives a slot, as text: its value, or "" for no sound.
std::wstring AsSound(const std::optional<std::wstring>& text)
{
    return text.value_or(std::wstring());
}

// Opens a key for reading and writing, or for reading only when another
// program took the right to write away: it must still be read correctly.
// `readOnly` tells which.
registry::Key OpenForUpdate(HKEY parent, const std::wstring& path, REGSAM readWrite, bool* readOnly = nullptr)
{
    registry::Key key = registry::OpenKey(parent, path, readWrite);
    const bool refused = key.error == ERROR_ACCESS_DENIED;
    if (refused)
        key = registry::OpenKey(parent, path, KEY_READ);
    if (readOnly)
        *readOnly = refused && key;
    return key;
}

// A change SaveAs made below one slot, and how to take it back.
struct SavedKey {
    // Below whose slot, for reporting a failed undo.
    std::size_t slot = 0;
    HKEY app = nullptr;
    std::wstring subkey;
    bool created = false;
    // The value the key held before, when it existed already.
    std::optional<registry::RawValue> previous;
};

// Takes one change back; answers the Win32 result. A key that is gone
// already needs no deleting.
LONG Undo(const SavedKey& saved)
{
    if (saved.created) {
        const LONG status = RegDeleteKeyW(saved.app, saved.subkey.c_str());
        return registry::IsAbsent(status) ? ERROR_SUCCESS : status;
    }
    const registry::Key key = registry::OpenKey(saved.app, saved.subkey, KEY_SET_VALUE);
    if (!key)
        return key.error;
    if (saved.previous)
        return RegSetValueExW(key.get(), nullptr, 0, saved.previous->type, saved.previous->bytes.data(),
                              static_cast<DWORD>(saved.previous->bytes.size()));
    const LONG status = RegDeleteValueW(key.get(), nullptr);
    return registry::IsAbsent(status) ? ERROR_SUCCESS : status;
}

// Writes text (none: 0 bytes) as a REG_SZ default value and reads it back.
LONG WriteChecked(HKEY key, const std::optional<std::wstring>& text)
{
    const LONG written =
        text ? registry::WriteString(key, nullptr, REG_SZ, *text) : registry::WriteBytes(key, nullptr, REG_SZ, L"", 0);
    if (written != ERROR_SUCCESS)
        return written;
    const registry::Text readBack = registry::ReadText(key, nullptr);
    if (readBack.Failed())
        return readBack.error;
    // An empty text is stored as one NUL and reads back as empty text.
    return readBack.text == text ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}

} // namespace

SoundSlots SoundSlots::Read()
{
    const registry::Key apps = registry::OpenKey(HKEY_CURRENT_USER, scheme_paths::kApps);
    if (apps)
        return Read(apps.get());
    // Without an Apps key there are no slots at all.
    SoundSlots found;
    if (apps.Failed())
        found.unseen_.push_back(Unseen{scheme_paths::kApps, apps.error});
    return found;
}

SoundSlots SoundSlots::Read(HKEY apps)
{
    SoundSlots found;
    const LONG appsWalked = registry::WalkSubkeys(apps, [&](DWORD, const wchar_t* app) {
        // Saving a scheme creates keys below the application's events.
        App entry{app, OpenForUpdate(apps, app, KEY_READ | KEY_CREATE_SUB_KEY)};
        const std::size_t appIndex = found.apps_.size();
        if (!entry.key) {
            // Its slots cannot be seen, let alone changed: one failed change.
            if (entry.key.Failed()) {
                found.apps_.push_back(std::move(entry));
                Slot unreadable;
                unreadable.app = appIndex;
                unreadable.readError = found.apps_.back().key.error;
                found.slots_.push_back(std::move(unreadable));
            }
            return;
        }
        found.apps_.push_back(std::move(entry));
        const HKEY appKey = found.apps_.back().key.get();
        const LONG eventsWalked = registry::WalkSubkeys(appKey, [&](DWORD, const wchar_t* event) {
            Slot slot;
            slot.app = appIndex;
            slot.event = event;
            slot.current = OpenForUpdate(appKey, scheme_paths::Join(event, scheme_paths::kCurrentSlotKey),
                                         registry::kReadWrite, &slot.readOnly);
            if (slot.current) {
                registry::Text sound = registry::ReadText(slot.current.get(), nullptr);
                slot.sound = std::move(sound.text);
                slot.readError = sound.error;
            } else if (slot.current.Failed()) {
                slot.readError = slot.current.error;
            }
            found.slots_.push_back(std::move(slot));
        });
        if (eventsWalked != ERROR_SUCCESS)
            found.unseen_.push_back(Unseen{scheme_paths::App(app), eventsWalked});
    });
    if (appsWalked != ERROR_SUCCESS)
        found.unseen_.push_back(Unseen{scheme_paths::kApps, appsWalked});
    return found;
}

std::wstring SoundSlots::PathOf(const Slot& slot, const std::wstring& child) const
{
    if (slot.event.empty())
        return scheme_paths::App(apps_[slot.app].name);
    return scheme_paths::Join(scheme_paths::Join(scheme_paths::App(apps_[slot.app].name), slot.event), child);
}

registry::Text SoundSlots::SchemeValue(const Slot& slot, const std::wstring& schemeKey) const
{
    const registry::Key value =
        registry::OpenKey(apps_[slot.app].key.get(), scheme_paths::Join(slot.event, schemeKey), KEY_QUERY_VALUE);
    if (!value)
        return registry::Text{std::nullopt, value.Absent() ? ERROR_SUCCESS : value.error};
    return registry::ReadText(value.get(), nullptr);
}

bool SoundSlots::Gives(const Slot& slot, const std::wstring& sourceKey) const
{
    if (IsSilentScheme(sourceKey))
        return AsSound(slot.sound).empty();
    const registry::Text given = SchemeValue(slot, sourceKey);
    return !given.Failed() && AsSound(given.text) == AsSound(slot.sound);
}

bool SoundSlots::EverySoundKept(const std::optional<std::wstring>& heldBy,
                                const std::optional<std::wstring>& applied) const
{
    for (const Slot& slot : slots_) {
        // Nothing is written where .Current is missing, cannot be read or
        // cannot be written, so nothing there can be lost.
        if (!slot.current || slot.readError != ERROR_SUCCESS || slot.readOnly)
            continue;
        if (heldBy && Gives(slot, *heldBy))
            continue;
        if (applied && Gives(slot, *applied))
            continue;
        return false;
    }
    return true;
}

ChangeReport SoundSlots::SaveAs(const std::wstring& schemeKey, const std::wstring& displayName) const
{
    ChangeReport report;
    // Sounds that could not be listed could not be saved either.
    for (const Unseen& part : unseen_)
        report.Count(part.error, [&] { return part.path; });
    if (!report.Ok())
        return report;

    const std::wstring entryPath = scheme_paths::NamesEntry(schemeKey);
    std::vector<SavedKey> saved;
    bool entryCreated = false;
    {
        // The entry is created even when Names itself is missing: saved sounds
        // without an entry would be applied as silence.
        const registry::Key entry =
            registry::CreateKey(HKEY_CURRENT_USER, entryPath, registry::kReadWrite, &entryCreated);
        const LONG status = entry ? WriteChecked(entry.get(), displayName) : entry.error;
        report.Count(status, [&] { return entryPath; });
    }

    for (std::size_t index = 0; index < slots_.size() && report.Ok(); ++index) {
        const Slot& slot = slots_[index];
        // A sound that cannot be read cannot be saved; that slot is not
        // written either, so it keeps what it plays.
        if (slot.readError != ERROR_SUCCESS)
            continue;
        const HKEY appKey = apps_[slot.app].key.get();
        SavedKey change{index, appKey, scheme_paths::Join(slot.event, schemeKey)};
        const registry::Key key = registry::CreateKey(appKey, change.subkey, registry::kReadWrite, &change.created);
        LONG status = key.error;
        if (key && !change.created) {
            // Left over below the slot by a scheme deleted elsewhere: kept for
            // putting back should the save fail.
            registry::Raw previous = registry::ReadRaw(key.get(), nullptr);
            status = previous.error;
            change.previous = std::move(previous.value);
        }
        if (key)
            saved.push_back(change);
        if (status == ERROR_SUCCESS)
            status = WriteChecked(key.get(), slot.sound);
        report.Count(status, [&] { return PathOf(slot, schemeKey); });
    }

    if (!report.Ok()) {
        for (auto change = saved.rbegin(); change != saved.rend(); ++change)
            report.CountUndo(Undo(*change), [&] { return PathOf(slots_[change->slot], schemeKey); });
        if (entryCreated) {
            const LONG status = RegDeleteKeyW(HKEY_CURRENT_USER, entryPath.c_str());
            report.CountUndo(registry::IsAbsent(status) ? ERROR_SUCCESS : status, [&] { return entryPath; });
        }
    }
    return report;
}

ChangeReport SoundSlots::Apply(const std::wstring& sourceKey) const
{
    ChangeReport report;
    for (const Unseen& part : unseen_)
        report.Count(part.error, [&] { return part.path; });
    const bool silent = IsSilentScheme(sourceKey);
    for (const Slot& slot : slots_) {
        const auto path = [&] { return PathOf(slot, scheme_paths::kCurrentSlotKey); };
        if (slot.readError != ERROR_SUCCESS) {
            report.Count(slot.readError, path);
            continue;
        }
        // Slots without a .Current key are left alone: it is opened, never created.
        if (!slot.current)
            continue;

        LONG status;
        if (silent) {
            status = registry::WriteBytes(slot.current.get(), nullptr, REG_EXPAND_SZ, L"", sizeof(wchar_t));
        } else {
            const registry::Text sound = SchemeValue(slot, sourceKey);
            if (sound.text && !sound.text->empty()) {
                status = registry::WriteString(slot.current.get(), nullptr, REG_EXPAND_SZ, *sound.text);
            } else {
                // A scheme value that cannot be read is not taken for silence:
                // the slot keeps what it plays.
                constexpr wchar_t kNoSound[2] = {L'\0', L'\0'};
                status = sound.Failed() ? sound.error
                                        : registry::WriteBytes(slot.current.get(), nullptr, REG_EXPAND_SZ, kNoSound,
                                                               sizeof(kNoSound));
            }
        }
        report.Count(status, path);
    }
    return report;
}
