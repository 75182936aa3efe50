// The protected store file: keyvale.kvp in the folder orvane of the user's roaming
// application-data folder, holding exactly the blob that the per-user protection made of
// the store's text (UTF-16LE and one NUL code unit). LoadStore and SaveStore are the only
// access to it; every user loads it afresh into a document of its own.
#pragma once

#include "markup/MarkupDoc.h"

#include <cstdint>
#include <optional>
#include <string>

namespace keyvale {

// Reads and unprotects the store file into store and refreshes the Preferences record;
// true when the file was read and unprotected (whether or not its text parses). On
// failure store keeps its previous content. The cursor is rewound in every case.
bool LoadStore(MarkupDoc& store);

// Writes the Preferences record into store, then replaces the store file with the
// protected text of store, atomically: on any failure the previous file stays as it was.
// A previous file that does not unprotect is first kept beside the store under a new
// name (keyvale-unreadable-N.kvp).
bool SaveStore(MarkupDoc& store);

enum class StoreLoadStatus {
    loaded,      // read and unprotected
    missing,     // no store file (or none that opens), an empty one, or no application-data folder
    unreadable,  // a file that does not unprotect
};

struct StoreLoadResult {
    StoreLoadStatus status;
    std::int32_t error = 0;  // the system's code when the file did not unprotect
};

// LoadStore with the reason for a failure.
StoreLoadResult LoadStoreFile(MarkupDoc& store);

// The store file's path; none when the application-data folder cannot be determined.
std::optional<std::u16string> StoreFilePath();

}  // namespace keyvale
