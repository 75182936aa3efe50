// The password store: a MarkupDoc whose root is KVPassword, holding Preferences and the
// Site records, and the process-wide Preferences record. The readers and editors below
// move the document's cursor as they go; callers that read on rely on where it is left.
#pragma once

#include "markup/MarkupDoc.h"

#include <optional>
#include <string>
#include <string_view>

namespace keyvale {

struct Preferences {
    bool autosignon = false;
    std::u16string exportpassword;
};

// The process-wide record is shared by every band of the process, on whatever thread:
// it is read and replaced whole.
Preferences GetPreferences();                   // a copy of the process-wide record
void SetPreferences(const Preferences& prefs);  // replaces it whole

// Reading (the record is filled from the store's Preferences; missing children leave
// their fields as they were).
void ReadPreferences(MarkupDoc& store);
bool FindSiteByUrl(MarkupDoc& store, std::u16string_view url);
bool FindSiteByTitle(MarkupDoc& store, std::u16string_view title);
std::optional<std::u16string> PickSite(MarkupDoc& store, int n);

// Editing (in memory only).
void WritePreferences(MarkupDoc& store);
MarkupDoc NewSiteDocument();
void AddCapturedSite(MarkupDoc& store, MarkupDoc& site);
void ReplaceSite(MarkupDoc& store, std::u16string_view url, MarkupDoc& site);
bool RemoveSite(MarkupDoc& store, std::u16string_view url);

}  // namespace keyvale
