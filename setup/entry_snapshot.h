// The product's Uninstall entry as it was before a run changed it, kept in
// the run's journal so that a recovery can put it back.
#pragma once

#include <string>

#include "setup/journal_format.h"
#include "setup/product.h"

// A kEntryBefore record of the entry UninstallKeyPath(`product_id`) below
// UninstallRootOf(`scope`) (setup/uninstall_key.h): fields "1" and then name, type (JournalNumber)
// and data of each value when the entry exists; the single field "0" when it does not (or cannot be
// read).
JournalRecord SnapshotUninstallEntry(const std::wstring& product_id, InstallScope scope);

// Puts the entry of `product_id` below UninstallRootOf(`scope`) back as `record` (from
// SnapshotUninstallEntry) describes it: removed when there was none,
// otherwise holding exactly the recorded values. False when that failed or
// the record is not such a snapshot.
bool RestoreUninstallEntry(const std::wstring& product_id, InstallScope scope,
                           const JournalRecord& record);
