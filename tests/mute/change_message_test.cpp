#include "mute/change_message.h"

#include <gtest/gtest.h>

#include <string>

#include "win32/registry.h"

namespace {

using Result = SoundChange::Result;

const std::wstring kSlot = L"AppEvents\\Schemes\\Apps\\.Default\\Open\\.Current";
const std::wstring kSaved = L"AppEvents\\Schemes\\Apps\\.Default\\Open\\.Hushlark0";

ChangeReport Failed(unsigned failed, unsigned total, const std::wstring& path, LONG error)
{
    ChangeReport report;
    for (unsigned change = 0; change < total; ++change)
        report.Count(change < failed ? error : ERROR_SUCCESS, [&] { return path; });
    return report;
}

std::wstring Where(const std::wstring& path, LONG error)
{
    return L"\n" + path + L"\n" + registry::ErrorText(error);
}

// The texts come from the string table; each failure of a change gets its own
// message, in the order the failures happened.
TEST(ChangeMessage, EachFailureOfAChangeIsToldWithItsPlaceAndError)
{
    const std::wstring settings =
        L"Hushlark's settings could not be saved." + Where(L"Software\\Quillfen\\Hushlark", ERROR_ACCESS_DENIED);
    const std::wstring undo =
        L"What was saved before the failure could not all be removed again." + Where(kSaved, ERROR_ACCESS_DENIED);

    SoundChange notSaved{Result::NotSaved};
    notSaved.report = Failed(1, 1, kSlot, ERROR_CHILD_MUST_BE_VOLATILE);
    SoundChange notTakenBack = notSaved;
    notTakenBack.report.CountUndo(ERROR_ACCESS_DENIED, [] { return kSaved; });
    SoundChange partly{Result::PartlyDone};
    partly.report = Failed(1, 74, kSlot, ERROR_ACCESS_DENIED);
    SoundChange partlyAndSettings = partly;
    partlyAndSettings.settingsError = ERROR_ACCESS_DENIED;
    SoundChange settingsOnly{Result::PartlyDone};
    settingsOnly.report = Failed(0, 74, kSlot, ERROR_SUCCESS);
    settingsOnly.settingsError = ERROR_ACCESS_DENIED;
    SoundChange gone{Result::SchemeGone};
    gone.settingsError = ERROR_ACCESS_DENIED; // never set with it, and not told

    struct Case {
        const char* what;
        SoundChange change;
        std::wstring message;
    };
    const Case cases[] = {
        {"done", SoundChange{Result::Done}, L""},
        {"unchanged", SoundChange{}, L""},
        {"gone: the caller tells", gone, L""},
        {"not saved", notSaved,
         L"Your current sounds could not be saved, so nothing was changed." +
             Where(kSlot, ERROR_CHILD_MUST_BE_VOLATILE)},
        {"not saved, undo failed", notTakenBack,
         L"Your current sounds could not be saved, so no sound was changed." +
             Where(kSlot, ERROR_CHILD_MUST_BE_VOLATILE) + L"\n\n" + undo},
        {"partly", partly, L"Some sounds could not be changed (1 of 74)." + Where(kSlot, ERROR_ACCESS_DENIED)},
        {"settings", settingsOnly, settings},
        {"partly and settings", partlyAndSettings,
         L"Some sounds could not be changed (1 of 74)." + Where(kSlot, ERROR_ACCESS_DENIED) + L"\n\n" + settings},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FailureMessage(c.change), c.message) << c.what;
        EXPECT_EQ(FailureLine(c.change).empty(), c.message.empty()) << c.what;
    }
    // On standard error each message is one line.
    EXPECT_EQ(FailureLine(partlyAndSettings),
              L"Some sounds could not be changed (1 of 74). " + kSlot + L": " +
                  registry::ErrorText(ERROR_ACCESS_DENIED) +
                  L"\nHushlark's settings could not be saved. Software\\Quillfen\\Hushlark: " +
                  registry::ErrorText(ERROR_ACCESS_DENIED));
}

TEST(ChangeMessage, ReportsOfSchemesAndOfTheStartUpEntryHaveTheirOwnFirstLine)
{
    const ChangeReport deleted = Failed(1, 5, kSaved, ERROR_ACCESS_DENIED);
    EXPECT_EQ(FailureMessage(deleted),
              L"Some sounds could not be changed (1 of 5)." + Where(kSaved, ERROR_ACCESS_DENIED));
    EXPECT_EQ(FailureMessage(Failed(0, 5, kSaved, ERROR_SUCCESS)), L"");
    const std::wstring run = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    EXPECT_EQ(StartupFailureMessage(Failed(1, 2, run, ERROR_ACCESS_DENIED)),
              L"The start-up entry could not be changed." + Where(run, ERROR_ACCESS_DENIED));
    EXPECT_EQ(StartupFailureMessage(Failed(0, 2, run, ERROR_SUCCESS)), L"");
}

} // namespace
