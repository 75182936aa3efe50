#include "LumoraCommand.h"

#include "diag/Utf8.h"
#include "markup/MarkupDoc.h"
#include "store/PasswordStore.h"
#include "store/StoreFile.h"
#include "store/StoreSchema.h"
#include "store/Wipe.h"

namespace keyvale::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: lumora sites           list the stored sites (values masked)\n"
    "       lumora text            write the store document to standard output\n"
    "       lumora replace FILE    replace the store with the document in FILE (UTF-8)\n";

constexpr std::string_view kMasked = "********";

std::string Quoted(std::u16string_view text) {
    std::string quoted(1, '"');
    quoted += ToUtf8(text);
    quoted += '"';
    return quoted;
}

std::string StorePathText() {
    const std::optional<std::u16string> path = StoreFilePath();
    return path ? ToUtf8(*path) : std::string("(unknown)");
}

// Loads the store, or explains on the error stream why there is none to show.
bool LoadForReading(MarkupDoc& store, Console& console) {
    const StoreLoadResult result = LoadStoreFile(store);
    switch (result.status) {
        case StoreLoadStatus::loaded:
            return true;
        case StoreLoadStatus::missing:
            if (!StoreFilePath()) {
                console.Err("lumora: the application-data folder cannot be determined\n");
            } else {
                console.Err("lumora: there is no store file at " + StorePathText() + "\n");
            }
            return false;
        case StoreLoadStatus::unreadable:
            console.Err("lumora: the store file " + StorePathText() +
                        " cannot be unprotected (error " + std::to_string(result.error) +
                        "); it belongs to another user or system, or is damaged\n");
            return false;
    }
    return false;
}

// Reads the child named name of the main element, searching from its first child.
std::u16string FieldText(MarkupDoc& store, std::u16string_view name) {
    store.RewindChildren();
    return store.NextChild(name) ? store.ChildText() : std::u16string();
}

int Sites(Console& console) {
    MarkupDoc store;
    if (!LoadForReading(store, console)) return kExitFailed;
    std::string out;
    int number = 0;
    store.Rewind();
    while (store.NextChild(kSiteElement)) {
        ++number;
        store.Descend();
        out += std::to_string(number) + ". " + Quoted(FieldText(store, kTitleElement)) + "\n";
        out += "   url: " + Quoted(FieldText(store, kUrlElement)) + "\n";
        store.RewindChildren();
        while (store.NextChild(kInputElement)) {
            store.Descend();
            // type, name and value are read in that order, as the filling reads them.
            const std::u16string type = store.NextChild(kTypeElement) ? store.ChildText() : u"";
            const std::u16string name = store.NextChild(kNameElement) ? store.ChildText() : u"";
            const bool hasValue = store.NextChild(kValueElement) && !store.ChildText().empty();
            out += "   input: type " + Quoted(type) + ", name " + Quoted(name) + ", value " +
                   (hasValue ? std::string(kMasked) : std::string("(empty)")) + "\n";
            store.Ascend();
        }
        store.Ascend();
    }
    if (number == 0) out += "no sites\n";
    console.Out(out);
    return kExitOk;
}

int Text(Console& console) {
    MarkupDoc store;
    if (!LoadForReading(store, console)) return kExitFailed;
    std::u16string text = store.DocumentText();
    WipeOnExit wipeText(text);
    std::string out = ToUtf8(text);
    WipeOnExit wipeOut(out);
    console.Out(out);
    return kExitOk;
}

int Replace(const std::u16string& file, Console& console) {
    const std::string name = ToUtf8(file);
    std::string bytes;
    WipeOnExit wipeBytes(bytes);
    if (!console.ReadFile(file, bytes)) {
        console.Err("lumora: cannot read " + name + "\n");
        return kExitFailed;
    }
    std::string_view content = bytes;
    if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);  // a byte-order mark
    std::optional<std::u16string> text = FromUtf8(content);
    if (!text) {
        console.Err("lumora: " + name + " is not UTF-8 text\n");
        return kExitFailed;
    }
    WipeOnExit wipeText(*text);
    if (text->find(u'\0') != std::u16string::npos) {
        console.Err("lumora: " + name + " holds a NUL character, which a store cannot keep\n");
        return kExitFailed;
    }
    MarkupDoc document;
    if (!document.AssignText(*text)) {
        const std::u16string error = document.ErrorText();
        console.Err("lumora: " + name + " does not parse" + (error.empty() ? "" : ": " + ToUtf8(error)) + "\n");
        return kExitFailed;
    }
    document.Rewind();
    if (!document.NextElement(kStoreRoot)) {
        console.Err("lumora: the root element of " + name + " is not KVPassword\n");
        return kExitFailed;
    }

    // The saved document carries the Preferences record: the current store's values,
    // replaced by those that the file holds.
    MarkupDoc current;
    const bool previousUnreadable = LoadStoreFile(current).status == StoreLoadStatus::unreadable;
    ReadPreferences(document);
    if (!SaveStore(document)) {
        console.Err("lumora: the store file " + StorePathText() +
                    " could not be written; it is unchanged (see keyvale.log beside lumora)\n");
        return kExitFailed;
    }
    if (previousUnreadable) {
        console.Err("lumora: the previous store file could not be unprotected; it is kept beside "
                    "the new one as keyvale-unreadable-N.kvp\n");
    }
    return kExitOk;
}

}  // namespace

int RunLumora(const std::vector<std::u16string>& args, Console& console) {
    if (args.size() == 1 && args[0] == u"sites") return Sites(console);
    if (args.size() == 1 && args[0] == u"text") return Text(console);
    if (args.size() == 2 && args[0] == u"replace") return Replace(args[1], console);
    console.Err(kUsage);
    return kExitUsage;
}

}  // namespace keyvale::cli
