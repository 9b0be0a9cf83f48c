// What rollback.exe takes away of Tarrow's own once every saved setting is
// back: AppliedBy, which said whose the saved copy and the markers were, and
// HKLM\SOFTWARE\Tarrow when nothing else is left in it. After an incomplete
// restore AppliedBy stays beside the saved files, for it tells whose they are.
#pragma once

#include "platform/platform.h"
#include "shutdown/restore.h"

namespace tarrow::rollback {

// Who applied is of no use once everything is back and every marker is "0";
// after any other restore (a marker left set, say) it stays, so that what
// is left is still someone's, and this returns false at once.
//
// Writes the markers of the account AppliedBy names and of the running
// account to disk, then deletes AppliedBy and writes that to disk, then
// deletes the key when it holds no value and no subkey. True when AppliedBy
// is gone; false, with AppliedBy kept, when a marker's key could not be
// written or looked at. A key that still holds something (the installed
// package's code, say) stays.
bool ForgetWhoApplied(platform::Platform& platform, const shutdown::RestoreReport& report);

// Deletes HKLM\SOFTWARE\Tarrow when it holds nothing. True when it is gone
// or was never there; false when it holds something or could not be looked
// at.
bool DeleteTarrowKeyIfEmpty(platform::Platform& platform);

} // namespace tarrow::rollback
